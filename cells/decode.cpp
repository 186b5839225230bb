// Finding the fields on a track's cells: a window of the last 64 cells is
// matched against the MFM sync (three A1 with their missing clock) and the
// FM marks (the mark byte with clock C7 after a 00 byte); the bytes after a
// mark are read from its data cells, round the track's end.
#include <algorithm>
#include <array>
#include <map>

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

// The data bits of sixteen cells (clock, data, ...), first most significant.
constexpr std::array<std::uint8_t, 256> kDataBits = [] {
  std::array<std::uint8_t, 256> t{};
  for (unsigned b = 0; b < 256; ++b) {
    t[b] = static_cast<std::uint8_t>((b & 1) | (b >> 1 & 2) | (b >> 2 & 4) | (b >> 3 & 8));
  }
  return t;
}();

// Reads bytes from the data cells after a cell position, round the track.
class Reader {
 public:
  Reader(const Cells& cells, std::size_t at)
      : cells_(cells), packed_(cells.packed()), at_(at % cells.size()) {}
  std::uint8_t Byte() {
    const std::size_t q = at_ + 1;  // the byte's first cell
    if (q + 16 <= cells_.size() && (q >> 3) + 2 < packed_.size()) {
      const std::uint8_t* p = packed_.data() + (q >> 3);
      const std::uint32_t run = std::uint32_t{p[0]} << 16 | p[1] << 8 | p[2];
      const unsigned v = (run >> (8 - (q & 7))) & 0xFFFF;
      at_ += 16;
      return static_cast<std::uint8_t>(kDataBits[v >> 8] << 4 | kDataBits[v & 0xFF]);
    }
    std::uint8_t value = 0;
    for (int k = 0; k < 8; ++k) {
      at_ = (at_ + 2) % cells_.size();
      value = static_cast<std::uint8_t>(value << 1 | cells_.At(at_));
    }
    return value;
  }
  // `count` bytes into `out`: where they lie within the packed cells, each
  // at the same offset in its two packed bytes, so taken without a check.
  void Bytes(std::uint8_t* out, std::size_t count) {
    const std::size_t q = at_ + 1;
    if (q + 16 * count > cells_.size() || (q >> 3) + 2 * count + 1 > packed_.size()) {
      for (std::size_t k = 0; k < count; ++k) out[k] = Byte();
      return;
    }
    const std::uint8_t* p = packed_.data() + (q >> 3);
    const unsigned shift = 8 - (q & 7);
    for (std::size_t k = 0; k < count; ++k, p += 2) {
      const std::uint32_t run = std::uint32_t{p[0]} << 16 | p[1] << 8 | p[2];
      const unsigned v = (run >> shift) & 0xFFFF;
      out[k] = static_cast<std::uint8_t>(kDataBits[v >> 8] << 4 | kDataBits[v & 0xFF]);
    }
    at_ += 16 * count;
  }

 private:
  const Cells& cells_;
  const std::vector<std::uint8_t>& packed_;
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
  r.Bytes(f.data.data(), f.data.size());
  const std::uint16_t crc = crc16::Add(crc16::Add(preset, mark), f.data.data(), f.data.size());
  const std::uint16_t stored = static_cast<std::uint16_t>(r.Byte() << 8 | r.Byte());
  f.data_crc_ok = crc == stored;
}

// The mark whose cells end at the window's last cell (MFM: the sync; its
// mark byte follows), if any.
struct Found {
  std::uint8_t mark = 0;
  Encoding encoding = Encoding::kMfm;
};

std::optional<Found> MarkAt(const Cells& cells, std::uint64_t window, std::size_t i, Seek seek) {
  if (seek != Seek::kFm && (window & 0xFFFFFFFFFFFF) == kMfmSync) {
    Reader r(cells, i);
    return Found{r.Byte(), Encoding::kMfm};
  }
  if (seek != Seek::kMfm && ((window >> 16) & 0xFFFF) == kFmZero) {
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

// The fields of one track, found by stepping a 64-cell window along it.
class Scan {
 public:
  Scan(const Cells& cells, Seek seek) : cells_(cells), n_(cells.size()), seek_(seek) {}

  // Steps the window over i = from..to (cell i % n), starting it afresh.
  void Run(std::size_t from, std::size_t to) {
    window_ = 0;
    for (std::size_t k = from - 63; k < from; ++k) window_ = window_ << 1 | cells_.At(k % n_);
    std::size_t p = from % n_;
    for (std::size_t i = from; i <= to; ++i, p = p + 1 == n_ ? 0 : p + 1) {
      window_ = window_ << 1 | cells_.At(p);
      if (!FirstRound(i) && open_ == kNone) return;
      Step(i);
    }
  }
  // Steps to i alone, the window taken afresh.
  void At(std::size_t i) {
    window_ = Window(i);
    Step(i);
  }
  bool Open() const { return open_ != kNone; }
  std::vector<Field> fields;

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // The window ends within the first round of the track (i counts from the
  // 64th cell); after it, only an open ID's data is looked for.
  bool FirstRound(std::size_t i) const { return i - 63 < n_; }

  // The 64 cells that end with cell i % n.
  std::uint64_t Window(std::size_t i) const {
    const std::vector<std::uint8_t>& packed = cells_.packed();
    const std::size_t last = i % n_;
    if (last >= 63 && ((last - 63) >> 3) + 8 < packed.size()) {
      const std::size_t first = last - 63, b = first >> 3, r = first & 7;
      std::uint64_t w = 0;
      for (std::size_t k = 0; k < 8; ++k) w = w << 8 | packed[b + k];
      return r == 0 ? w : w << r | packed[b + 8] >> (8 - r);
    }
    std::uint64_t w = 0;
    for (std::size_t k = i - 63; k <= i; ++k) w = w << 1 | cells_.At(k % n_);
    return w;
  }

  void Step(std::size_t i) {
    const std::optional<Found> found = MarkAt(cells_, window_, i < n_ ? i : i % n_, seek_);
    if (open_ != kNone && i > open_end_ + DataWindow(fields[open_].encoding) + 64) open_ = kNone;
    if (!found) return;
    const bool mfm = found->encoding == Encoding::kMfm;
    const std::size_t mark_end = mfm ? i + 16 : i;  // the mark byte's last cell
    const std::uint16_t preset = mfm ? crc16::kDoubleDensityPreset : crc16::kPreset;
    if (found->mark == 0xFE && FirstRound(i)) {
      fields.push_back(ReadId(cells_, mark_end, (mark_end + n_ - (mfm ? 63 : 15)) % n_,
                              found->encoding, preset));
      open_ = fields.size() - 1;
      open_end_ = mark_end + 6 * 16;
    } else if (IsDataMark(found->mark) && open_ != kNone &&
               fields[open_].encoding == found->encoding && mark_end > open_end_ &&
               mark_end - open_end_ <= DataWindow(found->encoding)) {
      ReadData(cells_, mark_end, found->mark, preset, fields[open_]);
      open_ = kNone;
    }
  }

  const Cells& cells_;
  std::size_t n_;
  Seek seek_;
  std::size_t open_ = kNone;  // the ID field waiting for its data
  std::size_t open_end_ = 0;  // the cell where its CRC ended
  std::uint64_t window_ = 0;
};

// Where a mark can end, told by 16 cells starting on a byte of the packed
// cells: bits 0 to 15 say which of 0 to 15 cells into an FM mark's 00 byte
// they start, bits 16 to 20 which turn of the MFM sync (4489, three times)
// they are, plus one. The runs with a hint, in order, and their hints: a
// few dozen, made from every turn of the sync and every place in a mark.
using Hints = std::vector<std::pair<unsigned, unsigned>>;
const Hints& AllHints() {
  static const Hints hints = [] {
    std::map<unsigned, unsigned> by_run;
    for (unsigned turn = 0; turn < 16; ++turn)
      by_run[((0x44894489u << turn) >> 16) & 0xFFFF] |= (turn + 1) << 16;
    for (std::uint8_t m : kFmMarks) {
      const std::uint32_t fm = std::uint32_t{kFmZero} << 16 | FmCells(m, 0xC7);
      for (int in = 0; in < 16; ++in) by_run[(fm >> (16 - in)) & 0xFFFF] |= 1u << in;
    }
    return Hints(by_run.begin(), by_run.end());
  }();
  return hints;
}

// Looked up only for the runs a bit of Seen marks (8 KiB, which a scan
// keeps close).
unsigned Hint(unsigned run) {
  const Hints& hints = AllHints();
  const auto it = std::lower_bound(hints.begin(), hints.end(), std::pair{run, 0u});
  return it != hints.end() && it->first == run ? it->second : 0;
}

using Seen = std::array<std::uint64_t, 1024>;  // a bit for each 16-cell run
const Seen& SeenRuns(Seek seek) {
  static const std::array<Seen, 3> seen = [] {
    std::array<Seen, 3> s{};
    for (const auto& [run, h] : AllHints()) {
      const bool mfm = (h >> 16) != 0, fm = (h & 0xFFFF) != 0;
      const bool in[3] = {mfm || fm, mfm, fm};  // by Seek
      for (int k = 0; k < 3; ++k) s[k][run >> 6] |= std::uint64_t{in[k]} << (run & 63);
    }
    return s;
  }();
  return seen[static_cast<int>(seek)];
}

// How far apart the bytes a scan looks at lie: the MFM sync's 48 cells hold
// four or five runs that start on consecutive bytes, one of them on a byte
// that is a multiple of four; an FM mark's 00 byte holds two, one of them
// on an even byte. Seeking both, every byte.
std::size_t Stride(Seek seek) {
  return seek == Seek::kMfm ? 4 : seek == Seek::kFm ? 2 : 1;
}

// The window positions i (as Scan counts them) where a mark can end, in
// order: only there can the window match. The cells start the run at byte
// b: cell 8b is `turn` cells into the sync's 4489, or `in` cells into the
// FM 00 byte before its mark.
std::vector<std::size_t> Hinted(const Cells& cells, Seek seek) {
  const std::vector<std::uint8_t>& bytes = cells.packed();
  const std::size_t n = cells.size(), count = bytes.size();
  std::vector<std::size_t> at;
  const auto add = [&](std::size_t p) { at.push_back(p % n < 63 ? p % n + n : p % n); };
  const Seen& seen = SeenRuns(seek);
  const unsigned mask = seek == Seek::kMfm ? 0x1F0000 : seek == Seek::kFm ? 0xFFFF : 0x1FFFFF;
  for (std::size_t b = 0; b < count; b += Stride(seek)) {
    const unsigned run = bytes[b] << 8 | bytes[b + 1 < count ? b + 1 : 0];
    if ((seen[run >> 6] >> (run & 63) & 1) == 0) continue;
    const unsigned h = Hint(run) & mask;
    if (const unsigned turn = h >> 16; turn != 0) {
      // The sync's last cell is 15 into a 4489, within 47 cells of 8b.
      for (std::size_t p = 8 * b + 15 + (16 - (turn - 1)) % 16; p <= 8 * b + 47; p += 16) add(p);
    }
    for (int in = 0; in < 16; ++in) {
      if (h >> in & 1) add(8 * b + 31 - static_cast<std::size_t>(in));
    }
  }
  std::sort(at.begin(), at.end());
  at.erase(std::unique(at.begin(), at.end()), at.end());
  return at;
}

}  // namespace

std::vector<Field> Decode(const Cells& cells, Seek seek) {
  const std::size_t n = cells.size();
  if (n < 64) return {};
  Scan scan(cells, seek);
  const std::size_t last = n + 63 + DataWindow(Encoding::kMfm) + 64;
  // The hints hold for marks within the whole bytes; a mark that touches
  // the last byte's cells or runs round the end is found by stepping the
  // window over every position from there.
  const std::size_t whole = n / 8 * 8;
  for (std::size_t i : Hinted(cells, seek)) {
    if (whole < n && i >= whole) break;
    scan.At(i);
  }
  if (whole < n) {
    scan.Run(whole, last);
  } else if (scan.Open()) {
    scan.Run(n + 63, last);
  }
  return std::move(scan.fields);
}

namespace {

// Each pair of cells taken as one, set when either is: FM stored at twice
// its rate read at its own, whichever phase the pairs were written in.
Cells HalfRate(const Cells& cells) {
  // Each 16-cell lane's pairs or-ed into its even bits, and those gathered
  // into the lane's low byte.
  const auto half = [](std::uint64_t v) {
    v = (v | v >> 1) & 0x5555555555555555;
    v = (v | v >> 1) & 0x3333333333333333;
    v = (v | v >> 2) & 0x0F0F0F0F0F0F0F0F;
    return (v | v >> 4) & 0x00FF00FF00FF00FF;
  };
  const std::vector<std::uint8_t>& in = cells.packed();
  std::vector<std::uint8_t> out((in.size() + 1) / 2, 0);
  for (std::size_t k = 0; k < out.size(); k += 4) {
    std::uint64_t v = 0;
    if (2 * k + 8 <= in.size()) {
      const std::uint8_t* p = in.data() + 2 * k;
      for (std::size_t j = 0; j < 8; ++j) v = v << 8 | p[j];
    } else {
      for (std::size_t j = 0; j < 8; ++j) v = v << 8 | (2 * k + j < in.size() ? in[2 * k + j] : 0);
    }
    const std::uint64_t h = half(v);
    for (std::size_t j = 0; j < 4 && k + j < out.size(); ++j) {
      out[k + j] = static_cast<std::uint8_t>(h >> (48 - 16 * j));
    }
  }
  return Cells::FromPacked(std::move(out), cells.size() / 2);
}

}  // namespace

std::vector<Field> DecodeBothRates(const Cells& cells) {
  std::vector<Field> fields = Decode(cells, Seek::kMfm);
  for (Field& f : Decode(HalfRate(cells), Seek::kFm)) {
    f.at *= 2;
    fields.push_back(std::move(f));
  }
  std::stable_sort(fields.begin(), fields.end(),
                   [](const Field& a, const Field& b) { return a.at < b.at; });
  return fields;
}

}  // namespace trivane::cells
