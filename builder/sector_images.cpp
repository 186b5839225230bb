#include "builder/sector_images.h"

#include <algorithm>

#include "formats/crc16.h"

namespace trivane::build {
namespace {

// Writes bytes into a block round its end, each once or twice.
class BlockWriter {
 public:
  BlockWriter(Bytes& image, Offset block, int length)
      : image_(image), block_(block), length_(length) {}
  Offset pos = dmk::kPointerTableBytes + 32;

  void Put(int byte, int times) {
    for (int t = 0; t < times; ++t) {
      image_[block_ + pos] = static_cast<std::uint8_t>(byte);
      if (++pos == length_) pos = dmk::kPointerTableBytes;
    }
  }
  void Fill(int byte, int count, int times) {
    for (int n = 0; n < count; ++n) Put(byte, times);
  }
  // The bytes and their CRC, high byte first (spoilt when bad).
  void Field(const std::vector<std::uint8_t>& bytes, std::uint16_t preset, bool bad, int times) {
    const std::uint16_t crc = crc16::Add(preset, bytes.data(), bytes.size()) ^ (bad ? 0x0101 : 0);
    for (std::uint8_t b : bytes) Put(b, times);
    Put(crc >> 8, times);
    Put(crc & 0xFF, times);
  }

 private:
  Bytes& image_;
  Offset block_;
  int length_;
};

}  // namespace

std::uint8_t FieldByte(int cylinder, int sector, int k) {
  return static_cast<std::uint8_t>(cylinder * 7 + sector * 13 + k);
}

std::vector<std::uint8_t> FieldData(const DmkField& f) {
  if (!f.data.empty()) return f.data;
  std::vector<std::uint8_t> data(static_cast<std::size_t>(128 << f.size_code));
  for (std::size_t k = 0; k < data.size(); ++k) data[k] = FieldByte(f.cylinder, f.sector, int(k));
  return data;
}

Bytes DmkHeader(int length, int cylinders, int heads, int options) {
  Bytes header(dmk::kHeaderBytes, 0);
  header[dmk::kCylindersAt] = static_cast<std::uint8_t>(cylinders);
  header[dmk::kTrackLengthAt] = static_cast<std::uint8_t>(length & 0xFF);
  header[dmk::kTrackLengthAt + 1] = static_cast<std::uint8_t>(length >> 8);
  header[dmk::kOptionsAt] =
      static_cast<std::uint8_t>(options | (heads == 1 ? dmk::kOptionSingleSided : 0));
  return header;
}

// Gaps and sync bytes as a controller writes them: double density 4E gaps,
// 00 and three A1 before each mark; single density FF gaps and 00.
void PutDmkBlock(Bytes& image, Offset block, int length, bool doubling,
                 const std::vector<DmkField>& fields) {
  BlockWriter w(image, block, length);
  w.Fill(0x4E, length - int(w.pos), 1);
  w.pos = dmk::kPointerTableBytes + 32;
  for (std::size_t i = 0; i < fields.size() && i < dmk::kPointers; ++i) {
    const DmkField& f = fields[i];
    const bool dd = f.double_density;
    const int times = !dd && doubling ? 2 : 1;
    const std::uint16_t preset = dd ? crc16::kDoubleDensityPreset : crc16::kPreset;
    if (f.at != 0) w.pos = f.at;
    w.Fill(0x00, dd ? 12 : 6, times);
    if (dd) w.Fill(0xA1, 3, 1);
    const int pointer = static_cast<int>(w.pos) | (dd ? dmk::kDoubleDensityFlag : 0);
    image[block + 2 * i] = static_cast<std::uint8_t>(pointer & 0xFF);
    image[block + 2 * i + 1] = static_cast<std::uint8_t>(pointer >> 8);
    w.Field({0xFE, std::uint8_t(f.cylinder), std::uint8_t(f.head), std::uint8_t(f.sector),
             std::uint8_t(f.size_code)},
            preset, f.bad_id_crc, times);
    w.Fill(dd ? 0x4E : 0xFF, dd ? 22 : 11, times);
    w.Fill(0x00, dd ? 12 : 6, times);
    if (f.dam == 0) continue;
    if (dd) w.Fill(0xA1, 3, 1);
    std::vector<std::uint8_t> data = FieldData(f);
    data.insert(data.begin(), f.dam);
    w.Field(data, preset, f.bad_data_crc, times);
    w.Fill(dd ? 0x4E : 0xFF, dd ? 24 : 12, times);
  }
}

Bytes Jv3Blocks(const std::vector<Jv3Entry>& entries) {
  Bytes image;
  for (std::size_t first = 0; first < entries.size(); first += jv3::kEntries) {
    const std::size_t end = std::min(entries.size(), first + jv3::kEntries);
    const bool last = end == entries.size();
    const Offset header = static_cast<Offset>(image.size());
    image.resize(header + jv3::kHeaderBlockBytes, 0xFF);
    for (std::size_t n = first; n < first + jv3::kEntries && (!last || n < end); ++n) {
      const Jv3Entry e = n < end ? entries[n] : Jv3Entry{0xFF, 0xFF, 0xFF};
      const Offset at = header + jv3::EntryOffset(static_cast<int>(n - first));
      image[at] = std::uint8_t(e.track);
      image[at + 1] = std::uint8_t(e.sector);
      image[at + 2] = std::uint8_t(e.flags);
      const bool free = e.track == jv3::kFreeTrack;
      const int size = (free ? jv3::kFreeSizes : jv3::kUsedSizes)[e.flags & jv3::kSizeCode];
      for (int k = 0; k < size; ++k) image.push_back(free ? 0xE5 : FieldByte(e.track, e.sector, k));
    }
  }
  return image;
}

}  // namespace trivane::build
