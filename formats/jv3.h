// JV3: a header block of sector entries, then the sectors' data in entry
// order.
//
//   0..8702   2901 entries of 3 bytes: cylinder, sector id, flags. A cylinder
//             byte of FF marks a free entry, which still owns a data block.
//   8703      write-protect byte (FF writable, 00 protected)
//   8704..    each entry's data block, of the entry's size, in entry order
// A second header block of the same layout, its sectors' data after it, may
// follow the data blocks of all 2901 entries of the first.
//
// Flags: 0x80 double density; 0x60 the data address mark (single density:
// 00 FB, 20 FA, 40 F9, 60 F8; double density: 00 FB, 20 F8); 0x10 head 1;
// 0x08 CRC error when imaged; 0x04 non-IBM sector; 0x03 size code, which a
// used entry and a free one store differently (see kUsedSizes, kFreeSizes).
#pragma once

#include "formats/image_buffer.h"

namespace trivane::jv3 {

inline constexpr int kEntries = 2901;
inline constexpr Offset kEntryBytes = 3;
inline constexpr Offset kWriteProtect = kEntries * kEntryBytes;
inline constexpr int kProtected = 0x00;  // the write-protect byte's value
inline constexpr Offset kDataStart = kWriteProtect + 1;
inline constexpr Offset kHeaderBlockBytes = kDataStart;
inline constexpr int kHeaderBlocks = 2;
inline constexpr Offset kSectorBytes = 256;
inline constexpr int kFreeTrack = 255;

inline constexpr int kDoubleDensity = 0x80;
inline constexpr int kDirectoryMark = 0x20;
inline constexpr int kDamBits = 0x60;
inline constexpr int kSide1 = 0x10;
inline constexpr int kCrcError = 0x08;
inline constexpr int kSizeCode = 0x03;
inline constexpr int kUsedSizes[] = {256, 128, 1024, 512};
inline constexpr int kFreeSizes[] = {512, 1024, 128, 256};
inline constexpr int kSingleDensityDams[] = {0xFB, 0xFA, 0xF9, 0xF8};  // by (flags & 0x60) >> 5
inline constexpr int kDoubleDensityDams[] = {0xFB, 0xF8, 0xFB, 0xF8};

// Identification's view: every sector 256 bytes.
inline constexpr Offset EntryOffset(int entry) {
  return kEntryBytes * entry;
}
inline constexpr Offset DataOffset(int entry) {
  return kDataStart + kSectorBytes * entry;
}

}  // namespace trivane::jv3
