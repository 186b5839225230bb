// HFE (HxC floppy emulator; what Gotek drives play): the cells of every
// track, as a drive's head meets them.
//
// Header, 512 bytes (little-endian), the rest of its block FF:
//   0..7   "HXCPICFE" (version 1) or "HXCHFEV3" (version 3)
//   8      format revision, 0
//   9      cylinders
//   10     sides, 1 or 2
//   11     encoding: 0 MFM, 2 FM (files carry 0 on FM disks too; the
//          cells say what a track holds)
//   12..13 bit rate in kbit/s (250 on 5.25" double-density disks)
//   14..15 rpm, 0 when not said
//   16     interface mode (7 on TRS-80 files)
//   17     unused, 1
//   18..19 the track table's place, in 512-byte blocks
//   20     writing allowed: FF allowed, 00 not
//   21     single step FF; 22..25 track 0's other encodings, FF unused
// Track table: four bytes a cylinder, the track's first block (16 bits) and
// its length in bytes (16 bits; both sides, each side half).
// Track data, in 512-byte blocks: 256 bytes of side 0, then 256 of side 1,
// and so on; each byte eight cells, the first cell in its least significant
// bit; a 1 a flux reversal. The cells run at twice the bit rate; FM is
// stored at twice its own rate (cells/cells.h).
// Version 3 puts opcodes in the cell bytes, byte-aligned, read as bytes once
// the cells are put in order (first cell most significant): F0 nothing, F1
// the index, F2 a new bit rate (one byte follows), F3 skip bits (a count
// follows, then a byte of whose cells the first count are skipped), F4 a
// byte of weak cells.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "formats/image_buffer.h"

namespace trivane::hfe {

inline constexpr std::string_view kVersion1 = "HXCPICFE";
inline constexpr std::string_view kVersion3 = "HXCHFEV3";
inline constexpr Offset kBlockBytes = 512;
inline constexpr Offset kSideBytes = 256;  // of each block, per side
inline constexpr Offset kCylindersAt = 9;
inline constexpr Offset kSidesAt = 10;
inline constexpr Offset kEncodingAt = 11;
inline constexpr Offset kBitRateAt = 12;
inline constexpr Offset kRpmAt = 14;
inline constexpr Offset kModeAt = 16;
inline constexpr Offset kUnusedAt = 17;
inline constexpr Offset kTableAt = 18;
inline constexpr Offset kWriteAllowedAt = 20;
inline constexpr Offset kHeaderFieldsEnd = 26;
inline constexpr int kEncodingMfm = 0;
inline constexpr int kEncodingFm = 2;
inline constexpr int kModeTrs80 = 7;
inline constexpr int kWriteAllowed = 0xFF;
inline constexpr Offset kTableEntryBytes = 4;

// What Trivane writes: 250 kbit/s at 300 rpm, one revolution a track.
inline constexpr int kBitRate = 250;
inline constexpr int kRpm = 300;
inline constexpr std::size_t kTrackCells = kBitRate * 1000 * 2 * 60 / kRpm;

// Version 3 opcodes.
inline constexpr int kOpNothing = 0xF0;
inline constexpr int kOpIndex = 0xF1;
inline constexpr int kOpBitRate = 0xF2;
inline constexpr int kOpSkipBits = 0xF3;
inline constexpr int kOpWeak = 0xF4;

// A byte with its bits in the other order: the file's cells, first in the
// least significant bit, and the cell layer's, first in the most.
inline constexpr std::array<std::uint8_t, 256> kReversed = [] {
  std::array<std::uint8_t, 256> t{};
  for (unsigned v = 0; v < 256; ++v) {
    unsigned r = 0;
    for (int k = 0; k < 8; ++k) r |= ((v >> k) & 1) << (7 - k);
    t[v] = static_cast<std::uint8_t>(r);
  }
  return t;
}();
inline std::uint8_t ReverseBits(std::uint8_t b) {
  return kReversed[b];
}
// Every byte's bits in the other order, eight bytes at a time.
inline void ReverseEachByte(std::uint8_t* bytes, std::size_t count) {
  std::size_t k = 0;
  for (; k + 8 <= count; k += 8) {
    std::uint64_t v;
    std::memcpy(&v, bytes + k, 8);
    v = (v >> 4 & 0x0F0F0F0F0F0F0F0F) | (v & 0x0F0F0F0F0F0F0F0F) << 4;
    v = (v >> 2 & 0x3333333333333333) | (v & 0x3333333333333333) << 2;
    v = (v >> 1 & 0x5555555555555555) | (v & 0x5555555555555555) << 1;
    std::memcpy(bytes + k, &v, 8);
  }
  for (; k < count; ++k) bytes[k] = ReverseBits(bytes[k]);
}

}  // namespace trivane::hfe
