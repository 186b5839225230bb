// CP/M as a filesystem unit: its format found (fs/cpm/detect.h), its
// directory read (fs/cpm/directory.h), its files by their names as users
// type them ("NAME.TYP", "3:NAME.TYP").
#pragma once

#include <memory>

#include "disk/disk.h"
#include "fs/filesystem.h"

namespace trivane::cpm {

std::unique_ptr<filesystems::Filesystem> OpenCpm(const disk::Disk& disk);

}  // namespace trivane::cpm
