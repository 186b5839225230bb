#include "report/file_report.h"

#include <filesystem>

#include "identification/identify_image.h"
#include "loader/image_file.h"

namespace trivane::report {

FileReport ReportFile(const std::string& path) {
  FileReport report;
  report.file = path;
  report.error = LoadAndIdentify(PathFromUtf8(path), report.record, report.window);
  return report;
}

}  // namespace trivane::report
