// Images inside zip archives, read in place: a path ARCHIVE.zip/MEMBER (a
// zip inside a zip one level down: ARCHIVE.zip/INNER.zip/MEMBER) names a
// member, which every reader takes as it takes a file; ARCHIVE.zip given
// where images are named stands for each member that is an image, in
// turn. Nothing is ever written into an archive.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "loader/image_file.h"

namespace trivane::ops {

// The file is a zip archive (by its bytes, whatever its name).
bool IsZipFile(const std::filesystem::path& path);

// The path is a zip archive, or names a member of one: never written.
bool InArchive(const std::filesystem::path& path);

// The member's bytes when the path names one, or why it cannot be read (no
// such member, a CRC error, a cut archive); none when the path is not
// inside an archive.
struct MemberBytes {
  std::vector<std::uint8_t> bytes;
  std::string error;
};
std::optional<MemberBytes> ReadMemberPath(const std::filesystem::path& path);

// A path as a reader loads it: a member whole, else the file as the loader
// reads it.
LoadedImage LoadPath(const std::filesystem::path& path, std::uintmax_t most, std::size_t at_once);

// The images in an archive (a file, or a zip member of one),
// ARCHIVE.zip/MEMBER each, in the archive's order, a zip member's own
// images in its place, one level down. A member that could not be read (a
// CRC error, cut short) is listed too, so that its reader says why; error
// says why none could be listed.
struct ArchiveImages {
  std::vector<std::string> paths;
  std::string error;
};
ArchiveImages ImagesInArchive(const std::filesystem::path& zip);

// The same images handed on one at a time with their bytes (each member
// inflated once), or with why a member could not be read; why none could
// be listed.
using EachArchiveImage = std::function<void(const std::string& path, MemberBytes member)>;
std::string ReadArchiveImages(const std::filesystem::path& zip, const EachArchiveImage& each);

// The operands with each archive replaced by its images (UTF-8 paths); an
// archive that holds none stays, so that its reader says why.
std::vector<std::string> WithArchiveMembers(const std::vector<std::string>& operands);

// The bytes are a disk image of some container, or a tape.
bool IsImageBytes(std::span<const std::uint8_t> bytes);

}  // namespace trivane::ops
