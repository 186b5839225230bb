// JV3: a header table of sector entries, then the sectors' data in table order.
//
//   0..8702   2901 entries of 3 bytes: track, sector, flags. A track byte of
//             255 marks a free entry. Flags: bit 7 double density, bit 5
//             directory data mark, bit 4 side 1.
//   8703      write-protect byte
//   8704..    sector data, 256 bytes per entry, entry n at 8704 + 256 * n
#pragma once

#include "formats/image_buffer.h"

namespace trivane::jv3 {

inline constexpr int kEntries = 2901;
inline constexpr Offset kEntryBytes = 3;
inline constexpr Offset kWriteProtect = kEntries * kEntryBytes;
inline constexpr Offset kDataStart = kWriteProtect + 1;
inline constexpr Offset kSectorBytes = 256;
inline constexpr int kFreeTrack = 255;

inline constexpr int kDoubleDensity = 0x80;
inline constexpr int kDirectoryMark = 0x20;
inline constexpr int kSide1 = 0x10;

inline constexpr Offset EntryOffset(int entry) {
  return kEntryBytes * entry;
}
inline constexpr Offset DataOffset(int entry) {
  return kDataStart + kSectorBytes * entry;
}

}  // namespace trivane::jv3
