// Converts the input's disk to every container, what cannot be held left
// out, and reads each image back: every sector kept must read back as it
// was (and, where nothing was lost, the catalogue too); a difference is the
// fault this target looks for. HFE's cells cost a hundred times a track's
// bytes under the sanitizers: disks of up to 16 tracks are written as HFE,
// the rest left to the cells target.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_checks.h"
#include "ops/convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using trivane::fuzz::Require;
  namespace disk = trivane::disk;
  const trivane::ImageBuffer image(data, size, nullptr);
  const disk::Disk d = disk::ReadDisk(image);
  if (!d.error.empty()) return 0;
  for (const disk::ContainerFormat* row : disk::Containers()) {
    const disk::ContainerFormat& format = *row;
    const disk::Container to = format.kind;
    for (bool twice : {true, false}) {
      if (!twice && to != disk::Container::kDmk) continue;  // a DMK option only
      if (to == disk::Container::kHfe && d.cylinders * d.heads > 16) continue;
      const trivane::ops::Proved p = trivane::ops::Convert(d, to, {twice}, true);
      Require(!p.fault, "a conversion that does not read back as the disk");
    }
  }
  return 0;
}
