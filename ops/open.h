// The one way in, below every front end: a path → its image, read once
// (whole where it is small, by pages where it is large) → its disk → the
// drive named (of a hard disk) → the filesystem found, with its evidence.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disk/disk.h"
#include "fs/filesystem.h"
#include "ops/drives.h"

namespace trivane::ops {

// What the image is read for: every sector with its CRCs (a sector
// listing: read by pages, so that a large image is never held whole); a
// catalogue, its directory and files (read whole at once up to a few MiB,
// data CRCs checked as sectors are asked for); a window, which shows every
// sector and lets the file be replaced while shown (read whole and closed).
enum class Purpose { kSectors, kCatalogue, kWindow };

struct OpenedImage {
  std::string file;     // the path as given, UTF-8
  std::string error;    // why there are no sectors: unreadable, not an image
  bool loaded = false;  // the file could be read (whether or not an image)
  ImageBuffer image;
  disk::Disk disk;
};
OpenedImage OpenImage(const std::filesystem::path& path, Purpose purpose);

// The sectors of the drive named (-1: the image's only one); error when the
// image has none of that number or, being a hard disk of several, no
// number was given.
OpenedImage OpenDrive(const std::filesystem::path& path, int drive);

// An image's sectors and its filesystem (the best explanation, or where
// none explains the disk the first unit's reading, which says what it
// looked at), read once for everything a command does with them. Of a hard
// disk, one drive's (its sectors the drive's), or with every_drive and no
// drive named, each drive's in `drives`.
struct OpenedDos {
  OpenedImage sectors;
  std::unique_ptr<filesystems::Filesystem> fs;  // null when the image was not read
  bool known() const { return fs != nullptr && fs->Score() > 0; }
  bool hard_disk = false;
  std::vector<std::string> header;  // a hard disk's header, a line a field
  int drive = -1;                   // the drive fs reads (its slice); -1 for a floppy
  std::vector<Drive> drives;
};
OpenedDos OpenDos(const std::filesystem::path& path, int drive = -1, bool every_drive = false);
// The same of an image already read whole (a zip member's bytes), every
// drive of a hard disk; file is the name it is known by.
OpenedDos OpenDosOf(const std::string& file, std::vector<std::uint8_t> bytes);

// A file named by a user, found through the disk's filesystem; without an
// entry, why not ("no file NAME on the disk", or why the image was not read).
struct OpenedFile {
  std::unique_ptr<filesystems::Filesystem> fs;
  std::optional<filesystems::Entry> entry;
  std::string error;
};
OpenedFile OpenNamedFile(const std::filesystem::path& image, const std::string& name, bool deleted,
                         int drive);

}  // namespace trivane::ops
