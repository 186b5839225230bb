// trivane-report [--json] FILE...: identifies each file as the window would
// and writes what it shows, as text or as one JSON object a line.
#include <iostream>
#include <string>
#include <utility>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "cli/arguments.h"
#include "cli/escaped.h"
#include "cli/in_order.h"
#include "cli/options.h"
#include "cli/output.h"
#include "report/file_report.h"

namespace {

constexpr const char* kUsage = "usage: trivane-report [--json] FILE...\n";

// What one image's reading freed is kept for the next: given back to the
// system, every page the next image reads would come fresh, at a fault.
void KeepFreedMemory() {
#ifdef __GLIBC__
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

// What one file shows: its block or line, and why it could not be read.
struct Shown {
  std::string out, error;
};

// Reports on every file, writing each one's output in the files' order.
int ReportAll(const std::vector<std::string>& files, bool json) {
  trivane::cli::Output output("trivane-report");
  int status = 0;
  bool blocks = false, written = true;
  // Each file's output is made beside the others; only writing it is in order.
  const auto produce = [&](std::size_t i) {
    const trivane::report::FileReport report = trivane::report::ReportFile(files[i]);
    if (json) return Shown{trivane::report::JsonLine(report) + "\n", report.error};
    return Shown{report.error.empty() ? trivane::report::TextBlock(report) : "", report.error};
  };
  const auto consume = [&](std::size_t i, const Shown& shown) {
    if (!shown.error.empty()) {
      status = 1;
      if (!json) {
        std::cerr << "trivane-report: " << trivane::cli::Escaped(files[i]) << ": " << shown.error
                  << "\n";
      }
    }
    if (!shown.out.empty() && !json && std::exchange(blocks, true)) written = output.Write("\n");
    return written = written && output.Write(shown.out);
  };
  const unsigned workers = trivane::cli::Workers();
  trivane::cli::InOrder<Shown>(files.size(), workers, 64 * workers, produce, consume);
  if (!written) return 1;
  return output.Finish() ? status : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const trivane::cli::Parsed p =
      trivane::cli::ParseOptions(trivane::cli::Arguments(argc, argv), {{"--json"}, {"--version"}});
  if (p.help) {
    std::cout << kUsage
              << "\nIdentifies each disk image as the Trivane window does and writes what it\n"
                 "shows: a block of text per file, or with --json one JSON object per line.\n"
                 "Exit status: 0 when every file was read, 1 when any could not be read or\n"
                 "the output could not be written, 2 for a usage error.\n";
    return 0;
  }
  if (!p.error.empty()) {
    std::cerr << "trivane-report: " << p.error << "\n" << kUsage;
    return 2;
  }
  if (p.Has("--version")) {
    std::cout << "trivane-report " TRIVANE_VERSION "\n";
    return 0;
  }
  const bool json = p.Has("--json");
  const std::vector<std::string>& files = p.operands;
  if (files.empty()) {
    std::cerr << kUsage;
    return 2;
  }

  KeepFreedMemory();
  return ReportAll(files, json);
}
