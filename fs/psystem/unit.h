// UCSD p-System volumes as a filesystem unit, read and never changed. On
// TRS-80 disks a volume fills the data area of a CP/M format (the Model 4's
// Montezuma system disks hold them): its blocks are that area's bytes, 512
// a block, from the first sector after the reserved tracks, in CP/M's
// logical order; the directory lies in blocks 2 to 5 (fs/psystem/directory.h).
#pragma once

#include <memory>

#include "disk/sector_store.h"
#include "fs/filesystem.h"

namespace trivane::psystem {

std::unique_ptr<filesystems::Filesystem> OpenPsystem(const disk::SharedDisk& disk, int beat = 0);

}  // namespace trivane::psystem
