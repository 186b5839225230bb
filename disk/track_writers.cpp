// JV3 files from their entries (layout in formats/jv3.h) and DMK track
// blocks from their fields (formats/dmk.h), byte by byte as written.
#include "disk/track_writers.h"

#include <algorithm>

#include "cells/cells.h"
#include "formats/crc16.h"
#include "formats/dmk.h"
#include "formats/jv3.h"

namespace trivane::disk {
namespace {

// Writes bytes into a block round its end, each once or twice; notes each
// ID field's mark in the block's pointer table.
class BlockWriter {
 public:
  BlockWriter(std::uint8_t* block, Offset length) : block_(block), length_(length) {}
  Offset pos = dmk::kPointerTableBytes;

  void Put(int byte, int times) {
    for (int t = 0; t < times; ++t) {
      block_[pos] = static_cast<std::uint8_t>(byte);
      if (++pos == length_) pos = dmk::kPointerTableBytes;
    }
  }
  void Mark(int byte, int times) { Put(byte, times); }
  void Density(bool) {}
  void MoveTo(Offset at) {
    if (at != 0) pos = at;
  }
  void IdMark(std::size_t i, bool dd) {
    const int pointer = static_cast<int>(pos) | (dd ? dmk::kDoubleDensityFlag : 0);
    block_[2 * i] = static_cast<std::uint8_t>(pointer & 0xFF);
    block_[2 * i + 1] = static_cast<std::uint8_t>(pointer >> 8);
  }

 private:
  std::uint8_t* block_;
  Offset length_;
};

// Writes the same bytes onto cells, each once, in its field's encoding.
class CellWriter {
 public:
  explicit CellWriter(bool fm_twice) : encoder(fm_twice) {}
  void Put(int byte, int) { encoder.Byte(static_cast<std::uint8_t>(byte), encoding_); }
  void Mark(int byte, int) { encoder.Mark(static_cast<std::uint8_t>(byte), encoding_); }
  void Density(bool dd) { encoding_ = dd ? cells::Encoding::kMfm : cells::Encoding::kFm; }
  void MoveTo(Offset) {}
  void IdMark(std::size_t, bool) {}
  cells::Encoder encoder;

 private:
  cells::Encoding encoding_ = cells::Encoding::kMfm;
};

template <class W>
void Fill(W& w, int byte, int count, int times) {
  for (int n = 0; n < count; ++n) w.Put(byte, times);
}

// The mark, the bytes and their CRC, high byte first (spoilt when bad).
template <class W>
void Field(W& w, std::uint8_t mark, const std::vector<std::uint8_t>& bytes, std::uint16_t preset,
           bool bad, int times) {
  std::uint16_t crc = crc16::Add(crc16::Add(preset, mark), bytes.data(), bytes.size());
  crc ^= bad ? 0x0101 : 0;
  w.Mark(mark, times);
  for (std::uint8_t b : bytes) w.Put(b, times);
  w.Put(crc >> 8, times);
  w.Put(crc & 0xFF, times);
}

int Times(const TrackField& f, bool doubling) {
  return !f.double_density && doubling ? 2 : 1;
}

// Sync before a mark: 00s, and in double density three A1s.
template <class W>
void Zeros(W& w, const TrackField& f, const TrackLayout& layout, bool doubling) {
  if (layout.sync) Fill(w, 0x00, f.double_density ? 12 : 6, Times(f, doubling));
}
template <class W>
void A1s(W& w, const TrackField& f, const TrackLayout& layout) {
  if (!layout.sync || !f.double_density) return;
  for (int k = 0; k < 3; ++k) w.Mark(0xA1, 1);
}

template <class W>
void WriteField(W& w, std::size_t i, const TrackField& f, const TrackLayout& layout,
                bool doubling) {
  const bool dd = f.double_density;
  const int times = Times(f, doubling), gap = dd ? layout.dd_gap : layout.sd_gap;
  const std::uint16_t preset = dd ? crc16::kDoubleDensityPreset : crc16::kPreset;
  w.Density(dd);
  w.MoveTo(f.at);
  Zeros(w, f, layout, doubling);
  A1s(w, f, layout);
  w.IdMark(i, dd);
  Field(w, dmk::kIdMark,
        {std::uint8_t(f.cylinder), std::uint8_t(f.head), std::uint8_t(f.sector),
         std::uint8_t(f.size_code)},
        preset, f.bad_id_crc, times);
  Fill(w, gap, dd ? layout.dd_gap2 : layout.sd_gap2, times);
  Zeros(w, f, layout, doubling);
  if (f.dam == 0) {
    // Gap where the data field would be, so that no byte of the next field
    // falls where a reader looks for a data mark.
    if (layout.gap_for_missing_data) Fill(w, gap, 3 + (128 << (f.size_code & 3)), times);
    return;
  }
  A1s(w, f, layout);
  Field(w, f.dam, f.data, preset, f.bad_data_crc, times);
  Fill(w, gap, dd ? layout.dd_gap3 : layout.sd_gap3, times);
}

}  // namespace

TrackLayout ControllerLayout() {
  return {.start = 32, .gap1 = -1, .gap_for_missing_data = true};
}

Offset TrackBytes(const std::vector<TrackField>& fields, bool doubling, const TrackLayout& l) {
  Offset bytes = l.start;
  for (const TrackField& f : fields) {
    const bool dd = f.double_density;
    const Offset sync = l.sync ? (dd ? 12 : 6) * Times(f, doubling) + (dd ? 3 : 0) : 0;
    const Offset id = (7 + (dd ? l.dd_gap2 : l.sd_gap2)) * Times(f, doubling);
    const Offset data = (3 + Offset{128} * (1 << (f.size_code & 3)) + (dd ? l.dd_gap3 : l.sd_gap3));
    const bool data_field = f.dam != 0 || l.gap_for_missing_data;
    bytes += 2 * sync + id + (data_field ? data * Times(f, doubling) : 0);
  }
  return bytes;
}

void WriteDmkTrack(std::uint8_t* block, Offset length, bool doubling,
                   const std::vector<TrackField>& fields, const TrackLayout& layout) {
  const auto gap = [&](const TrackField& f) {
    return f.double_density ? layout.dd_gap : layout.sd_gap;
  };
  const int gap1 = layout.gap1 >= 0 || fields.empty() ? layout.gap1 : gap(fields.front());
  const int gap4 = layout.gap4 >= 0 || fields.empty() ? layout.gap4 : gap(fields.back());
  const Offset start = dmk::kPointerTableBytes + layout.start;
  std::fill(block, block + dmk::kPointerTableBytes, 0);
  std::fill(block + dmk::kPointerTableBytes, block + start, static_cast<std::uint8_t>(gap1));
  std::fill(block + start, block + length, static_cast<std::uint8_t>(gap4));
  BlockWriter w(block, length);
  w.pos = start;
  for (std::size_t i = 0; i < fields.size() && i < dmk::kPointers; ++i) {
    WriteField(w, i, fields[i], layout, doubling);
  }
}

TrackField FieldOf(const Disk& disk, const Sector& s) {
  TrackField f;
  f.cylinder = s.id_cylinder;
  f.head = s.id_head;
  f.sector = s.id_sector;
  f.size_code = s.size_code;
  f.double_density = s.density == Density::kDouble;
  f.dam = s.has_data() ? s.dam : 0;
  f.bad_id_crc = s.id_crc == Check::kBad;
  f.bad_data_crc = s.has_data() && DataCrc(disk, s) == Check::kBad;
  f.data = SectorData(disk, s);
  return f;
}

cells::Cells TrackCellsOf(const Disk& disk, int cylinder, int head, std::size_t until,
                          bool fm_twice) {
  std::vector<TrackField> fields;
  for (const Sector& s : disk.sectors) {
    if (s.cylinder == cylinder && s.head == head) fields.push_back(FieldOf(disk, s));
  }
  return TrackCells(fields, ControllerLayout(), until, fm_twice);
}

cells::Cells TrackCells(const std::vector<TrackField>& fields, const TrackLayout& layout,
                        std::size_t until, bool fm_twice) {
  CellWriter w(fm_twice);
  w.encoder.cells().Reserve(until);
  const bool dd = fields.empty() || fields.front().double_density;
  w.Density(dd);
  Fill(w,
       layout.gap1 >= 0 ? layout.gap1
       : dd             ? layout.dd_gap
                        : layout.sd_gap,
       static_cast<int>(dd ? layout.start : layout.start / 2), 1);
  for (std::size_t i = 0; i < fields.size(); ++i) WriteField(w, i, fields[i], layout, false);
  const int gap4 = layout.gap4 >= 0 || fields.empty() ? layout.gap4
                   : fields.back().double_density     ? layout.dd_gap
                                                      : layout.sd_gap;
  const std::size_t byte_cells =
      fm_twice && !fields.empty() && !fields.back().double_density ? 32 : 16;
  while (w.encoder.cells().size() + byte_cells <= until) w.Put(gap4 < 0 ? 0x4E : gap4, 1);
  return std::move(w.encoder.cells());
}

std::vector<std::uint8_t> DmkHeader(int length, int cylinders, int heads, int options,
                                    bool write_protected) {
  std::vector<std::uint8_t> header(dmk::kHeaderBytes, 0);
  header[0] = write_protected ? dmk::kWriteProtected : 0;
  header[dmk::kCylindersAt] = static_cast<std::uint8_t>(cylinders);
  header[dmk::kTrackLengthAt] = static_cast<std::uint8_t>(length & 0xFF);
  header[dmk::kTrackLengthAt + 1] = static_cast<std::uint8_t>(length >> 8);
  header[dmk::kOptionsAt] =
      static_cast<std::uint8_t>(options | (heads == 1 ? dmk::kOptionSingleSided : 0));
  return header;
}

int Jv3SizeFlags(int size) {
  for (int code = 0; code < 4; ++code) {
    if (jv3::kUsedSizes[code] == size) return code;
  }
  return 0;
}

std::vector<std::uint8_t> WriteJv3Records(const std::vector<Jv3Record>& records,
                                          bool write_protected) {
  std::vector<std::uint8_t> image;
  for (std::size_t first = 0; first < records.size() || first == 0; first += jv3::kEntries) {
    const std::size_t end = std::min(records.size(), first + jv3::kEntries);
    const Offset header = static_cast<Offset>(image.size());
    image.resize(header + jv3::kHeaderBlockBytes, 0xFF);
    if (first == 0 && write_protected) image[jv3::kWriteProtect] = 0;
    for (std::size_t n = first; n < end; ++n) {
      const Offset at = header + jv3::EntryOffset(static_cast<int>(n - first));
      image[at] = std::uint8_t(records[n].cylinder);
      image[at + 1] = std::uint8_t(records[n].sector);
      image[at + 2] = std::uint8_t(records[n].flags);
      image.insert(image.end(), records[n].data.begin(), records[n].data.end());
    }
    if (end == records.size()) break;
  }
  return image;
}

// The controller's layout, then the same with its gaps closed up: an FM
// track of eighteen 128-byte sectors needs the closer one.
namespace {

std::vector<TrackLayout> Layouts() {
  TrackLayout close = ControllerLayout();
  close.start = 16;
  close.dd_gap3 = 16;
  close.sd_gap3 = 8;
  return {ControllerLayout(), close};
}

// A sector's data can hold what reads as another's marks (MFM data whose
// cells are an FM ID at twice its rate, say): the track read back then
// gives a sector more than was written. The sector whose data it lies in
// is said as a loss.
void FindMarksInData(const cells::Cells& c, const std::vector<TrackField>& fields, int cylinder,
                     int side, Losses& losses) {
  const std::vector<cells::Field> read = cells::DecodeBothRates(c);
  std::size_t k = 0;
  for (const cells::Field& f : read) {
    const bool written = k < fields.size() && fields[k].sector == f.sector &&
                         fields[k].double_density == (f.encoding == cells::Encoding::kMfm);
    if (written) {
      ++k;
    } else if (k > 0) {
      losses.Add(cylinder, side, fields[k - 1].sector,
                 "its data holds the marks of another sector: read back, the track gives one "
                 "more");
    }
  }
}

}  // namespace

// The track's fields on cells of `until` cells, the last ones dropped as
// losses while the revolution cannot hold them.
cells::Cells FittedCells(std::vector<TrackField> fields, std::size_t until, int cylinder, int side,
                         Losses& losses) {
  while (true) {
    if (fields.empty()) return TrackCells(fields, ControllerLayout(), until, true);
    for (const TrackLayout& layout : Layouts()) {
      // Written out to `until` where it fits; longer where it does not.
      cells::Cells c = TrackCells(fields, layout, until, true);
      if (c.size() > until) continue;
      FindMarksInData(c, fields, cylinder, side, losses);
      return c;
    }
    losses.Add(cylinder, side, fields.back().sector,
               "past the 100,000 cells of a track at 250 kbit/s and 300 rpm");
    fields.pop_back();
  }
}

}  // namespace trivane::disk
