// A UCSD p-System volume's directory, in 512-byte blocks 2 to 5 of the
// volume (little-endian words):
//   entry 0, the volume: +0 first block (0), +2 the block after the
//     directory, +4 kind (0), +6 the name's length (1-7) and the name, +14
//     the blocks of the volume, +16 its files, +18 the last access, +20 the
//     date set
//   entries 1 to files, 26 bytes each: +0 first block, +2 the block after
//     the file, +4 kind (low 4 bits: 1 bad blocks, 2 code, 3 text, 4 info,
//     5 data, 6 graf, 7 foto), +6 the name's length (1-15) and the name,
//     +22 the bytes used in its last block, +24 its date
// A date: month bits 0-3, day bits 4-8, year (of the century) bits 9-15.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fs/filesystem.h"

namespace trivane::psystem {

inline constexpr int kBlock = 512, kDirectoryBlock = 2, kEntry = 26, kMostFiles = 77;

struct File {
  std::string name;
  int first = 0, next = 0;  // its blocks: first up to next
  int kind = 0;
  int last_bytes = 0;  // bytes used in its last block
  int date = 0;
  std::int64_t Size() const;
  std::string Kind() const;  // "code", "text", ...
};

struct Directory {
  std::string volume;
  int directory_end = 0, blocks = 0, date = 0;
  std::vector<File> files;
  std::vector<filesystems::Finding> findings;
};

// The directory read from its bytes (blocks 2 on, at least one entry's
// worth); false when they hold no volume entry the p-System writes.
bool ReadDirectory(const std::vector<std::uint8_t>& bytes, Directory& d);
// "MM/DD/YY", or empty for no date.
std::string DateText(int date);

}  // namespace trivane::psystem
