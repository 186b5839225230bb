#include <array>

#include "cells/cells.h"

namespace trivane::cells {

void Cells::Push(bool cell) {
  if ((count_ & 7) == 0) bytes_.push_back(0);
  if (cell) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (count_ & 7));
  ++count_;
}

void Cells::PushEach(std::uint16_t cells) {
  for (int k = 15; k >= 0; --k) Push((cells >> k) & 1);
}

Cells Cells::FromPacked(std::vector<std::uint8_t> bytes, std::size_t count) {
  Cells c;
  bytes.resize((count + 7) / 8, 0);
  c.bytes_ = std::move(bytes);
  c.count_ = count;
  return c;
}

namespace {

// A byte's sixteen MFM cells after a 0 or a 1 data bit.
constexpr std::array<std::array<std::uint16_t, 256>, 2> kMfmCells = [] {
  std::array<std::array<std::uint16_t, 256>, 2> t{};
  for (int last = 0; last < 2; ++last) {
    for (unsigned value = 0; value < 256; ++value) {
      unsigned cells = 0;
      bool prev = last != 0;
      for (int k = 7; k >= 0; --k) {
        const bool bit = (value >> k) & 1;
        cells = cells << 2 | (!bit && !prev ? 2 : 0) | (bit ? 1 : 0);
        prev = bit;
      }
      t[last][value] = static_cast<std::uint16_t>(cells);
    }
  }
  return t;
}();

}  // namespace

void Encoder::Mfm(std::uint8_t value, std::uint16_t clear_clock) {
  cells_.Push16(static_cast<std::uint16_t>(kMfmCells[last_bit_ ? 1 : 0][value] & ~clear_clock));
  last_bit_ = value & 1;
}

void Encoder::Fm(std::uint8_t value, std::uint8_t clock) {
  std::uint16_t cells = 0;
  for (int k = 7; k >= 0; --k) {
    cells = static_cast<std::uint16_t>(cells << 2 | ((clock >> k) & 1) << 1 | ((value >> k) & 1));
  }
  if (fm_twice_) {
    // Each cell spread to two, the cell first: 1 as 10, 0 as 00.
    std::uint32_t spread = cells;
    spread = (spread | spread << 8) & 0x00FF00FF;
    spread = (spread | spread << 4) & 0x0F0F0F0F;
    spread = (spread | spread << 2) & 0x33333333;
    spread = (spread | spread << 1) & 0x55555555;
    spread <<= 1;
    cells_.Push16(static_cast<std::uint16_t>(spread >> 16));
    cells_.Push16(static_cast<std::uint16_t>(spread & 0xFFFF));
  } else {
    cells_.Push16(cells);
  }
  last_bit_ = value & 1;
}

void Encoder::Byte(std::uint8_t value, Encoding encoding) {
  if (encoding == Encoding::kMfm) {
    Mfm(value, 0);
  } else {
    Fm(value, 0xFF);
  }
}

void Encoder::Mark(std::uint8_t value, Encoding encoding) {
  if (encoding == Encoding::kFm) {
    Fm(value, value == 0xFC ? 0xD7 : 0xC7);
  } else {
    // A1's clock between bits 4 and 5 (cell 5 counted from the right), C2's
    // between bits 3 and 4 (cell 7).
    Mfm(value, value == 0xC2 ? 0x0080 : 0x0020);
  }
}

}  // namespace trivane::cells
