// Applies the puts, deletes and renames the input spells to a new disk of
// each DOS through its filesystem, each change proved as it is made: a change that does not read
// back as made is the fault this target looks for. The input: a byte that
// picks the disk, then four bytes a step (what, which name, size).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "disk/container.h"
#include "fs/trsdos/change.h"
#include "fs/trsdos/format.h"
#include "fuzz/fuzz_checks.h"
#include "ops/filesystems.h"
#include "ops/prove.h"

namespace {

namespace disk = trivane::disk;
namespace trsdos = trivane::trsdos;

std::vector<disk::Disk> Disks() {
  std::vector<disk::Disk> disks;
  for (trsdos::Family f : {trsdos::Family::kNewdos80, trsdos::Family::kTrsdos23,
                           trsdos::Family::kLdos, trsdos::Family::kTrsdos13}) {
    for (disk::Container to : {disk::Container::kDmk, disk::Container::kJv3}) {
      const trsdos::NewDisk n = trsdos::FormatDisk({f, 0, 0, 0, "", "01/02/85", to});
      disks.push_back(
          disk::ReadDisk(trivane::ImageBuffer(disk::FormatOf(to).write(n.disk, {}).bytes)));
    }
  }
  // New CP/M disks: one-byte and two-byte block numbers, FM and MFM.
  for (const char* format : {"omikron", "cpm-plus-model4", "pickles-trout", "genie3s-holte"}) {
    trivane::filesystems::FormatRequest q;
    q.dos = "cpm";
    q.format = format;
    const trivane::filesystems::NewDisk n = trivane::ops::FormatNew(q);
    disks.push_back(disk::ReadDisk(
        trivane::ImageBuffer(disk::FormatOf(disk::Container::kDmk).write(n.disk, {}).bytes)));
  }
  return disks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<disk::Disk> kDisks = Disks();
  if (size == 0) return 0;
  disk::Disk d = kDisks[data[0] % kDisks.size()];
  for (std::size_t at = 1; at + 4 <= size && at < 1 + 4 * 12; at += 4) {
    const std::string name = "F" + std::to_string(data[at + 1] % 6);
    const std::size_t bytes = static_cast<std::size_t>(data[at + 2] | data[at + 3] << 8) * 3;
    std::vector<std::uint8_t> file(bytes, data[at + 2]);
    const auto fs = trivane::ops::FilesystemToChange(d);
    using namespace trivane::ops;
    trivane::filesystems::Changed c =
        data[at] % 4 == 0   ? PutFile(*fs, name + "/DAT", file, data[at] & 4, "01/02/85")
        : data[at] % 4 == 1 ? DeleteFile(*fs, name + "/DAT")
        : data[at] % 4 == 2 ? RenameFile(*fs, name + "/DAT", "G" + name + "/DAT")
                            : PutFile(*fs, name, file, true, "01/02/85");
    trivane::fuzz::Require(!c.fault, "a change that does not read back as made");
    if (c.error.empty()) d = std::move(c.disk);
  }
  return 0;
}
