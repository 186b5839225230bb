// The input as an image, however damaged, taken as writable: a put of a new
// file, and a delete and a rename of each of the last three files listed,
// each through the filesystem that would change the disk, are refused with
// their reason or proved, never a fault. The image views libFuzzer's own
// buffer, so any read past it is the sanitizer's.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "ops/filesystems.h"
#include "ops/prove.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using trivane::fuzz::Require;
  const trivane::ImageBuffer image(data, size, nullptr);
  trivane::disk::Disk disk = trivane::disk::ReadDisk(image);
  disk.write_protected = false;
  const auto fs = trivane::ops::FilesystemToChange(disk);
  const std::vector<std::uint8_t> bytes(3000, 0x5A);
  Require(!trivane::ops::PutFile(*fs, "FUZZ/DAT", bytes, true, "12/08/26").fault,
          "a put that did not read back as made");
  const auto files = fs->List(true);
  for (std::size_t k = files.size(); k > 0 && k + 3 > files.size(); --k) {
    const std::string& name = files[k - 1].name;
    Require(!trivane::ops::DeleteFile(*fs, name).fault, "a delete that did not read back as made");
    Require(!trivane::ops::RenameFile(*fs, name, "ZZ/DAT").fault,
            "a rename that did not read back as made");
  }
  return 0;
}
