// trivane-report [--json] FILE...: identifies each file as the window would
// and writes what it shows, as text or as one JSON object a line.
#include <iostream>
#include <string>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "cli/arguments.h"
#include "cli/escaped.h"
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
  trivane::cli::Output output("trivane-report");
  int status = 0;
  bool first = true;
  for (const std::string& file : files) {
    const trivane::report::FileReport report = trivane::report::ReportFile(file);
    if (!report.error.empty()) status = 1;
    std::string out;
    if (json) {
      out = trivane::report::JsonLine(report) + "\n";
    } else if (!report.error.empty()) {
      std::cerr << "trivane-report: " << trivane::cli::Escaped(file) << ": " << report.error
                << "\n";
    } else {
      out = first ? "" : "\n";
      out += trivane::report::TextBlock(report);
      first = false;
    }
    if (!output.Write(out)) return 1;
  }
  return output.Finish() ? status : 1;
}
