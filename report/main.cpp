// trivane-report [--json] FILE...: identifies each file as the window would
// and writes what it shows, as text or as one JSON object a line.
#include <iostream>
#include <string>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "cli/arguments.h"
#include "cli/in_order.h"
#include "cli/options.h"
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

// Reports on every file, writing each one's output in the files' order.
int ReportAll(const std::vector<std::string>& files, bool json) {
  // A report is small: many may wait while a large image is read.
  return trivane::cli::WriteInOrder(
      "trivane-report", files, json, 64, [&](std::size_t i) -> trivane::cli::Shown {
        const trivane::report::FileReport report = trivane::report::ReportFile(files[i]);
        if (json) return {trivane::report::JsonLine(report) + "\n", report.error};
        return {report.error.empty() ? trivane::report::TextBlock(report) : "", report.error};
      });
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
