#include "builder/image_builder.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace trivane::build {
namespace {

constexpr Offset kJv1TrackBytes = 2560;
constexpr int kJv3Entries = 2901;
constexpr int kDmkPointerTable = 128;

void PutByte(Bytes& image, Offset at, int value) {
  if (at >= static_cast<Offset>(image.size())) image.resize(at + 1, 0);
  image[at] = static_cast<std::uint8_t>(value);
}

}  // namespace

void PutSystemSector(Bytes& image, Offset sector, const Pdrive& p) {
  const std::array<std::uint8_t, 10> entry = {p.ddsl, p.b1,     p.ti_tsr, p.tc, p.spt,
                                              p.gpl,  p.b6,     p.option, p.b8, p.ddga};
  for (int i = 0; i < 10; ++i) PutByte(image, sector + i, entry[i]);
  PutByte(image, sector + 239, 165);
}

Bytes Jv1(int tracks) {
  Bytes image(tracks * kJv1TrackBytes, kFill);
  if (image.size() >= 3) {
    image[0] = 0x00;
    image[1] = 0xFE;
    image[2] = 0x11;
  }
  return image;
}

int Jv3Flags(int side, bool double_density) {
  return (side == 1 ? kJv3Side1 : 0) | (double_density ? kJv3DoubleDensity : 0);
}

Bytes Jv3(const std::vector<Jv3Entry>& entries) {
  Bytes image(kJv3Data + kSectorBytes * static_cast<Offset>(entries.size()), kFill);
  std::fill(image.begin(), image.begin() + kJv3Data, 0xFF);
  image[kJv3Data - 1] = 0;
  for (std::size_t n = 0; n < entries.size() && n < kJv3Entries; ++n) {
    image[3 * n] = static_cast<std::uint8_t>(entries[n].track);
    image[3 * n + 1] = static_cast<std::uint8_t>(entries[n].sector);
    image[3 * n + 2] = static_cast<std::uint8_t>(entries[n].flags);
  }
  return image;
}

std::vector<Jv3Entry> Jv3Disk(int tracks, int sides, int spt, bool double_density,
                              bool sides_apart, int first_sector) {
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
    : bytes_(kDmkHeader, 0), trklength_(trklength), double_density_(trklength != kDmkSingle) {
  bytes_[1] = static_cast<std::uint8_t>(header_tracks);
  bytes_[2] = static_cast<std::uint8_t>(trklength & 0xFF);
  bytes_[3] = static_cast<std::uint8_t>(trklength >> 8);
  bytes_[4] = static_cast<std::uint8_t>((double_sided ? 0 : 0x10) | (double_density_ ? 0 : 0x40));
}

int DmkImage::IdOffset(int index) const {
  return double_density_ ? kDmkPointerTable + 60 + 320 * index
                         : kDmkPointerTable + 30 + 293 * index;
}

Offset DmkImage::DataOffset(Offset block, int index) const {
  return block + IdOffset(index) + DataMarkDistance() + 1;
}

Offset DmkImage::AddBlock(const std::vector<DmkId>& ids) {
  const Offset block = static_cast<Offset>(bytes_.size());
  bytes_.resize(block + trklength_, 0x4E);
  std::fill(bytes_.begin() + block, bytes_.begin() + block + kDmkPointerTable, 0);
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const Offset mark = IdOffset(static_cast<int>(i));
    if (mark + DataMarkDistance() + 1 + kSectorBytes > trklength_) break;
    const int pointer = static_cast<int>(mark) | (double_density_ ? 0x8000 : 0);
    PutByte(bytes_, block + 2 * i, pointer & 0xFF);
    PutByte(bytes_, block + 2 * i + 1, pointer >> 8);
    const Offset id = block + mark;
    PutByte(bytes_, id, 0xFE);
    PutByte(bytes_, id + 1, ids[i].track);
    PutByte(bytes_, id + 2, ids[i].side);
    PutByte(bytes_, id + 3, ids[i].sector);
    PutByte(bytes_, id + 4, 1);  // size code: 256 bytes
    PutByte(bytes_, id + DataMarkDistance(), ids[i].data_mark);
    std::fill_n(bytes_.begin() + id + DataMarkDistance() + 1, kSectorBytes, kFill);
  }
  return block;
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
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
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
