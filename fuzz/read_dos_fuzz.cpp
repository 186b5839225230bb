// Reads the input's sectors, decides its DOS, lists its directory and reads
// every file, live and deleted; then the same as CP/M. The image views libFuzzer's own buffer, so
// any read past it is the sanitizer's.
#include <cstddef>
#include <cstdint>

#include "fs/cpm/unit.h"
#include "fs/trsdos/catalogue.h"
#include "fuzz/fuzz_checks.h"

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
  const auto cpm = trivane::cpm::OpenCpm(disk);
  Require(cpm->Score() > 0 || cpm->List(true).empty(), "CP/M files of no CP/M directory");
  Require(!cpm->Evidence().empty(), "a CP/M reading without evidence");
  for (const trivane::filesystems::Entry& e : cpm->List(true)) {
    const trivane::filesystems::FileBytes bytes = cpm->Read(e);
    Require(static_cast<std::int64_t>(bytes.bytes.size()) + bytes.missing == e.size,
            "CP/M file bytes and the missing part not its size");
    Require(!e.complete || bytes.whole(), "a CP/M file said complete that was not read whole");
  }
  return 0;
}
