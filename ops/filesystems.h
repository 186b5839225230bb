// The filesystem units in one table, and a disk's filesystem found by
// asking each of them: the one whose evidence is best is kept.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "disk/disk.h"
#include "fs/filesystem.h"

namespace trivane::ops {

struct Unit {
  std::string_view name;  // "TRSDOS family"
  // What the unit makes of the disk; its score 0 when it explains nothing.
  std::unique_ptr<filesystems::Filesystem> (*open)(const disk::Disk& disk);
};

std::span<const Unit> Units();

// The best explanation of the disk; nullptr when no unit explains it.
std::unique_ptr<filesystems::Filesystem> OpenFilesystem(const disk::Disk& disk);
// The filesystem to change: the best explanation, or where none explains
// the disk the first unit's reading, which refuses every change and says why.
std::unique_ptr<filesystems::Filesystem> FilesystemToChange(const disk::Disk& disk);

}  // namespace trivane::ops
