#include "ops/filesystems.h"

#include "fs/trsdos/unit.h"

namespace trivane::ops {
namespace {

constexpr Unit kUnits[] = {
    {"TRSDOS family", trsdos::OpenTrsdos},
};

}  // namespace

std::span<const Unit> Units() {
  return kUnits;
}

// The higher score wins; the earlier unit on a tie.
std::unique_ptr<filesystems::Filesystem> OpenFilesystem(const disk::Disk& disk) {
  std::unique_ptr<filesystems::Filesystem> best;
  for (const Unit& u : kUnits) {
    std::unique_ptr<filesystems::Filesystem> fs = u.open(disk);
    if (fs != nullptr && fs->Score() > 0 && (best == nullptr || fs->Score() > best->Score())) {
      best = std::move(fs);
    }
  }
  return best;
}

std::unique_ptr<filesystems::Filesystem> FilesystemToChange(const disk::Disk& disk) {
  std::unique_ptr<filesystems::Filesystem> best = OpenFilesystem(disk);
  return best != nullptr ? std::move(best) : kUnits[0].open(disk);
}

}  // namespace trivane::ops
