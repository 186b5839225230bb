// Zip archives, read in place: the end record (the last 22 bytes, or up to
// 64 KiB more of comment before them) gives the central directory, which
// names each member with its method (0 stored, 8 deflate), CRC-32, sizes
// and where its local header lies; the local header (30 bytes, its name and
// extra field after it) is followed by the member's data. Zip64 archives
// and encrypted members are named as what this reader does not take.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/image_buffer.h"

namespace trivane::archive {

struct ZipMember {
  std::string name;  // as stored, '/' between folders
  int method = 0;
  std::uint32_t crc32 = 0;
  std::uint64_t packed = 0, size = 0;
  Offset local = 0;  // its local header
  bool encrypted = false;
  bool folder() const { return !name.empty() && name.back() == '/'; }
};

struct ZipDirectory {
  std::vector<ZipMember> members;
  std::string error;  // why the archive's directory could not be read
};

// The bytes begin as a zip's do (a local header, or the end record of an
// empty archive).
bool IsZip(std::span<const std::uint8_t> head);
ZipDirectory ReadZipDirectory(const ImageBuffer& zip);

struct ZipData {
  std::vector<std::uint8_t> bytes;
  std::string error;  // "CRC error", "cut short", ...: nothing is passed off as read
};
// The member's bytes, inflated where deflated and checked against its
// CRC-32; refused when it is larger than most.
ZipData ReadZipMember(const ImageBuffer& zip, const ZipMember& member, std::uint64_t most);

}  // namespace trivane::archive
