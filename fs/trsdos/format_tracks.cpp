#include "fs/trsdos/format_tracks.h"

#include <algorithm>
#include <cstring>

#include "formats/data_marks.h"
#include "fs/trsdos/catalogue.h"
#include "fs/trsdos/directory_bytes.h"

namespace trivane::trsdos {
namespace {

constexpr std::uint8_t kFill = 0xE5;  // what FORMAT writes into every sector

std::size_t IndexOf(const disk::Disk& disk, Place p) {
  const disk::Sector* s = disk::SectorStore(disk).At(p);
  return static_cast<std::size_t>(s - disk.sectors.data());
}

}  // namespace

disk::Disk BlankDisk(const Geometry& g) {
  disk::Disk d;
  d.cylinders = g.cylinders;
  d.heads = g.heads;
  for (int c = 0; c < g.cylinders; ++c) {
    for (int h = 0; h < g.heads; ++h) {
      for (int id : g.order) {
        disk::Sector s;
        s.cylinder = static_cast<std::uint16_t>(c);
        s.head = s.id_head = static_cast<std::uint8_t>(h);
        s.id_cylinder = static_cast<std::uint8_t>(c);
        s.id_sector = static_cast<std::uint8_t>(id);
        s.size_code = 1;
        s.size = kSectorBytes;
        s.dam = marks::kData;
        s.density = g.double_density ? disk::Density::kDouble : disk::Density::kSingle;
        s.id_crc = s.data_crc = disk::Check::kGood;
        s.data_offset = 0;  // its data is the disk's own (written)
        s.written = static_cast<std::int32_t>(d.written.size());
        d.written.emplace_back(kSectorBytes, kFill);
        d.sectors.push_back(s);
      }
    }
  }
  return d;
}

Bytes& SectorBytes(disk::Disk& disk, Place p) {
  return disk.written[static_cast<std::size_t>(disk.sectors[IndexOf(disk, p)].written)];
}

void SetMark(disk::Disk& disk, Place p, int dam) {
  disk.sectors[IndexOf(disk, p)].dam = static_cast<std::uint8_t>(dam);
}

// LD HL,message; loop: LD A,(HL); INC HL; OR A; JR Z,$; CALL 0033h (the
// ROM's display); JR loop.
Bytes BootSector(const Bytes& lead, int origin) {
  Bytes b(kSectorBytes, 0);
  std::copy(lead.begin(), lead.end(), b.begin());
  const int code = static_cast<int>(lead.size()), message = code + 13;
  const int at = origin + message;
  const std::uint8_t stub[] = {0x21,
                               std::uint8_t(at & 0xFF),
                               std::uint8_t(at >> 8),
                               0x7E,
                               0x23,
                               0xB7,
                               0x28,
                               0xFE,
                               0xCD,
                               0x33,
                               0x00,
                               0x18,
                               0xF6};
  std::copy(std::begin(stub), std::end(stub), b.begin() + code);
  const char text[] = "Not a system disk\r";
  std::memcpy(b.data() + message, text, sizeof text);
  return b;
}

namespace {

void PutEntry(Bytes& sector, const char* name11, int attributes, const std::uint8_t* passwords,
              int ern, const std::vector<std::uint8_t>& extents, int rest) {
  std::uint8_t* p = sector.data();
  p[0] = static_cast<std::uint8_t>(attributes);
  std::memcpy(p + 5, name11, 11);
  std::copy_n(passwords, 4, p + 16);
  p[20] = static_cast<std::uint8_t>(ern & 0xFF);
  p[21] = static_cast<std::uint8_t>(ern >> 8);
  std::copy(extents.begin(), extents.end(), p + 22);
  std::uint8_t* end = p + 22 + extents.size();
  end[0] = end[1] = 0xFF;
  std::fill(end + 2, p + kEntryBytes, static_cast<std::uint8_t>(rest));
}

}  // namespace

void PutDirectory(disk::Disk& disk, const Layout& l, const SystemFiles& files) {
  for (int i = 1; i < l.dir_sectors; ++i) {
    Bytes& s = SectorBytes(disk, l.DirectorySector(i));
    std::fill(s.begin(), s.end(), 0);
  }
  const char boot[] = "BOOT    SYS", dir[] = "DIR     SYS";
  Bytes& hit = SectorBytes(disk, l.DirectorySector(1));
  hit[Dec(0, 0)] = NameHash(reinterpret_cast<const std::uint8_t*>(boot));
  hit[Dec(1, 0)] = NameHash(reinterpret_cast<const std::uint8_t*>(dir));
  PutEntry(SectorBytes(disk, l.DirectorySector(2)), boot, 0x5E, files.boot.data(), 5, {0x00, 0x00},
           files.rest);
  PutEntry(SectorBytes(disk, l.DirectorySector(3)), dir, 0x5D, files.dir.data(), l.dir_sectors,
           files.dir_extent, files.rest);
}

void PutGatTrailer(Bytes& gat, const std::string& name, const std::string& date, int fill) {
  for (int k = 0; k < 8; ++k) {
    gat[kGatName + k] = k < static_cast<int>(name.size()) ? name[k] : ' ';
    gat[kGatDate + k] = k < static_cast<int>(date.size()) ? date[k] : ' ';
  }
  gat[kGatCommand] = 0x0D;
  std::fill(gat.begin() + kGatCommand + 1, gat.end(), static_cast<std::uint8_t>(fill));
}

}  // namespace trivane::trsdos
