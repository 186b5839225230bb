// The input as an SCP file: every track's flux read to sectors over every
// revolution, and the disk written as SCP again reads back to the same
// sectors; whatever it holds, nothing read outside it.
#include <cstddef>
#include <cstdint>

#include "disk/container.h"
#include "fuzz/fuzz_checks.h"
#include "ops/convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace disk = trivane::disk;
  const disk::Disk d = disk::ReadDisk(trivane::ImageBuffer({data, data + size}));
  if (d.container != disk::Container::kScp) return 0;
  trivane::fuzz::CheckRevolutions(d);
  const disk::Written w = disk::FormatOf(disk::Container::kScp).write(d, {});
  if (!w.losses.empty()) return 0;
  const disk::Disk back = disk::ReadDisk(trivane::ImageBuffer(w.bytes));
  trivane::fuzz::Require(trivane::ops::CompareSectors(d, back, {}).empty(),
                         "an SCP written reads back otherwise");
  return 0;
}
