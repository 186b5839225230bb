// Reads every sector of the input as an image, then looks each one up again
// and takes its data. The image views libFuzzer's own buffer, which is
// exactly the input's size, so any read past it is the sanitizer's.
#include <cstddef>
#include <cstdint>

#include "disk/sector_store.h"
#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using trivane::fuzz::Require;
  const trivane::ImageBuffer image(data, size, nullptr);
  const trivane::disk::Disk disk = trivane::disk::ReadDisk(image);
  Require(disk.sectors.empty() || disk.error.empty(), "sectors beside an error");
  Require(disk.heads <= 2, "more than two heads");
  const trivane::disk::SectorStore store(disk);
  for (std::size_t i = 0; i < disk.sectors.size(); ++i) {
    const trivane::disk::Sector& s = disk.sectors[i];
    Require(s.size == 128 || s.size == 256 || s.size == 512 || s.size == 1024, "impossible size");
    Require(!s.has_data() || (s.data_offset >= 0 && s.data_offset < image.size()),
            "data outside the image");
    Require(s.cylinder < disk.cylinders && s.head < disk.heads, "sector outside the geometry");
    if (i % 29 == 0) {  // a lookup walks every sector: a sample of them keeps the target quick
      const trivane::disk::Sector* found = store.At({s.cylinder, s.head, s.id_sector});
      Require(found != nullptr && found->id_sector == s.id_sector, "a sector not found again");
    }
    Require(trivane::disk::SectorData(disk, s).size() == (s.has_data() ? s.size : 0u),
            "data of the wrong size");
  }
  return 0;
}
