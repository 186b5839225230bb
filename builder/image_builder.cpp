#include "builder/image_builder.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "disk/track_writers.h"
#include "formats/crc16.h"
#include "formats/newdos80.h"

namespace trivane::build {
namespace {

constexpr Offset kDmkPointerTable = dmk::kPointerTableBytes;
// DmkImage's ID marks lie this far apart: double density, single.
constexpr int kDoublePitch = 320;
constexpr int kSinglePitch = 293;

void PutByte(Bytes& image, Offset at, int value) {
  if (at >= static_cast<Offset>(image.size())) image.resize(at + 1, 0);
  image[at] = static_cast<std::uint8_t>(value);
}

// Writes the CRC of the count bytes at `at` after them, high byte first.
void PutCrc(Bytes& image, Offset at, Offset count, bool double_density) {
  const std::uint16_t crc =
      crc16::Add(double_density ? crc16::kDoubleDensityPreset : crc16::kPreset, image.data() + at,
                 static_cast<std::size_t>(count));
  PutByte(image, at + count, crc >> 8);
  PutByte(image, at + count + 1, crc & 0xFF);
}

}  // namespace

void PutSystemSector(Bytes& image, Offset sector, const Pdrive& p) {
  const std::array<std::uint8_t, newdos80::kPdriveBytes> entry = {
      p.ddsl, p.b1, p.ti_tsr, p.tc, p.spt, p.gpl, p.b6, p.option, p.b8, p.ddga};
  for (int i = 0; i < newdos80::kPdriveBytes; ++i) PutByte(image, sector + i, entry[i]);
  PutByte(image, sector + newdos80::kSignatureAt, newdos80::kSignature);
}

Bytes Jv1(int tracks) {
  Bytes image(tracks * jv1::kTrackBytes, kFill);
  if (image.size() >= 3) {
    image[0] = jv1::kBootByte0;
    image[1] = jv1::kBootByte1;
    image[2] = jv1::kBootDirectoryTrack;
  }
  return image;
}

int Jv3Flags(int side, bool double_density) {
  return (side == 1 ? jv3::kSide1 : 0) | (double_density ? jv3::kDoubleDensity : 0);
}

// Every entry's data E5, write-protected.
Bytes Jv3(const std::vector<Jv3Entry>& entries) {
  std::vector<disk::Jv3Record> records;
  for (const Jv3Entry& e : entries) {
    records.push_back({e.track, e.sector, e.flags, Bytes(kSectorBytes, kFill)});
  }
  return disk::WriteJv3Records(records, true);
}

std::vector<Jv3Entry> Jv3Disk(int tracks, int sides, int spt, bool double_density, bool sides_apart,
                              int first_sector) {
  std::vector<Jv3Entry> entries;
  auto add_track = [&](int t, int s) {
    for (int n = 0; n < spt; ++n) {
      entries.push_back({t, first_sector + n, Jv3Flags(s, double_density)});
    }
  };
  if (sides_apart) {
    for (int s = 0; s < sides; ++s)
      for (int t = 0; t < tracks; ++t) add_track(t, s);
  } else {
    for (int t = 0; t < tracks; ++t)
      for (int s = 0; s < sides; ++s) add_track(t, s);
  }
  return entries;
}

DmkImage::DmkImage(int trklength, int header_tracks, bool double_sided)
    : bytes_(disk::DmkHeader(trklength, header_tracks, double_sided ? 2 : 1,
                             trklength != dmk::kSingleTrack ? 0 : dmk::kOptionSingleDensity)),
      trklength_(trklength),
      double_density_(trklength != dmk::kSingleTrack) {}

int DmkImage::IdOffset(int index) const {
  return double_density_ ? kDmkPointerTable + 60 + kDoublePitch * index
                         : kDmkPointerTable + 30 + kSinglePitch * index;
}

Offset DmkImage::DataOffset(Offset block, int index) const {
  return block + IdOffset(index) + DataMarkDistance() + 1;
}

// The fields at fixed places, with no sync bytes and every gap 4E, as
// many as fit before the block's end.
Offset DmkImage::AddBlock(const std::vector<DmkId>& ids) {
  const Offset block = static_cast<Offset>(bytes_.size());
  bytes_.resize(block + trklength_);
  std::vector<disk::TrackField> fields;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const Offset mark = IdOffset(static_cast<int>(i));
    if (mark + DataMarkDistance() + 1 + kSectorBytes > trklength_) break;
    fields.push_back({ids[i].track, ids[i].side, ids[i].sector, 1, double_density_,
                      ids[i].data_mark, false, false, 0, Bytes(kSectorBytes, kFill)});
  }
  disk::TrackLayout layout{.start = IdOffset(0) - kDmkPointerTable,
                           .gap1 = 0x4E,
                           .gap4 = 0x4E,
                           .dd_gap = 0x4E,
                           .sd_gap = 0x4E,
                           .sync = false,
                           .dd_gap2 = dmk::kDoubleDataMarkDistance - 7,
                           .sd_gap2 = dmk::kSingleDataMarkDistance - 7,
                           .dd_gap3 = kDoublePitch - dmk::kDoubleDataMarkDistance - 259,
                           .sd_gap3 = kSinglePitch - dmk::kSingleDataMarkDistance - 259};
  disk::WriteDmkTrack(bytes_.data() + block, trklength_, false, fields, layout);
  return block;
}

void DmkImage::PutDataCrc(Offset data) {
  PutCrc(bytes_, data - 1, 1 + kSectorBytes, double_density_);
}

Bytes Dmk(int trklength, int tracks, int sides, int spt, int first_sector) {
  DmkImage image(trklength, tracks, sides == 2);
  for (int t = 0; t < tracks; ++t) {
    for (int s = 0; s < sides; ++s) {
      std::vector<DmkId> ids;
      for (int n = 0; n < spt; ++n) ids.push_back({t, s, first_sector + n});
      image.AddBlock(ids);
    }
  }
  return image.bytes();
}

bool WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string HexDump(const Bytes& bytes, Offset offset, Offset length) {
  std::string out;
  char line[16];
  const Offset end = std::min<Offset>(offset + length, static_cast<Offset>(bytes.size()));
  for (Offset at = std::max<Offset>(offset, 0); at < end; ++at) {
    if ((at - offset) % 16 == 0) {
      std::snprintf(line, sizeof line, "\n%06llx:", static_cast<unsigned long long>(at));
      out += line;
    }
    std::snprintf(line, sizeof line, " %02x", bytes[at]);
    out += line;
  }
  return out;
}

}  // namespace trivane::build
