#include "ops/drives.h"

#include "disk/reed.h"
#include "formats/reed.h"
#include "ops/filesystems.h"

namespace trivane::ops {

Drives OpenDrives(const disk::Disk& disk) {
  Drives out;
  if (!disk::IsWholeHardDisk(disk)) {
    out.list.push_back({0, disk, OpenFilesystem(disk)});
    return out;
  }
  out.hard_disk = true;
  const int system = disk::ReedHeaderOf(disk.image).system;
  if (system == reed::kCpm) {
    out.why_none =
        "a CP/M hard disk: its drives' parameters lie in its system tracks, which this version "
        "does not read";
    return out;
  }
  for (int n = 0; n < disk::SliceCount(disk); ++n) {
    disk::Disk slice = disk::Slice(disk, n);
    std::unique_ptr<filesystems::Filesystem> fs = OpenFilesystem(slice);
    if (fs != nullptr) out.list.push_back({n, std::move(slice), std::move(fs)});
  }
  if (out.list.empty()) {
    out.why_none = "no drive's directory was found on cylinder " +
                   std::to_string(disk::ReedHeaderOf(disk.image).directory_cylinder) +
                   " or where a drive's boot sector names";
  }
  return out;
}

DriveDisk DiskOfDrive(const disk::Disk& disk, int number) {
  if (!disk::IsWholeHardDisk(disk)) {
    if (number > 0) return {{}, "a floppy has one drive, 0"};
    return {disk, ""};
  }
  // The drive named is looked at alone; the others only to say which there are.
  if (number >= 0 && number < disk::SliceCount(disk)) {
    disk::Disk slice = disk::Slice(disk, number);
    if (OpenFilesystem(slice) != nullptr) return {std::move(slice), ""};
  }
  Drives drives = OpenDrives(disk);
  if (drives.list.empty()) return {{}, drives.why_none};
  std::string numbers;
  for (const Drive& d : drives.list) {
    if (d.number == number || (number < 0 && drives.list.size() == 1)) return {d.disk, ""};
    numbers += (numbers.empty() ? "" : ", ") + std::to_string(d.number);
  }
  return {{},
          number < 0 ? "a hard disk of " + std::to_string(drives.list.size()) +
                           " drives: say which with --drive N (" + numbers + ")"
                     : "the hard disk has no drive " + std::to_string(number) +
                           " (its drives: " + numbers + ")"};
}

}  // namespace trivane::ops
