// The filesystem side of trivane-disk: the directory listing (text and
// JSON), and the files themselves (extract, cat), for any filesystem unit.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disktool/listing.h"
#include "fs/filesystem.h"
#include "ops/drives.h"

namespace trivane::disktool {

// An image's sectors and its filesystem (the best explanation, or where
// none explains the disk the first unit's reading, which says what it
// looked at), read once for everything a command does with them. Of a hard
// disk, one drive's (its sectors the drive's), or with every_drive and no
// drive named, each drive's in `drives`.
struct ReadDos {
  ReadImage sectors;
  std::unique_ptr<filesystems::Filesystem> fs;  // null when the image was not read
  bool known() const { return fs != nullptr && fs->Score() > 0; }
  bool hard_disk = false;
  std::vector<std::string> header;  // a hard disk's header, a line a field
  int drive = -1;                   // the drive fs reads (its slice); -1 for a floppy
  std::vector<ops::Drive> drives;
};
ReadDos ReadDirectoryOf(const std::string& path, int drive = -1, bool every_drive = false);

// The sectors of the drive named (-1: the image's only one); error when the
// image has none of that number or, being a hard disk of several, no
// number was given.
ReadImage ReadDriveOf(const std::string& path, int drive);

// A header (DOS, what it says of the disk, evidence), a table of the files
// as their DOS lists them, then the findings; of a hard disk its header,
// then each drive's so.
std::string DirText(const ReadDos& r, bool all);
// One JSON object; "deleted" only with all. Of a hard disk, one a drive
// (a line each), with its "drive".
std::string DirJson(const ReadDos& r, bool all);

// A file named on the command line, found through the disk's filesystem;
// without an entry, why not ("no file NAME on the disk", or why the image
// was not read).
struct OpenedFile {
  std::unique_ptr<filesystems::Filesystem> fs;
  std::optional<filesystems::Entry> entry;
  std::string error;
};
OpenedFile OpenFile(const std::string& image, const std::string& name, bool deleted, int drive);

// Writes the files into the folder, and with listings beside each BASIC
// program its listing as NAME.EXT.txt; returns the exit status.
int Extract(const ReadDos& r, const std::vector<std::string>& names, const std::string& folder,
            bool all, bool force, bool listings);

}  // namespace trivane::disktool
