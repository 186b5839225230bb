// Files of a disk written into a folder of the host.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fs/trsdos/catalogue.h"

namespace trivane::trsdos {

// NAME.EXT, with anything that is not a letter, a digit or one of
// - _ $ # @ ! % & made "_", so that a name on the disk never leads out of
// the folder.
std::string HostName(const File& file);

// The host names of the chosen files, in their order: a live file as
// NAME.EXT, a deleted one as deleted/NAME.EXT; a name that an earlier file
// of the list took already becomes NAME-2.EXT, NAME-3.EXT, ...
std::vector<std::string> HostNames(const Catalogue& catalogue,
                                   const std::vector<const File*>& chosen);

// Whether a file read so may be given out (written to the host, sent to
// standard output): an empty text when it was read whole, or with force when
// anything of it was read; otherwise why not. A file whose extents hold none
// of its sectors is never given out: none of its bytes are known.
std::string WhyNotGiven(const File& file, const FileBytes& bytes, bool force);

using filesystems::DamageLines;

// Why a file was not written (empty when it was); folder when the reason
// holds for every file of the folder (read-only, full, no permission), so
// that it is said once and nothing more is tried.
struct WriteFailure {
  std::string why;
  bool folder = false;
};

// Writes the bytes through a file beside the path, renamed into place, so
// that a failure leaves nothing behind; never over an existing file unless
// replace. The system's reason is kept.
WriteFailure WriteHostFile(const std::filesystem::path& path,
                           const std::vector<std::uint8_t>& bytes, bool replace);

}  // namespace trivane::trsdos
