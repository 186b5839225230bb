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

// A header (DOS, what it says of the disk, evidence), a table of the files
// as their DOS lists them, then the findings; of a hard disk its header,
// then each drive's so.
std::string DirText(const ops::OpenedDos& r, bool all);
// One JSON object; "deleted" only with all. Of a hard disk, one a drive
// (a line each), with its "drive".
std::string DirJson(const ops::OpenedDos& r, bool all);

// Writes the files into the folder, and with listings beside each BASIC
// program its listing as NAME.EXT.txt; returns the exit status.
int Extract(const ops::OpenedDos& r, const std::vector<std::string>& names,
            const std::string& folder, bool all, bool force, bool listings);

}  // namespace trivane::disktool
