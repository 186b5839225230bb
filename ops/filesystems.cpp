#include "ops/filesystems.h"

#include <algorithm>

#include "disk/reed.h"
#include "formats/reed.h"
#include "formats/text.h"
#include "fs/cpm/format.h"
#include "fs/cpm/unit.h"
#include "fs/fat/unit.h"
#include "fs/psystem/unit.h"
#include "fs/trsdos/unit.h"

namespace trivane::ops {
namespace {

constexpr Unit kUnits[] = {
    {"TRSDOS family", trsdos::OpenTrsdos, trsdos::TrsdosFormats, trsdos::FormatTrsdos, nullptr},
    {"CP/M", cpm::OpenCpm, cpm::CpmFormats, cpm::FormatCpm, cpm::OpenCpmAs},
    {"UCSD p-System", psystem::OpenPsystem, nullptr, nullptr, nullptr},
    {"MS-DOS", fat::OpenFat, nullptr, nullptr, nullptr},
};

// The units that may explain the disk: none for a hard disk read whole
// (its drives are read one by one); the TRSDOS family's for a drive of a
// hard disk whose header names a TRSDOS-family system; every unit for a
// floppy.
std::span<const Unit> UnitsFor(const disk::Disk& disk) {
  if (disk.container != disk::Container::kReed) return kUnits;
  if (disk::IsWholeHardDisk(disk)) return {};
  // A CP/M hard disk's drives are CP/M's; the others the TRSDOS family's.
  if (disk::ReedHeaderOf(disk.image).system == reed::kCpm) {
    return std::span<const Unit>(kUnits).subspan(1, 1);
  }
  return std::span<const Unit>(kUnits).first(1);
}

}  // namespace

std::span<const Unit> Units() {
  return kUnits;
}

namespace {

// The higher score wins; the earlier unit on a tie, so each unit is asked
// to beat the best so far. With `first`, the first unit's reading is kept
// there too, for a disk no unit explains.
std::unique_ptr<filesystems::Filesystem> Best(
    const disk::SharedDisk& disk, std::unique_ptr<filesystems::Filesystem>* first = nullptr) {
  std::unique_ptr<filesystems::Filesystem> best;
  for (const Unit& u : UnitsFor(disk.disk())) {
    std::unique_ptr<filesystems::Filesystem> fs = u.open(disk, best ? best->Score() : 0);
    if (fs != nullptr && fs->Score() > 0 && (best == nullptr || fs->Score() > best->Score())) {
      best = std::move(fs);
    } else if (first != nullptr && &u == &kUnits[0]) {
      *first = std::move(fs);
    }
  }
  return best;
}

}  // namespace

std::unique_ptr<filesystems::Filesystem> OpenFilesystem(const disk::Disk& disk) {
  return Best(disk);
}

std::unique_ptr<filesystems::Filesystem> FilesystemToChange(const disk::Disk& disk) {
  const disk::SharedDisk shared(disk);
  std::unique_ptr<filesystems::Filesystem> first;
  std::unique_ptr<filesystems::Filesystem> best = Best(shared, &first);
  if (best != nullptr) return best;
  return first != nullptr ? std::move(first) : kUnits[0].open(shared, 0);
}

std::unique_ptr<filesystems::Filesystem> FilesystemAs(const disk::Disk& disk,
                                                      const std::string& format) {
  const disk::SharedDisk shared(disk);
  for (const Unit& u : kUnits) {
    if (u.open_as == nullptr) continue;
    auto fs = u.open_as(shared, format);
    if (fs == nullptr) continue;
    // A disk another family explains stays that family's.
    auto best = Best(shared);
    return best != nullptr && best->Family() != fs->Family() ? std::move(best) : std::move(fs);
  }
  return nullptr;
}

std::vector<filesystems::FormatChoice> FormatChoices() {
  std::vector<filesystems::FormatChoice> out;
  for (const Unit& u : kUnits) {
    if (u.formats == nullptr) continue;
    for (filesystems::FormatChoice& c : u.formats()) out.push_back(std::move(c));
  }
  return out;
}

std::string FormatWords() {
  std::vector<std::string> words;
  for (const filesystems::FormatChoice& c : FormatChoices()) {
    if (std::find(words.begin(), words.end(), c.word) == words.end()) words.push_back(c.word);
  }
  return JoinedWords(words, ", ", " or ");
}

filesystems::NewDisk FormatNew(const filesystems::FormatRequest& request) {
  for (const Unit& u : kUnits) {
    if (u.formats == nullptr) continue;
    for (const filesystems::FormatChoice& c : u.formats()) {
      if (c.word == request.dos) return u.format(request);
    }
  }
  filesystems::NewDisk none;
  none.error = "no FORMAT for that DOS";
  return none;
}

}  // namespace trivane::ops
