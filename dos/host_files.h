// Files of a disk written into a folder of the host.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dos/catalogue.h"

namespace trivane::dos {

// NAME.EXT, with anything that is not a letter, a digit or one of
// - _ $ # @ ! % & made "_", so that a name on the disk never leads out of
// the folder.
std::string HostName(const File& file);

// Writes the bytes through a file beside the path, renamed into place, so
// that a failure leaves nothing behind; never over an existing file unless
// replace. Returns why it was not written, or an empty text.
std::string WriteHostFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                          bool replace);

}  // namespace trivane::dos
