// A hard disk's logical drives: each 32-sector slice of its cylinders whose
// directory a filesystem unit finds (by its GAT on the directory cylinder)
// is a drive, numbered by its slice, or (MULTIDOS) each run of whole
// cylinders with its directory as far into it; its disk is read and changed as a
// floppy's is, and written back into the one image. A floppy is a single
// drive of its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "disk/disk.h"
#include "fs/filesystem.h"

namespace trivane::ops {

struct Drive {
  int number = 0;
  disk::Disk disk;
  std::unique_ptr<filesystems::Filesystem> fs;  // never null
};

// The drives found, or why a hard disk has none; a floppy's one drive is
// the disk itself (its fs null when no unit explains it).
struct Drives {
  bool hard_disk = false;
  std::vector<Drive> list;
  std::string why_none;
};
Drives OpenDrives(const disk::Disk& disk);

// The disk a command that names a drive reads: drive `number` of a hard
// disk (-1: the only one), or a floppy itself (number -1 or 0); error
// when there is no such drive.
struct DriveDisk {
  disk::Disk disk;
  std::string error;
};
DriveDisk DiskOfDrive(const disk::Disk& disk, int number);

}  // namespace trivane::ops
