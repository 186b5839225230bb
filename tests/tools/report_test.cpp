// The report tool, run as a program on the sample images.
#include <map>
#include <nlohmann/json.hpp>

#include "tool_support.h"

namespace trivane::test {
namespace {

using nlohmann::json;

class ReportTool : public SampleFolder {
 protected:
  static ToolRun Tool(const std::vector<std::string>& args,
                      const fs::path& out = dir_ / "out.txt") {
    return Run(TRIVANE_REPORT, args, out);
  }

  // The tool's JSON lines by file.
  static std::map<std::string, json> JsonByFile(const std::vector<std::string>& files) {
    std::vector<std::string> args = {"--json"};
    args.insert(args.end(), files.begin(), files.end());
    const ToolRun run = Tool(args);
    std::map<std::string, json> by_file;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
      const json j = json::parse(line);
      by_file[j.at("file")] = j;
    }
    return by_file;
  }

  static std::vector<std::string> AllSamples() {
    std::vector<std::string> paths;
    for (const auto& n : names_) paths.push_back(Path(n));
    return paths;
  }
};

TEST_F(ReportTool, ResultsOfEachKind) {
  const auto r = JsonByFile(AllSamples());
  const json& jv1 = r.at(Path("jv1-35track.dsk"));
  EXPECT_EQ(jv1["fields"]["Text12"]["text"], "JV1");
  EXPECT_EQ(jv1["fields"]["Text12"]["back"], 8438015u);
  EXPECT_EQ(jv1["fields"]["Text16"]["text"], "  jv1-35track.dsk");
  EXPECT_EQ(jv1["drawing"][0], json({{"op", "cls"}}));
  EXPECT_EQ(jv1["drawing"][1], json::parse(R"({"op":"box","x1":1200,"y1":500,"x2":8800,
                                              "y2":680,"color":2147483663})"));
  EXPECT_EQ(jv1["drawing"][2], json::parse(R"({"op":"print","x":730,"y":1600,"color":0,
                                              "text":" Dam = "})"));

  const json& refused = r.at(Path("notes.dsk"));
  ASSERT_EQ(refused["messages"].size(), 1u);
  EXPECT_EQ(refused["messages"][0]["title"], "Error");
  EXPECT_EQ(refused["messages"][0]["prompt"],
            "** ERROR **\r This file does not have an EMULATOR Disk format HEADER\r"
            "    It may be a Disk file for use with a dedicated program");
  EXPECT_EQ(refused["drawing"].size(), 1u);
}

TEST_F(ReportTool, UnreadableFilesAreReportedAndSkipped) {
  const std::string big = Path("huge.dsk");
  { std::ofstream(big).put('x'); }
  fs::resize_file(big, 64u * 1024 * 1024 + 1);
  const std::string missing = Path("missing.dsk");

  ToolRun run = Tool({"--json", missing, dir_.string(), big, Path("jv1-35track.dsk")});
  EXPECT_EQ(run.status, 1);
  std::istringstream lines(run.out);
  std::vector<json> out;
  for (std::string line; std::getline(lines, line);) out.push_back(json::parse(line));
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0], json({{"file", missing}, {"error", "the file does not exist"}}));
  EXPECT_EQ(out[1]["error"], "it is a directory, not a file");
  EXPECT_EQ(out[2]["error"], "it is larger than 64 MiB, too large to be a disk image");
  EXPECT_EQ(out[3]["fields"]["Text12"]["text"], "JV1");

  // As text: a line on stderr for each file not read and nothing of it on
  // stdout; the blocks of those read one blank line apart.
  const std::string jv1 = Path("jv1-35track.dsk"), jv3 = Path("jv3-newdos80.dsk");
  run = Tool({missing, jv1, missing, jv3});
  EXPECT_EQ(run.status, 1);
  const std::string said = "trivane-report: " + missing + ": the file does not exist\n";
  EXPECT_EQ(run.err, said + said);
  EXPECT_EQ(run.out.rfind(jv1 + "\n", 0), 0u) << run.out;
  const std::size_t blank = run.out.find("\n\n");
  ASSERT_NE(blank, std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("\n\n", blank + 1), std::string::npos) << run.out;
  EXPECT_EQ(run.out.compare(blank + 2, jv3.size() + 1, jv3 + "\n"), 0) << run.out;
  fs::remove(big);
}

TEST_F(ReportTool, ExitStatus) {
  EXPECT_EQ(Tool({Path("notes.dsk"), Path("dmk-real-disk.dmk")}).status, 0);
  for (const auto& args : {std::vector<std::string>{}, {"--json"}, {"--xml", Path("notes.dsk")}}) {
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("usage: trivane-report [--json] FILE..."), std::string::npos);
  }
}

TEST_F(ReportTool, TextBlockShowsFieldsColoursAndMessages) {
  const ToolRun run = Tool({Path("jv3-newdos80.dsk"), Path("dmk-real-disk.dmk")});
  EXPECT_NE(run.out.find("  Text12  type       \"JV3\"  on green\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  Text2   density    \"   D/Density\"  red text\n"), std::string::npos);
  EXPECT_NE(run.out.find("  Text7   system     \"  Newdos/80\"  red text\n"), std::string::npos);
  EXPECT_NE(run.out.find("  message \"Error\"\n"
                         "            ** ERROR **  This file is a DMK type REAL disk format,\n"
                         "                                 used to access REAL Disks\n"),
            std::string::npos)
      << run.out;
}

// Names a terminal or a script could mistake, and output that cannot be written.
TEST_F(ReportTool, AwkwardNamesAndAFullDisk) {
#ifdef _WIN32
  GTEST_SKIP() << "names that are not UTF-8 and /dev/full are POSIX matters";
#else
  const std::string plain = Path("jv1-35track.dsk"), bad = Path(
                                                         "bad\xff"
                                                         "name.dsk");
  fs::copy_file(plain, bad);
  const json shown = JsonByFile({bad}).begin()->second;
  std::string hex;
  for (unsigned char c : bad) hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
  EXPECT_EQ(shown.value("file_hex", ""), hex);
  EXPECT_EQ(shown["file"], Path("bad\xEF\xBF\xBDname.dsk"));
  EXPECT_EQ(shown["fields"]["Text12"]["text"], "JV1");
  EXPECT_FALSE(JsonByFile({plain}).at(plain).contains("file_hex"));

  const std::string odd = Path("two\nlines\x1b.dsk");
  fs::copy_file(plain, odd);
  EXPECT_TRUE(JsonByFile({odd}).contains(odd));  // escaped in JSON, read back whole
  const std::string out = Tool({odd}).out;
  EXPECT_EQ(out.substr(0, out.find('\n')), Path("two\\nlines\\x1b.dsk")) << out;
  EXPECT_NE(out.find("\"  two\\nlines\\x1b.dsk\"\n"), std::string::npos) << out;
  fs::remove(bad);
  fs::remove(odd);

  const ToolRun full = Tool({plain}, "/dev/full");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "trivane-report: cannot write the output: No space left on device\n");
#endif
}

}  // namespace
}  // namespace trivane::test
