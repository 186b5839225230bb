// Model III TRSDOS 1.3's FORMAT of a data disk: 40 cylinders of 18
// double-density sectors numbered from 1; the directory on cylinder 17 with
// the data mark FB, every other sector but the boot sector F8 as on the real
// disks; the GAT a byte a cylinder of six 3-sector granules; a HIT with an
// empty system-file table; entry sectors of five empty 48-byte entries, each
// signed "(c) 1980 Tandy  ".
#include <algorithm>
#include <cstring>

#include "formats/data_marks.h"
#include "fs/trsdos/directory_bytes.h"
#include "fs/trsdos/format_tracks.h"

namespace trivane::trsdos {
namespace {

constexpr int kF8 = marks::kDirectoryDouble;  // what the real disks carry on their free sectors
constexpr int kSignatureAt = 0xF0;
constexpr int kSystemTable = 0xE0;

}  // namespace

void FormatTrsdos13(disk::Disk& disk, const Format& f) {
  for (disk::Sector& s : disk.sectors) {
    if (s.cylinder != kDirectoryCylinder && !(s.cylinder == 0 && s.id_sector == 1)) s.dam = kF8;
  }
  SectorBytes(disk, {0, 0, 1}) = BootSector({0xFE, kDirectoryCylinder}, 0x4300);
  Bytes& gat = SectorBytes(disk, {kDirectoryCylinder, 0, 1});
  std::fill(gat.begin(), gat.end(), 0);
  gat[0] = 0x01;
  gat[kDirectoryCylinder] = 0x3F;
  gat[kGatPassword] = 0xD3;
  gat[kGatPassword + 1] = 0x8F;
  PutGatTrailer(gat, f.name, f.date, ' ');
  Bytes& hit = SectorBytes(disk, {kDirectoryCylinder, 0, 2});
  std::fill(hit.begin(), hit.end(), 0);
  std::fill(hit.begin() + kSystemTable, hit.end(), 0xFF);
  for (int id = 3; id <= f.g.spt; ++id) {
    Bytes& s = SectorBytes(disk, {kDirectoryCylinder, 0, id});
    std::fill(s.begin(), s.end(), 0);
    std::memcpy(s.data() + kSignatureAt, "(c) 1980 Tandy  ", 16);
  }
}

}  // namespace trivane::trsdos
