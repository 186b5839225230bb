// The cells of a track as a drive's head meets them, one bit a cell (1 a
// flux reversal), from the index round the track, and the two ways the
// TRS-80's controllers put bytes on them.
//
// FM: each byte is 16 cells, a clock cell before each data cell, the data
// bit first the most significant; clock cells are 1 except in marks: the ID
// mark FE and the data marks FB, FA, F9, F8 with clock C7, the index mark FC
// with clock D7.
// MFM: each byte is 16 cells, a clock cell before each data cell; a clock
// cell is 1 only between two 0 data bits. The marks are three A1 bytes whose
// clock between bits 4 and 5 is missing (cells 4489), then FE (ID) or F8..FB
// (data); the index mark is three C2 with a missing clock (5224) and FC.
// CRC-16 CCITT (preset FFFF) covers, for MFM, the A1s, the mark and the
// field; for FM, the mark and the field.
// FM at twice its rate: where a track's cells run at the MFM rate, each FM
// cell takes two (a 1 as 10, a 0 as 00), so that FM and MFM tracks of one
// disk share one cell rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace trivane::cells {

enum class Encoding : std::uint8_t { kFm, kMfm };

// Cells packed eight a byte, the first cell in the most significant bit.
class Cells {
 public:
  std::size_t size() const { return count_; }
  bool At(std::size_t i) const { return (bytes_[i >> 3] >> (7 - (i & 7))) & 1; }
  void Push(bool cell);
  // Sixteen cells, the most significant first.
  void Push16(std::uint16_t cells) {
    if ((count_ & 7) != 0) return PushEach(cells);
    bytes_.push_back(static_cast<std::uint8_t>(cells >> 8));
    bytes_.push_back(static_cast<std::uint8_t>(cells & 0xFF));
    count_ += 16;
  }
  // `zeros` cells of 0, then a 1: the cells from one flux transition to the
  // next (on cells pushed one by one, whose unused bits are 0).
  void PushZerosThenOne(std::size_t zeros) {
    count_ += zeros;
    bytes_.resize((count_ >> 3) + 1, 0);
    bytes_[count_ >> 3] |= static_cast<std::uint8_t>(0x80 >> (count_ & 7));
    ++count_;
  }
  const std::vector<std::uint8_t>& packed() const { return bytes_; }
  void Reserve(std::size_t cells) { bytes_.reserve((cells + 7) / 8); }
  static Cells FromPacked(std::vector<std::uint8_t> bytes, std::size_t count);

 private:
  void PushEach(std::uint16_t cells);
  std::vector<std::uint8_t> bytes_;
  std::size_t count_ = 0;
};

// Writes bytes onto cells as a controller's Write Track does.
class Encoder {
 public:
  // fm_twice: FM written at twice its rate.
  explicit Encoder(bool fm_twice = false) : fm_twice_(fm_twice) {}
  void Byte(std::uint8_t value, Encoding encoding);
  // A mark: in FM the byte with its mark clock (C7, or D7 for FC); in MFM
  // A1 or C2 with its missing clock.
  void Mark(std::uint8_t value, Encoding encoding);
  Cells& cells() { return cells_; }

 private:
  void Mfm(std::uint8_t value, std::uint16_t clear_clock);
  void Fm(std::uint8_t value, std::uint8_t clock);
  Cells cells_;
  bool last_bit_ = false;
  bool fm_twice_ = false;
};

// One sector as a controller reads it off the cells.
struct Field {
  std::size_t at = 0;  // the cell where its ID mark starts
  Encoding encoding = Encoding::kMfm;
  std::uint8_t cylinder = 0, head = 0, sector = 0, size_code = 0;
  bool id_crc_ok = false;
  std::uint8_t dam = 0;  // 0: no data mark followed the ID in time
  std::vector<std::uint8_t> data;
  bool data_crc_ok = false;
};

// Which encodings a decoder looks for.
enum class Seek : std::uint8_t { kBoth, kMfm, kFm };

// Every ID field on the track and the data field that follows each, in
// the order the head meets them from the index; a field that runs past the
// last cell goes on at the first, as the track is a circle. FM is found at
// either phase of its clock and data cells.
std::vector<Field> Decode(const Cells& cells, Seek seek = Seek::kBoth);
// The fields of a track whose cells run at the MFM rate: its MFM fields,
// and the FM fields stored at twice their rate, in the order of the track.
std::vector<Field> DecodeBothRates(const Cells& cells);

}  // namespace trivane::cells
