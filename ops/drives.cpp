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

// How a hard disk's drives lie: 32-sector slices, runs of `run` whole
// cylinders, or groups of `heads` slices as one drive's heads.
struct DriveLayout {
  int run = 0, heads = 0;
};

disk::Disk DriveOf(const disk::Disk& disk, int n, DriveLayout l) {
  if (l.heads > 0) return disk::SliceHeads(disk, n * l.heads, l.heads);
  return l.run > 0 ? disk::Run(disk, n, l.run) : disk::Slice(disk, n);
}

int DriveCount(const disk::Disk& disk, DriveLayout l) {
  if (l.heads > 0) return disk::SliceCount(disk) / l.heads;
  return l.run > 0 ? disk.cylinders / l.run : disk::SliceCount(disk);
}

// Every drive of the layout whose directory a unit finds, and their scores.
int FoundDrives(const disk::Disk& disk, DriveLayout l, Drives& out) {
  int score = 0;
  for (int n = 0; n < DriveCount(disk, l); ++n) {
    disk::Disk drive = DriveOf(disk, n, l);
    std::unique_ptr<filesystems::Filesystem> fs = OpenFilesystem(drive);
    if (fs == nullptr) continue;
    score += fs->Score();
    out.list.push_back({n, std::move(drive), std::move(fs)});
  }
  return score;
}

// A CP/M hard disk's drives: groups of its slices as the heads of each
// drive, of at most 8 MB; of the groupings, the one whose drives'
// directories explain the most (none: slices).
DriveLayout CpmLayout(const disk::Disk& disk) {
  constexpr std::int64_t kMostDriveBytes = std::int64_t{8} << 20;
  const int slices = disk::SliceCount(disk);
  DriveLayout best;
  int best_score = 0;
  for (int heads = 1; heads <= slices; ++heads) {
    const std::int64_t bytes = std::int64_t{disk.cylinders} * heads * reed::kSliceSectors * 256;
    if (slices % heads != 0 || bytes > kMostDriveBytes) continue;
    Drives found;
    const int score = FoundDrives(disk, {0, heads}, found);
    if (score > best_score) best = {0, heads}, best_score = score;
  }
  return best;
}

DriveLayout LayoutOf(const disk::Disk& disk) {
  if (disk::ReedHeaderOf(disk.image).system == reed::kCpm) return CpmLayout(disk);
  return {RunLength(disk), 0};
}

}  // namespace

Drives OpenDrives(const disk::Disk& disk) {
  Drives out;
  if (!disk::IsWholeHardDisk(disk)) {
    out.list.push_back({0, disk, OpenFilesystem(disk)});
    return out;
  }
  out.hard_disk = true;
  FoundDrives(disk, LayoutOf(disk), out);
  if (out.list.empty()) {
    out.why_none = disk::ReedHeaderOf(disk.image).system == reed::kCpm
                       ? "a CP/M hard disk, but no grouping of its slices holds a CP/M directory"
                       : "no drive's directory was found on cylinder " +
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
  const DriveLayout layout = LayoutOf(disk);
  if (number >= 0 && number < DriveCount(disk, layout)) {
    disk::Disk drive = DriveOf(disk, number, layout);
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
