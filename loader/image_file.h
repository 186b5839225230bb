// Loading an image file, shared by the window and the report tool so that
// both refuse the same files the same way: a missing file, a directory or
// anything else that is not a plain file, one that cannot be opened, and one
// larger than any disk image can be.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/image_buffer.h"
#include "formats/text.h"

namespace trivane {

inline constexpr std::uintmax_t kMaxImageBytes = 64u * 1024 * 1024;

struct LoadedImage {
  ImageBuffer buffer;
  std::string error;  // why the file could not be loaded; empty when it was
  bool ok() const { return error.empty(); }
};

// Opens the file and reads its first 16 KiB; the rest is read a page at a
// time when identification first asks for it, so that only the few pages it
// touches are read. The file stays open while the buffer lives. A file that
// shrinks while it is read ends where it ended (see ImageBuffer).
// A file larger than `most` is refused: the identification's limit unless
// a reader of larger images (a hard disk's) names its own.
LoadedImage OpenImageFile(const std::filesystem::path& path, std::uintmax_t most = kMaxImageBytes);
// Reads the whole file at once and closes it, for reading every sector.
LoadedImage ReadImageFile(const std::filesystem::path& path, std::uintmax_t most = kMaxImageBytes);
// Opens the file and reads its first `at_once` bytes (a smaller file whole,
// and closes it); the rest a page at a time when first asked for. On
// Windows every file is read whole and closed (see image_file.cpp).
LoadedImage LoadImageFile(const std::filesystem::path& path, std::uintmax_t most,
                          std::size_t at_once);

// Writes a new image to `path` through the one atomic writer (a file beside
// it, read back and compared, then renamed into place); an existing file only
// when `replace`, kept as PATH.bak when `backup`. Empty when done, else why
// not, with nothing left behind.
std::string SaveImageFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                          bool replace, bool backup = false);

// The prompt of an error message box: what failed, then on a line of its own
// the reason, e.g. ErrorPrompt("Cannot load GAME.DSK", "the file does not exist").
std::string ErrorPrompt(const std::string& what, const std::string& reason);

}  // namespace trivane
