// The filesystem units in one table, and a disk's filesystem found by
// asking each of them: the one whose evidence is best is kept.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "disk/sector_store.h"
#include "fs/filesystem.h"

namespace trivane::ops {

struct Unit {
  std::string_view name;  // "TRSDOS family"
  // What the unit makes of the disk; its score 0 when it explains nothing.
  // `beat` is the best score another unit's reading has: a unit may stop
  // reading where its own cannot pass it (its score then says only that).
  std::unique_ptr<filesystems::Filesystem> (*open)(const disk::SharedDisk& disk, int beat);
  // The DOSes it formats new disks for, and a new disk of one (none where null).
  std::vector<filesystems::FormatChoice> (*formats)();
  filesystems::NewDisk (*format)(const filesystems::FormatRequest& request);
  // The disk read as one of its formats a user named (none where null).
  std::unique_ptr<filesystems::Filesystem> (*open_as)(const disk::SharedDisk& disk,
                                                      const std::string& format);
};

std::span<const Unit> Units();

// The best explanation of the disk; nullptr when no unit explains it.
std::unique_ptr<filesystems::Filesystem> OpenFilesystem(const disk::Disk& disk);
// The filesystem to change: the best explanation, or where none explains
// the disk the first unit's reading, which refuses every change and says why.
std::unique_ptr<filesystems::Filesystem> FilesystemToChange(const disk::Disk& disk);
// The disk read as the format a user named (`put --format`): nullptr when
// no unit has a format of that name; a disk another family explains stays
// that family's.
std::unique_ptr<filesystems::Filesystem> FilesystemAs(const disk::Disk& disk,
                                                      const std::string& format);

// Every unit's DOSes for a new disk, in the order offered; their words as
// "newdos80, trsdos23, ldos or trsdos13".
std::vector<filesystems::FormatChoice> FormatChoices();
std::string FormatWords();
// A new disk by the unit whose DOS the request names.
filesystems::NewDisk FormatNew(const filesystems::FormatRequest& request);

}  // namespace trivane::ops
