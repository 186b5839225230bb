// Loading an image file, shared by the window and the report tool so that
// both refuse the same files the same way: a missing file, a directory or
// anything else that is not a plain file, one that cannot be opened or read,
// and one larger than any disk image can be.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "formats/image_buffer.h"

namespace trivane {

inline constexpr std::uintmax_t kMaxImageBytes = 64u * 1024 * 1024;

struct LoadedImage {
  ImageBuffer buffer;
  std::string error;  // why the file could not be loaded; empty when it was
  bool ok() const { return error.empty(); }
};

// Reads the whole file into memory and closes it again.
LoadedImage ReadImageFile(const std::filesystem::path& path);

// Maps the file instead of reading it, so that identification reads only the
// pages it touches; falls back to reading where mapping is not available.
// The same files are refused for the same reasons as by ReadImageFile.
LoadedImage MapImageFile(const std::filesystem::path& path);

// The prompt of an error message box: what failed, then on a line of its own
// the reason, e.g. ErrorPrompt("Cannot load GAME.DSK", "the file does not exist").
std::string ErrorPrompt(const std::string& what, const std::string& reason);

}  // namespace trivane
