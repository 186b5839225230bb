#include "ops/drives.h"

#include <algorithm>

#include "disk/reed.h"
#include "formats/reed.h"
#include "ops/filesystems.h"

namespace trivane::ops {
namespace {

// A GAT's name and date at bytes D0 to DF: "MULTIDOS01/30/22".
bool GatNamed(const std::vector<std::uint8_t>& s) {
  const auto digit = [&](int k) {
    return s[static_cast<std::size_t>(k)] >= '0' && s[static_cast<std::size_t>(k)] <= '9';
  };
  return s.size() == 256 && s[0xDA] == '/' && s[0xDD] == '/' && digit(0xD8) && digit(0xD9) &&
         digit(0xDB) && digit(0xDC) && digit(0xDE) && digit(0xDF);
}

// Drives as runs of whole cylinders, each with its directory the same way
// into it (MULTIDOS): the run is the distance from the header's directory
// cylinder to the next cylinder whose sector 0 is a GAT of the same
// version and geometry bytes (CB to CD); 0 for none: drives are slices.
int RunLength(const disk::Disk& disk) {
  const int first = disk::ReedHeaderOf(disk.image).directory_cylinder;
  const std::vector<std::uint8_t> gat = disk::HardDiskSector(disk, first, 0);
  if (!GatNamed(gat)) return 0;
  for (int c = first + 1; c < disk.cylinders; ++c) {
    const std::vector<std::uint8_t> s = disk::HardDiskSector(disk, c, 0);
    if (GatNamed(s) && std::equal(s.begin() + 0xCB, s.begin() + 0xCE, gat.begin() + 0xCB)) {
      return c - first;
    }
  }
  return 0;
}

// Drive n: its slice, or its run of `run` cylinders.
disk::Disk DriveOf(const disk::Disk& disk, int n, int run) {
  return run > 0 ? disk::Run(disk, n, run) : disk::Slice(disk, n);
}

int DriveCount(const disk::Disk& disk, int run) {
  return run > 0 ? disk.cylinders / run : disk::SliceCount(disk);
}

// A CP/M hard disk's drives: groups of its slices as the heads of each
// drive, of at most 8 MB; of the groupings, the one whose drives' directories
// explain the most.
void CpmDrives(const disk::Disk& disk, Drives& out) {
  constexpr std::int64_t kMostDriveBytes = std::int64_t{8} << 20;
  const int slices = disk::SliceCount(disk);
  int best = 0;
  for (int heads = 1; heads <= slices; ++heads) {
    const std::int64_t bytes = std::int64_t{disk.cylinders} * heads * reed::kSliceSectors * 256;
    if (slices % heads != 0 || bytes > kMostDriveBytes) continue;
    Drives found;
    int score = 0;
    for (int n = 0; n < slices / heads; ++n) {
      disk::Disk drive = disk::SliceHeads(disk, n * heads, heads);
      std::unique_ptr<filesystems::Filesystem> fs = OpenFilesystem(drive);
      if (fs == nullptr) continue;
      score += fs->Score();
      found.list.push_back({n, std::move(drive), std::move(fs)});
    }
    if (score > best) {
      best = score;
      out.list = std::move(found.list);
    }
  }
}

}  // namespace

Drives OpenDrives(const disk::Disk& disk) {
  Drives out;
  if (!disk::IsWholeHardDisk(disk)) {
    out.list.push_back({0, disk, OpenFilesystem(disk)});
    return out;
  }
  out.hard_disk = true;
  const int system = disk::ReedHeaderOf(disk.image).system;
  if (system == reed::kCpm) {
    CpmDrives(disk, out);
    if (out.list.empty()) {
      out.why_none = "a CP/M hard disk, but no grouping of its slices holds a CP/M directory";
    }
    return out;
  }
  const int run = RunLength(disk);
  for (int n = 0; n < DriveCount(disk, run); ++n) {
    disk::Disk drive = DriveOf(disk, n, run);
    std::unique_ptr<filesystems::Filesystem> fs = OpenFilesystem(drive);
    if (fs != nullptr) out.list.push_back({n, std::move(drive), std::move(fs)});
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
  const int run = RunLength(disk);
  if (number >= 0 && number < DriveCount(disk, run)) {
    disk::Disk drive = DriveOf(disk, number, run);
    if (OpenFilesystem(drive) != nullptr) return {std::move(drive), ""};
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
