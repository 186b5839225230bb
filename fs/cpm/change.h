// Putting, deleting and renaming on a CP/M disk as its BDOS does: a new
// file takes the lowest free blocks (the directory's and every live
// entry's are in use) and the lowest free entries, one for each EXM + 1
// logical extents, its last record filled out with ^Z; a deleted file E5
// in each entry's user byte; a renamed one its name bytes in each entry,
// the attribute bits kept. On a date-stamped CP/M 3 disk each stamp entry
// stays in its slot and the stamps of a slot a change frees or fills are
// cleared. Made, not proved: ops/prove.h proves them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fs/cpm/directory.h"

namespace trivane::cpm {

struct FileName {
  int user = 0;
  std::string name, type;
  std::string Shown() const;  // "NAME.TYP", "3:NAME.TYP"
};

// The name a typed one stands for ("3:name.typ", "NAME/TYP"), upper case;
// false when it is none: a user 0-15, up to 8 and 3 characters CP/M takes.
bool ParseName(const std::string& typed, FileName& out);

filesystems::Made PutFile(const disk::Disk& disk, const Params& p, const Directory& dir,
                          const FileName& name, const std::vector<std::uint8_t>& data,
                          bool replace);
filesystems::Made DeleteFile(const disk::Disk& disk, const Params& p, const File& f);
filesystems::Made RenameFile(const disk::Disk& disk, const Params& p, const Directory& dir,
                             const File& f, const FileName& to);

}  // namespace trivane::cpm
