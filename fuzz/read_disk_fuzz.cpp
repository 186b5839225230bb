// Reads every sector of the input as an image, then looks each one up again
// and takes its data. The image views libFuzzer's own buffer, which is
// exactly the input's size, so any read past it is the sanitizer's.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const trivane::ImageBuffer image(data, size, nullptr);
  trivane::fuzz::CheckDisk(trivane::disk::ReadDisk(image), image);
  return 0;
}
