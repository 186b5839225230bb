// CP/M as a filesystem unit: its format found (fs/cpm/detect.h), its
// directory read (fs/cpm/directory.h), its files by their names as users
// type them ("NAME.TYP", "3:NAME.TYP").
#pragma once

#include <memory>

#include "disk/sector_store.h"
#include "fs/filesystem.h"

namespace trivane::cpm {

std::unique_ptr<filesystems::Filesystem> OpenCpm(const disk::SharedDisk& disk, int beat = 0);
// The disk as the published format of that word (a new disk whose tracks
// more than one format lays out alike); nullptr for no such format.
std::unique_ptr<filesystems::Filesystem> OpenCpmAs(const disk::SharedDisk& disk,
                                                   const std::string& format);

}  // namespace trivane::cpm
