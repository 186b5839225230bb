// What the shelf keeps of one image, read once through the one way in: the
// file (path, size, mtime, SHA-256), its container and geometry, a digest
// of every sector's bytes (the same disk in any container digests alike),
// each drive with the DOS found and why, each live file (name as listed,
// size, SHA-256, kind, and for text and BASIC the words to search), and
// the findings. A file that is no image is kept too, without a container,
// so that a later index need not read it again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace trivane::shelf {

struct FileRecord {
  std::string name;  // as dir lists it: NAME/EXT, NAME.TYP
  std::int64_t size = 0;
  std::string sha256, kind;
  std::string text;  // a text file's or BASIC listing's words, for find --text
};

struct DriveRecord {
  std::optional<int> number;  // a hard disk's drive; none on a floppy or a tape
  std::string dos, why;
  std::vector<FileRecord> files;
};

struct ImageRecord {
  std::string path;  // as indexed; a zip member as ARCHIVE.zip/MEMBER
  std::int64_t size = 0, mtime = 0;
  std::string sha256;
  std::string container;  // empty for a file that is no image
  int cylinders = 0, heads = 0, sectors = 0;
  std::string disk_sha256;  // every sector's bytes, in place order (a hard disk's: its file's)
  std::vector<DriveRecord> drives;
  std::vector<std::string> findings;
  std::string error;  // why it is no image, or was not read
};

// The image at path (a file, or ARCHIVE.zip/MEMBER), read whole; size and
// mtime are the file's (an archive's for its members).
ImageRecord ReadRecord(const std::filesystem::path& path, std::int64_t size, std::int64_t mtime);

// The records of a zip archive's images (a zip in it one level down), each
// member inflated once; the archive's own record, with why, where it holds
// none. size and mtime are the archive's.
std::vector<ImageRecord> ReadArchiveRecords(const std::filesystem::path& zip, std::int64_t size,
                                            std::int64_t mtime);

// SHA-256 of a file's bytes (a member's), read whole; empty when it cannot be read.
std::string FileSha256(const std::filesystem::path& path);

}  // namespace trivane::shelf
