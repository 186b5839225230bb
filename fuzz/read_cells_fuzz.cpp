// The HFE and IMD readers on any bytes behind their signatures: the input's
// first byte picks HFE version 1, version 3 or IMD, the rest follows the
// signature. Every disk read holds what any disk read must, and written
// again as its own container it reads back with the same sectors, but for
// what the writer lists as lost.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/hfe.h"
#include "formats/imd.h"
#include "fuzz/fuzz_checks.h"
#include "ops/convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace disk = trivane::disk;
  if (size == 0) return 0;
  const std::string_view signature = data[0] % 3 == 0   ? trivane::hfe::kVersion1
                                     : data[0] % 3 == 1 ? trivane::hfe::kVersion3
                                                        : trivane::imd::kSignature;
  std::vector<std::uint8_t> bytes(signature.begin(), signature.end());
  bytes.insert(bytes.end(), data + 1, data + size);
  const trivane::ImageBuffer image(bytes.data(), bytes.size(), nullptr);
  const disk::Disk d = disk::ReadDisk(image);
  trivane::fuzz::CheckDisk(d, image);
  if (!d.error.empty()) return 0;
  const trivane::ops::Proved p = trivane::ops::Convert(d, d.container, {}, true);
  trivane::fuzz::Require(!p.fault, "written again, the disk does not read back as it was");
  return 0;
}
