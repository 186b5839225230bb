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

// The filesystem's own changes, proved.
filesystems::Changed PutFile(const filesystems::Filesystem& fs, const std::string& name,
                             const std::vector<std::uint8_t>& bytes, bool replace,
                             const std::string& date);
filesystems::Changed DeleteFile(const filesystems::Filesystem& fs, const std::string& name);
filesystems::Changed RenameFile(const filesystems::Filesystem& fs, const std::string& name,
                                const std::string& to);

}  // namespace trivane::ops
