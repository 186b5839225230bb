// The proof every change passes before it is kept, whichever filesystem
// made it: the changed disk is written in its own container and read back;
// the changed file must read as meant, every other file and entry as
// before, and no finding may appear of a kind there were fewer of. The
// image itself is never touched here: the caller writes the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fs/filesystem.h"

namespace trivane::ops {

// The change as made on the disk `before` read, proved: the changed disk
// and its bytes, or the error (a fault when something read back otherwise).
filesystems::Changed Prove(const filesystems::Filesystem& before, filesystems::Made made);

// The one comparison of a disk written and read back, for changes and
// conversions alike: another family, or a file `before` lists (but the one
// of key `except`, -1 for none) that is not there with its name, size,
// attributes and bytes; empty when the read-back keeps them all.
std::string ReadsBackOtherwise(const filesystems::Filesystem& before,
                               const std::vector<filesystems::Entry>& listed,
                               const filesystems::Filesystem& after,
                               const std::vector<filesystems::Entry>& listed_after,
                               std::int64_t except);

// The filesystem's own changes, proved.
filesystems::Changed PutFile(const filesystems::Filesystem& fs, const std::string& name,
                             const std::vector<std::uint8_t>& bytes, bool replace,
                             const std::string& date);
filesystems::Changed DeleteFile(const filesystems::Filesystem& fs, const std::string& name);
filesystems::Changed RenameFile(const filesystems::Filesystem& fs, const std::string& name,
                                const std::string& to);

}  // namespace trivane::ops
