// The command-line tools, run as programs on the sample images, which the
// suite writes into a folder of its own.
#pragma once

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "builder/samples.h"

namespace trivane::test {

namespace fs = std::filesystem;

struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

inline std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class SampleFolder : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::path(::testing::TempDir()) /
           ("trivane-tools-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
    names_.clear();
    for (const auto& sample : build::Samples()) {
      ASSERT_TRUE(build::WriteFile(dir_ / sample.name, sample.bytes));
      names_.push_back(sample.name);
    }
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  // The sample's path in UTF-8.
  static std::string Path(const std::string& name) {
    const std::u8string text =
        (dir_ / fs::path(std::u8string(name.begin(), name.end()))).u8string();
    return {text.begin(), text.end()};
  }

  // Runs the program, its output into `out` (read back unless it is /dev/full).
  // Arguments are UTF-8.
  static ToolRun Run(const std::string& program, const std::vector<std::string>& args,
                     const fs::path& out) {
    const fs::path err = dir_ / "err.txt";
#ifdef _WIN32
    // cmd.exe quotes with " only, and reads a command line of UTF-16.
    std::string command = "\"" + WindowsPath(program) + "\"";
    for (const std::string& a : args) command += " \"" + a + "\"";
    command = "\"" + command + " >\"" + out.string() + "\" 2>\"" + err.string() + "\"\"";
    const std::wstring wide = fs::path(std::u8string(command.begin(), command.end())).wstring();
    // 9009 is cmd.exe's own "not recognised": under Wine a busy machine now
    // and then fails to start the program at all. Tried again, twice at most.
    constexpr int kNotStarted = 9009;
    int status = _wsystem(wide.c_str());
    for (int again = 0; again < 2 && status == kNotStarted; ++again)
      status = _wsystem(wide.c_str());
#else
    std::string command = program;
    for (const std::string& a : args) command += " '" + a + "'";
    const int raw = std::system((command + " >" + out.string() + " 2>" + err.string()).c_str());
    const int status = WEXITSTATUS(raw);
#endif
    return {status, out == "/dev/full" ? "" : Slurp(out), Slurp(err)};
  }

#ifdef _WIN32
  // A program built on a Unix host and run under Wine is named by its Unix
  // path: Wine's drive Z: is the root.
  static std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path) c = c == '/' ? '\\' : c;
    return path;
  }
#endif

  static inline fs::path dir_;
  static inline std::vector<std::string> names_;
};

}  // namespace trivane::test
