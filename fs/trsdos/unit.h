// The TRSDOS family as a filesystem unit: its catalogue behind the
// filesystem interface, the family's own fields (attributes, record length,
// date, extents) as named values.
#pragma once

#include <memory>

#include "disk/sector_store.h"
#include "fs/filesystem.h"
#include "fs/trsdos/catalogue.h"

namespace trivane::trsdos {

// What the family makes of the disk: its catalogue, read now; a score of 0
// when no layout explains the disk.
std::unique_ptr<filesystems::Filesystem> OpenTrsdos(const disk::SharedDisk& disk, int beat = 0);

// The DOSes of the family that `new` formats, and a new disk of one.
std::vector<filesystems::FormatChoice> TrsdosFormats();
filesystems::NewDisk FormatTrsdos(const filesystems::FormatRequest& request);

}  // namespace trivane::trsdos
