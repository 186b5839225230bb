// A Reed hard disk whose header and a drive's directory cylinder are the
// input: a new two-drive LDOS hard disk, its header bytes from 2 on laid
// over by the input's first 46 bytes, the directory cylinder of the drive
// the first byte picks by the rest. The whole disk and each drive found
// hold what every disk read must; every file of every drive reads; a put
// and a delete on each drive are refused or proved, never a fault.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "builder/dos_images.h"
#include "formats/reed.h"
#include "fuzz/fuzz_checks.h"
#include "ops/drives.h"
#include "ops/prove.h"

namespace {

namespace disk = trivane::disk;
constexpr int kCylinders = 36, kHeads = 2, kHeaderInput = 46;

const std::vector<std::uint8_t>& Base() {
  static const std::vector<std::uint8_t> base = trivane::build::NewHardDisk(kCylinders, kHeads);
  return base;
}

void ChangeEachDrive(const trivane::ops::Drives& drives) {
  for (const trivane::ops::Drive& d : drives.list) {
    trivane::fuzz::CheckDisk(d.disk, d.disk.image);
    const auto files = d.fs->List(true);
    for (const auto& f : files) (void)d.fs->Read(f);
    const std::vector<std::uint8_t> data(3000, 0x5A);
    const auto put = trivane::ops::PutFile(*d.fs, "FUZZ/DAT", data, true, "12/08/26");
    trivane::fuzz::Require(!put.fault, "a put on a drive did not read back as made");
    if (!files.empty()) {
      const auto gone = trivane::ops::DeleteFile(*d.fs, files.back().name);
      trivane::fuzz::Require(!gone.fault, "a delete on a drive did not read back as made");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes = Base();
  if (bytes.empty()) return 0;
  const std::size_t header = std::min<std::size_t>(size, kHeaderInput);
  std::copy(data, data + header, bytes.begin() + 2);
  const std::size_t drive = size > 0 ? data[0] % kHeads : 0;
  const std::size_t directory = trivane::reed::kHeaderBytes + ((kCylinders / 2) * kHeads + drive) *
                                                                  trivane::reed::kSliceSectors *
                                                                  256;
  const std::size_t rest = std::min(size - header, bytes.size() - directory);
  std::copy(data + header, data + header + rest, bytes.begin() + static_cast<long>(directory));
  const trivane::ImageBuffer image(bytes.data(), bytes.size(), nullptr);
  const disk::Disk d = disk::ReadDisk(image);
  trivane::fuzz::CheckDisk(d, image);
  ChangeEachDrive(trivane::ops::OpenDrives(d));
  return 0;
}
