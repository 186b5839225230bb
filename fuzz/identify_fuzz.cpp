// Identifies the input as an image. The image views libFuzzer's own buffer,
// which is exactly the input's size, so any read past it is the sanitizer's.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_checks.h"
#include "identification/identify_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  trivane::AnalysisRecord record;
  trivane::RecordingWindow window;
  record.filebuf = trivane::ImageBuffer(data, size, nullptr);
  trivane::IdentifyImage(record, window);
  trivane::fuzz::CheckIdentified(window);
  return 0;
}
