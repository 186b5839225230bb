// Reads the input's sectors, decides its DOS, lists its directory and reads
// every file, live and deleted; then the same through every other unit (CP/M,
// UCSD p-System, MS-DOS). The image views libFuzzer's own buffer, so any read
// past it is the sanitizer's.
#include <cstddef>
#include <cstdint>

#include "fs/trsdos/catalogue.h"
#include "fs/trsdos/unit.h"
#include "fuzz/fuzz_checks.h"
#include "ops/filesystems.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using trivane::fuzz::Require;
  const trivane::ImageBuffer image(data, size, nullptr);
  const trivane::disk::Disk disk = trivane::disk::ReadDisk(image);
  const trivane::trsdos::Catalogue c = trivane::trsdos::ReadCatalogue(disk);
  Require(c.family != trivane::trsdos::Family::kUnknown || c.files.empty(), "files of no DOS");
  Require(!c.evidence.empty(), "a result without evidence");
  Require(c.granules_free <= c.granules_total, "more granules free than the disk holds");
  for (const auto* files : {&c.files, &c.deleted}) {
    for (const trivane::trsdos::File& f : *files) {
      const trivane::trsdos::FileBytes bytes = trivane::trsdos::ReadFile(disk, c, f);
      Require(static_cast<std::int64_t>(bytes.bytes.size()) + bytes.missing == f.size,
              "file bytes and the missing part not its size");
      Require(!f.complete || bytes.whole(), "a file said complete that was not read whole");
    }
  }
  // Every other unit, each on its own.
  for (const trivane::ops::Unit& u : trivane::ops::Units()) {
    if (u.open == trivane::trsdos::OpenTrsdos) continue;
    const auto fs = u.open(disk, 0);
    Require(fs->Score() > 0 || fs->List(true).empty(), "files of no directory");
    Require(!fs->Evidence().empty(), "a reading without evidence");
    for (const trivane::filesystems::Entry& e : fs->List(true)) {
      const trivane::filesystems::FileBytes bytes = fs->Read(e);
      Require(static_cast<std::int64_t>(bytes.bytes.size()) + bytes.missing == e.size,
              "file bytes and the missing part not its size");
      Require(!e.complete || bytes.whole(), "a file said complete that was not read whole");
    }
  }
  return 0;
}
