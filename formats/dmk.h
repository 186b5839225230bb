// DMK: a 16-byte header, then one block of the track length per cylinder and
// head.
//
// Header (little-endian):
//   0      write-protect byte (FF protected)
//   1      number of cylinders
//   2..3   track length, the 128-byte pointer table included: 6400 or 6528 in
//          double density, 3264 or 3328 in single; longer for 8" disks, and
//          odd lengths such as 6378 from some imaging tools
//   4      options: 0x10 single-sided, 0x40 single density with single
//          bytes, 0x80 every byte single (obsolete)
//   12..15 zero, or 78 56 34 12 in a file that stands for a real drive
// Track blocks follow: cylinder c, head h at 16 + (c * heads + h) * length.
//
// A block starts with 64 two-byte pointers to the ID address marks (FE) of
// its sectors, counted from the block's start: the low 14 bits are the
// offset, bit 15 says double density, bit 14 is unused; 0000 or FFFF ends the
// table. ID field from its mark: FE, cylinder, head, sector id, size code
// (128 << the low two bits), CRC high, CRC low. The data address mark (F8 to
// FB) follows within 30 (single density) or 43 (double density) bytes after
// the ID field's CRC; then the data and its CRC. Unless option 0x40 or 0x80
// is set, every byte of a single-density sector is stored twice. A field that
// runs past the block's end goes on at offset 128: the track is a circle.
#pragma once

#include "formats/image_buffer.h"

namespace trivane::dmk {

inline constexpr Offset kHeaderBytes = 16;
inline constexpr int kDoubleTrack = 6400;
inline constexpr int kDoubleTrackLong = 6528;
inline constexpr int kSingleTrack = 3264;
inline constexpr int kMaxTrackLength = 0x4000;
inline constexpr int kWriteProtected = 0xFF;  // byte 0; 00 writable
inline constexpr Offset kCylindersAt = 1;
inline constexpr Offset kTrackLengthAt = 2;
inline constexpr Offset kOptionsAt = 4;
inline constexpr int kOptionSingleSided = 0x10;
inline constexpr int kOptionSingleDensity = 0x40;
inline constexpr int kOptionIgnoreDensity = 0x80;
inline constexpr Offset kRealDiskAt = 12;
// No floppy drive steps this far: a header naming more cylinders is not one.
inline constexpr int kMostCylinders = 96;
inline constexpr int kRealDiskSignature[] = {0x78, 0x56, 0x34, 0x12};

inline constexpr int kPointers = 64;
inline constexpr Offset kPointerTableBytes = 2 * kPointers;
inline constexpr int kDoubleDensityFlag = 0x8000;
inline constexpr int kPointerOffsetMask = 0x3FFF;
inline constexpr int kTableEnd = 0xFFFF;

inline constexpr int kIdMark = 0xFE;
inline constexpr int kIdFieldBytes = 7;  // the mark, four bytes, the CRC
inline constexpr int kDataMarks[] = {0xFB, 0xFA, 0xF8};
inline constexpr int kLowestDataMark = 0xF8;
inline constexpr int kHighestDataMark = 0xFB;
// How far after the ID field's CRC the data address mark may lie.
inline constexpr int kSingleDataMarkWindow = 30;
inline constexpr int kDoubleDataMarkWindow = 43;
// The distance from an ID address mark to its data address mark as
// identification expects it: single density, double density.
inline constexpr int kSingleDataMarkDistance = 24;
inline constexpr int kDoubleDataMarkDistance = 44;

}  // namespace trivane::dmk
