#include "builder/cpm_images.h"

#include <algorithm>

namespace trivane::build {
namespace {

// Logical sector i of a track in slot i * skew, moved on past taken slots.
std::vector<int> Slots(int spt, int skew) {
  std::vector<bool> taken(static_cast<std::size_t>(spt), false);
  std::vector<int> out;
  for (int i = 0, at = 0; i < spt; ++i, at = (at + skew) % spt) {
    while (taken[static_cast<std::size_t>(at)]) at = (at + 1) % spt;
    taken[static_cast<std::size_t>(at)] = true;
    out.push_back(at);
  }
  return out;
}

void PutEntry(Bytes& dir, int slot, const CpmFile& f, int number, int rc,
              const std::vector<int>& blocks, bool wide) {
  std::uint8_t* e = dir.data() + slot * 32;
  std::fill(e, e + 32, 0);
  e[0] = static_cast<std::uint8_t>(f.user);
  for (int k = 0; k < 11; ++k) {
    const std::string& part = k < 8 ? f.name : f.type;
    const std::size_t at = static_cast<std::size_t>(k < 8 ? k : k - 8);
    e[1 + k] = at < part.size() ? static_cast<std::uint8_t>(part[at]) : ' ';
  }
  e[12] = static_cast<std::uint8_t>(number & 31);
  e[14] = static_cast<std::uint8_t>(number >> 5);
  e[15] = static_cast<std::uint8_t>(rc);
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    if (wide) {
      e[16 + 2 * k] = static_cast<std::uint8_t>(blocks[k]);
      e[17 + 2 * k] = static_cast<std::uint8_t>(blocks[k] >> 8);
    } else {
      e[16 + k] = static_cast<std::uint8_t>(blocks[k]);
    }
  }
}

// The data area: the directory, then the files' blocks; empty when the
// files do not fit.
Bytes Area(const CpmSpec& s, const std::vector<CpmFile>& files,
           const std::function<void(Bytes&)>& edit) {
  Bytes area(static_cast<std::size_t>((s.cylinders * s.heads - s.off) * s.spt * s.size), kFill);
  const int blocks = static_cast<int>(area.size()) / s.bls;
  const bool wide = blocks > 256;
  const int extents = s.bls / (wide ? 2048 : 1024);
  Bytes dir(static_cast<std::size_t>(s.entries * 32), kFill);
  int next = (s.entries * 32 + s.bls - 1) / s.bls, slot = 0;
  for (const CpmFile& f : files) {
    Bytes data = f.bytes;
    data.resize((data.size() + 127) / 128 * 128, 0x1A);
    const int records = static_cast<int>(data.size() / 128);
    for (int first = 0; first == 0 || first * 128 < records; first += extents) {
      const int held = std::min(records - first * 128, extents * 128);
      const int number = first + (held > 0 ? (held - 1) / 128 : 0);
      std::vector<int> used;
      for (int at = 0; at < held * 128; at += s.bls, ++next) {
        if (next >= blocks) return {};
        used.push_back(next);
        const std::size_t from =
            static_cast<std::size_t>(first) * 16384 + static_cast<std::size_t>(at);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from),
                    std::min<std::size_t>(static_cast<std::size_t>(s.bls), data.size() - from),
                    area.begin() + static_cast<std::ptrdiff_t>(next) * s.bls);
      }
      PutEntry(dir, slot++, f, number, held - (number - first) * 128, used, wide);
    }
  }
  if (edit) edit(dir);
  std::copy(dir.begin(), dir.end(), area.begin());
  return area;
}

disk::Sector SectorOf(const CpmSpec& s, int track, int id, std::size_t written) {
  disk::Sector x;
  x.cylinder = x.id_cylinder =
      static_cast<std::uint8_t>(s.side0_first ? track % s.cylinders : track / s.heads);
  x.head = x.id_head =
      static_cast<std::uint8_t>(s.side0_first ? track / s.cylinders : track % s.heads);
  x.id_sector = static_cast<std::uint8_t>(id);
  x.size = static_cast<std::uint16_t>(s.size);
  x.size_code = static_cast<std::uint8_t>(s.size == 128   ? 0
                                          : s.size == 256 ? 1
                                          : s.size == 512 ? 2
                                                          : 3);
  x.dam = 0xFB;
  x.density = s.double_density ? disk::Density::kDouble : disk::Density::kSingle;
  x.id_crc = x.data_crc = disk::Check::kGood;
  x.data_offset = 0;
  x.written = static_cast<std::int32_t>(written);
  return x;
}

}  // namespace

disk::Disk CpmDisk(const CpmSpec& s, const std::vector<CpmFile>& files,
                   const std::function<void(Bytes&)>& edit) {
  const Bytes area = Area(s, files, edit);
  disk::Disk d;
  if (area.empty()) return d;  // the files do not fit: no disk
  d.cylinders = s.cylinders;
  d.heads = s.heads;
  const std::vector<int> slots = Slots(s.spt, s.skew);
  for (int t = 0; t < s.cylinders * s.heads; ++t) {
    for (int i = 0; i < s.spt; ++i) {
      d.sectors.push_back(
          SectorOf(s, t, s.first_id + slots[static_cast<std::size_t>(i)], d.written.size()));
      Bytes data(static_cast<std::size_t>(s.size), kFill);
      if (t >= s.off) {
        const std::size_t n =
            static_cast<std::size_t>((t - s.off) * s.spt + i) * static_cast<std::size_t>(s.size);
        std::copy_n(area.begin() + static_cast<std::ptrdiff_t>(n), s.size, data.begin());
      }
      d.written.push_back(std::move(data));
    }
  }
  return d;
}

}  // namespace trivane::build
