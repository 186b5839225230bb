// DMK: a 16-byte header, then one block of the track length per track and side.
//
// Header (little-endian):
//   0      write-protect byte
//   1      number of tracks
//   2..3   track length, pointer table included: 6400 or 6528 double density,
//          3264 single density
//   4      option flags: bit 4 single-sided, bit 6 single density
//   12..15 78 56 34 12 on an image that stands for a real drive
// Track blocks follow: track 0 side 0, track 0 side 1 (on a double-sided
// image), track 1 side 0, ...
//
// A block starts with 64 two-byte pointers to the ID address marks of its
// sectors, counted from the block's start; bit 15 is the double-density flag,
// and a pointer of 0 ends the list. ID field from its mark: +0 the mark 254,
// +1 track, +2 side, +3 sector number, +4 size code. The data address mark
// (251, 250 or 248) follows the ID field, its data after it.
#pragma once

#include "formats/image_buffer.h"

namespace trivane::dmk {

inline constexpr Offset kHeaderBytes = 16;
inline constexpr int kDoubleTrack = 6400;
inline constexpr int kDoubleTrackLong = 6528;
inline constexpr int kSingleTrack = 3264;
inline constexpr Offset kTrackLengthAt = 2;
inline constexpr Offset kOptionsAt = 4;
inline constexpr int kOptionSingleSided = 0x10;
inline constexpr int kOptionSingleDensity = 0x40;
inline constexpr Offset kRealDiskAt = 12;
inline constexpr int kRealDiskSignature[] = {0x78, 0x56, 0x34, 0x12};

inline constexpr int kPointers = 64;
inline constexpr Offset kPointerTableBytes = 2 * kPointers;
inline constexpr int kDoubleDensityFlag = 0x8000;

inline constexpr int kIdMark = 0xFE;
inline constexpr int kDataMarks[] = {0xFB, 0xFA, 0xF8};
// The distance from an ID address mark to its data address mark as
// identification expects it: single density, double density.
inline constexpr int kSingleDataMarkDistance = 24;
inline constexpr int kDoubleDataMarkDistance = 44;

}  // namespace trivane::dmk
