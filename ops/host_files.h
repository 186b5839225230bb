// Files of a disk written into a folder of the host.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fs/filesystem.h"

namespace trivane::ops {

// The host names of the chosen files, in their order: a live file by its
// entry's host name (NAME.EXT), a deleted one under deleted/; a name that
// an earlier file of the list took already becomes NAME-2.EXT, NAME-3.EXT, ...
std::vector<std::string> HostNames(const std::vector<filesystems::Entry>& chosen);
// The same rule for names as they come ("GAME.CMD", "deleted/OLD.BAS").
std::vector<std::string> HostNames(const std::vector<std::string>& wanted);

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

}  // namespace trivane::ops
