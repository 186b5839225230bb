// MS-DOS (FAT12) disks as a filesystem unit, read and never changed: found
// by their boot sector, their directories read from the root down
// (fs/fat/volume.h). A disk whose cylinder 0 holds nothing (every sector
// E5) but whose other tracks hold DOS directory entries is MS-DOS without
// its boot sector, FATs and root directory: said so, with no file read.
#pragma once

#include <memory>

#include "disk/sector_store.h"
#include "fs/filesystem.h"

namespace trivane::fat {

std::unique_ptr<filesystems::Filesystem> OpenFat(const disk::SharedDisk& disk, int beat = 0);

}  // namespace trivane::fat
