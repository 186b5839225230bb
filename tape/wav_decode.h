// A recording's samples read back to the bytes on the tape, as the
// TRS-80's cassette input does, but following the speed as it drifts and
// taking pulses of either polarity:
//   500 and 250 baud: a pulse starts each bit cell, a second in its middle
//   is a 1; the cell's length is learnt from the leader (all 0 bits) and
//   followed from cell to cell.
//   1500 baud: one cycle a bit, a 0 twice as long as a 1; the lengths are
//   learnt from the leader (55: 0 and 1 by turns).
// After the leader the sync byte (A5; 7F after 55) sets where bytes begin;
// at 1500 baud each byte after it has a 0 start bit before it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace trivane::tape {

struct Segment {
  int baud = 500;
  int leader_bits = 0;  // the 0 bits (500, 250) or bits (1500) before the sync
  std::uint8_t sync = 0xA5;
  std::vector<std::uint8_t> bytes;  // after the sync
  std::int64_t start = 0;           // the sample where the leader starts
  // Where pulses were missing (a drop-out): the byte it fell in, the sample.
  std::vector<std::pair<std::size_t, std::int64_t>> dropouts;
  std::vector<std::size_t> unframed;  // 1500 baud: bytes without their 0 start bit
};

std::vector<Segment> DecodePulses(const std::vector<float>& samples, int rate);
std::vector<Segment> DecodeCycles(const std::vector<float>& samples, int rate);

}  // namespace trivane::tape
