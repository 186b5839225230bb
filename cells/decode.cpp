// Finding the fields on a track's cells: a window of the last 64 cells is
// matched against the MFM sync (three A1 with their missing clock) and the
// FM marks (the mark byte with clock C7 after a 00 byte); the bytes after a
// mark are read from its data cells, round the track's end.
#include <array>

#include "cells/cells.h"
#include "formats/crc16.h"

namespace trivane::cells {
namespace {

constexpr std::uint64_t kMfmSync = 0x448944894489;  // A1 A1 A1, missing clocks
constexpr std::uint16_t kFmZero = 0xAAAA;           // 00 with clock FF

// Sixteen cells of an FM byte with the clock given.
constexpr std::uint16_t FmCells(std::uint8_t value, std::uint8_t clock) {
  std::uint16_t cells = 0;
  for (int k = 7; k >= 0; --k) {
    cells = static_cast<std::uint16_t>(cells << 2 | ((clock >> k) & 1) << 1 | ((value >> k) & 1));
  }
  return cells;
}

constexpr std::array<std::uint8_t, 5> kFmMarks = {0xFE, 0xFB, 0xFA, 0xF9, 0xF8};

// Reads bytes from the data cells after a cell position, round the track.
class Reader {
 public:
  Reader(const Cells& cells, std::size_t at) : cells_(cells), at_(at % cells.size()) {}
  std::uint8_t Byte() {
    std::uint8_t value = 0;
    for (int k = 0; k < 8; ++k) {
      at_ = (at_ + 2) % cells_.size();
      value = static_cast<std::uint8_t>(value << 1 | cells_.At(at_));
    }
    return value;
  }

 private:
  const Cells& cells_;
  std::size_t at_;  // the last data cell read
};

bool IsDataMark(std::uint8_t mark) {
  return mark >= 0xF8 && mark <= 0xFB;
}

// The ID field after its mark, whose last data cell is `at`.
Field ReadId(const Cells& cells, std::size_t at, std::size_t start, Encoding encoding,
             std::uint16_t preset) {
  Reader r(cells, at);
  Field f;
  f.at = start;
  f.encoding = encoding;
  f.cylinder = r.Byte();
  f.head = r.Byte();
  f.sector = r.Byte();
  f.size_code = r.Byte();
  const std::uint8_t id[5] = {0xFE, f.cylinder, f.head, f.sector, f.size_code};
  const std::uint16_t stored = static_cast<std::uint16_t>(r.Byte() << 8 | r.Byte());
  f.id_crc_ok = crc16::Add(preset, id, 5) == stored;
  return f;
}

void ReadData(const Cells& cells, std::size_t at, std::uint8_t mark, std::uint16_t preset,
              Field& f) {
  Reader r(cells, at);
  f.dam = mark;
  f.data.resize(std::size_t{128} << (f.size_code & 3));
  std::uint16_t crc = crc16::Add(preset, mark);
  for (std::uint8_t& b : f.data) {
    b = r.Byte();
    crc = crc16::Add(crc, b);
  }
  const std::uint16_t stored = static_cast<std::uint16_t>(r.Byte() << 8 | r.Byte());
  f.data_crc_ok = crc == stored;
}

// The mark whose cells end at the window's last cell (MFM: the sync; its
// mark byte follows), if any.
struct Found {
  std::uint8_t mark = 0;
  Encoding encoding = Encoding::kMfm;
};

std::optional<Found> MarkAt(const Cells& cells, std::uint64_t window, std::size_t i) {
  if ((window & 0xFFFFFFFFFFFF) == kMfmSync) {
    Reader r(cells, i);
    return Found{r.Byte(), Encoding::kMfm};
  }
  if (((window >> 16) & 0xFFFF) == kFmZero) {
    for (std::uint8_t m : kFmMarks) {
      if ((window & 0xFFFF) == FmCells(m, 0xC7)) return Found{m, Encoding::kFm};
    }
  }
  return std::nullopt;
}

// A data field waits for its ID this long after the ID's CRC, in cells.
std::size_t DataWindow(Encoding encoding) {
  return (encoding == Encoding::kMfm ? 43 + 4 : 30 + 1) * std::size_t{16};
}

}  // namespace

std::vector<Field> Decode(const Cells& cells) {
  std::vector<Field> fields;
  const std::size_t n = cells.size();
  if (n < 64) return fields;
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t open = kNone;  // the ID field waiting for its data
  std::size_t open_end = 0;  // the cell where its CRC ended
  std::uint64_t window = 0;
  // Once round the track, then on while an ID's data may lie past the index.
  for (std::size_t i = 0; i < n + 63 + DataWindow(Encoding::kMfm) + 64; ++i) {
    window = window << 1 | cells.At(i % n);
    const bool first_round = i >= 63 && i - 63 < n;
    if (i < 63 || (!first_round && open == kNone)) continue;
    const std::optional<Found> found = MarkAt(cells, window, i % n);
    if (!found) {
      if (open != kNone && i > open_end + DataWindow(fields[open].encoding) + 64) open = kNone;
      continue;
    }
    const bool mfm = found->encoding == Encoding::kMfm;
    const std::size_t mark_end = mfm ? i + 16 : i;  // the mark byte's last cell
    const std::uint16_t preset = mfm ? crc16::kDoubleDensityPreset : crc16::kPreset;
    if (found->mark == 0xFE && first_round) {
      fields.push_back(
          ReadId(cells, mark_end, (mark_end + n - (mfm ? 63 : 15)) % n, found->encoding, preset));
      open = fields.size() - 1;
      open_end = mark_end + 6 * 16;
    } else if (IsDataMark(found->mark) && open != kNone &&
               fields[open].encoding == found->encoding && mark_end > open_end &&
               mark_end - open_end <= DataWindow(found->encoding)) {
      ReadData(cells, mark_end, found->mark, preset, fields[open]);
      open = kNone;
    }
  }
  return fields;
}

}  // namespace trivane::cells
