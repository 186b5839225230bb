#include "report/file_report.h"

#include <filesystem>

#include "identify/identify_image.h"
#include "loader/image_file.h"

namespace trivane::report {

FileReport ReportFile(const std::string& path) {
  FileReport report;
  report.file = path;
  LoadedImage loaded = MapImageFile(path);
  if (!loaded.ok()) {
    report.error = loaded.error;
    return report;
  }
  report.record.filea = path;
  report.window.SetText(Field::Text16, "  " + std::filesystem::path(path).filename().string());
  report.record.filebuf = std::move(loaded.buffer);
  IdentifyImage(report.record, report.window);
  return report;
}

}  // namespace trivane::report
