// A new CP/M disk as each published format lays it out: every track
// formatted (the boot tracks in their own shape), every sector E5, so that
// the directory is empty. Such a disk is known again by its tracks alone.
#pragma once

#include <string>
#include <vector>

#include "disk/disk.h"
#include "fs/cpm/params.h"
#include "fs/filesystem.h"

namespace trivane::cpm {

// Every published format, as `new --dos cpm --format WORD` offers it.
std::vector<filesystems::FormatChoice> CpmFormats();
filesystems::NewDisk FormatCpm(const filesystems::FormatRequest& request);

// Whether the disk's tracks are those the format lays out (counts, sizes,
// ids, density), and every sector still E5: a new, empty disk of it.
bool EmptyDiskOf(const disk::Disk& disk, const FormatRow& row);

}  // namespace trivane::cpm
