// A click on a file: its name shown, the file opened, the image identified.
#include "identification/identify_image.h"
#include "loader/image_file.h"

namespace trivane {

std::string LoadAndIdentify(const std::filesystem::path& path, AnalysisRecord& record,
                            WindowOps& window) {
  window.SetText(Field::Text16, "  " + Utf8Of(path.filename()));
  LoadedImage loaded = OpenImageFile(path);
  if (!loaded.ok()) {
    ClearResult(window);
    return loaded.error;
  }
  record.filea = Utf8Of(path);
  record.filebuf = std::move(loaded.buffer);
  IdentifyImage(record, window);
  return {};
}

}  // namespace trivane
