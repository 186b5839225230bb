// JV1: a plain dump of a single-sided, single-density disk with no header.
//
//   track t, sector s lies at (t * 10 + s) * 256, track after track
//   track 0 sector 0 (the boot sector) starts 00 FE 11: byte 2 names track 17
//   as the directory track
//   track 0 sector 2, at offset 512, is the system sector
#pragma once

#include "formats/directory.h"
#include "formats/image_buffer.h"

namespace trivane::jv1 {

inline constexpr int kSectorsPerTrack = 10;
inline constexpr Offset kSectorBytes = 256;
inline constexpr Offset kTrackBytes = kSectorsPerTrack * kSectorBytes;
inline constexpr Offset kSystemSector = 2 * kSectorBytes;
// The first three bytes of the boot sector.
inline constexpr int kBootByte0 = 0x00;
inline constexpr int kBootByte1 = 0xFE;
inline constexpr int kBootDirectoryTrack = kDirectoryCylinder;

}  // namespace trivane::jv1
