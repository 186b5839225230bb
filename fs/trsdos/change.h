// Putting, deleting and renaming files as the disk's DOS does: the changed
// disk and what it must read back as, which ops/prove.h proves before
// anything is kept. The image itself is never touched here.
#pragma once

#include <string>
#include <vector>

#include "disk/disk.h"
#include "fs/trsdos/catalogue.h"

namespace trivane::trsdos {

using filesystems::Made;

// Why the disk, its catalogue read, may not be changed at all (no DOS
// known, a directory whose allocation is in doubt, a write-protected
// container); empty when it may.
std::string WhyNotChangeable(const disk::Disk& disk, const Catalogue& c);

// A DOS file name from text: NAME/EXT, NAME.EXT or NAME (letters and
// digits, first a letter, up to 8 and 3), upper case; false when the text
// is none.
bool DosName(const std::string& text, std::string& name, std::string& ext);

// BOOT/SYS and DIR/SYS: the DOS's own, never deleted, renamed or replaced.
bool SystemFile(const File& f);

// The changes, on the disk whose catalogue was read as `before`. The file
// as NAME/EXT (replacing a file of that name only when asked), dated
// MM/DD/YY where the DOS keeps dates.
Made PutFile(const disk::Disk& disk, const Catalogue& before, const std::string& name,
             const std::string& ext, const std::vector<std::uint8_t>& data, bool replace,
             const std::string& date);
Made DeleteFile(const disk::Disk& disk, const Catalogue& before, const std::string& shown);
Made RenameFile(const disk::Disk& disk, const Catalogue& before, const std::string& shown,
                const std::string& name, const std::string& ext);

}  // namespace trivane::trsdos
