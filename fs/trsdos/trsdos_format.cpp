// TRSDOS 2.3's and LDOS's FORMAT of a data disk: the directory on cylinder
// 17 (TRSDOS 2.3) or the middle cylinder (LDOS), granules of 5 sectors
// (single density) or 6 (double), 2 or 3 a track; the GAT with its lock-out
// table and the DOS's bytes at +CB..+CF; BOOT/SYS and DIR/SYS.
#include <algorithm>

#include "formats/data_marks.h"
#include "fs/trsdos/directory_bytes.h"
#include "fs/trsdos/format_tracks.h"

namespace trivane::trsdos {
namespace {

// +CB..+CF: the DOS's version, cylinders - 35, the geometry byte (granules a
// track - 1, 0x20 two heads, 0x40 double density, and the bits 0x88 real
// LDOS disks carry), the master password.
void PutDosBytes(Bytes& gat, const Geometry& g, bool ldos) {
  const int granules = g.double_density ? 3 : 2;
  const std::uint8_t ldos_bytes[] = {
      0x53, static_cast<std::uint8_t>(g.cylinders - 35),
      static_cast<std::uint8_t>(0x88 | (granules - 1) | (g.heads == 2 ? 0x20 : 0) |
                                (g.double_density ? 0x40 : 0)),
      0xE0, 0x42};
  const std::uint8_t trsdos_bytes[] = {0x21, 0x00, 0x00, 0xE0, 0x42};
  std::copy_n(ldos ? ldos_bytes : trsdos_bytes, 5, gat.begin() + kGatVersion);
}

// One byte a cylinder: bit n for granule n in use, the bits of granules the
// cylinder does not have set; FF past the disk. The lock-out table the same
// for a disk with nothing locked out.
void PutAllocation(Bytes& gat, const Geometry& g, int per_cylinder, int directory) {
  const std::uint8_t none = static_cast<std::uint8_t>(0xFF << per_cylinder);
  for (int c = 0; c < kGatAllocationBytes; ++c) {
    const std::uint8_t free = c < g.cylinders ? none : 0xFF;
    gat[c] = c == directory ? 0xFF : c == 0 ? free | 1 : free;
    gat[kGatLockout + c] = free;
  }
  std::fill(gat.begin() + kGatLockout + kGatAllocationBytes, gat.begin() + kGatVersion, 0xFF);
}

}  // namespace

void FormatTrsdos(disk::Disk& disk, const Format& f, bool ldos) {
  const Geometry& g = f.g;
  Layout l;
  l.cylinders = g.cylinders;
  l.heads = g.heads;
  l.spt = g.spt;
  l.dir_cylinder = ldos ? g.cylinders / 2 : kDirectoryCylinder;
  l.granules_per_track = g.double_density ? 3 : 2;
  l.sectors_per_granule = g.spt / l.granules_per_track;
  l.dir_sectors = std::min(g.spt * g.heads, 2 + 32);
  // LDOS marks its single-density directory F8 where the container keeps
  // the mark as written (DMK, HFE, IMD); JV1 and JV3 files carry FA.
  const bool keeps_f8 =
      f.container != disk::Container::kJv1 && f.container != disk::Container::kJv3;
  const int mark =
      g.double_density || (ldos && keeps_f8) ? marks::kDirectoryDouble : marks::kDirectorySingle;
  for (int i = 0; i < l.dir_sectors; ++i) SetMark(disk, l.DirectorySector(i), mark);
  SectorBytes(disk, {0, 0, 0}) =
      BootSector({0x00, 0xFE, static_cast<std::uint8_t>(l.dir_cylinder)}, 0x4200);
  Bytes& gat = SectorBytes(disk, l.DirectorySector(0));
  PutAllocation(gat, g, l.GranulesPerCylinder(), l.dir_cylinder);
  PutDosBytes(gat, g, ldos);
  PutGatTrailer(gat, f.name, f.date, ' ');
  // TRSDOS 2.3's passwords on its system files; LDOS's
  const SystemFiles files{ldos ? std::array<std::uint8_t, 4>{0xAE, 0x01, 0x00, 0x00}
                               : std::array<std::uint8_t, 4>{0x60, 0x7F, 0x1F, 0xB2},
                          ldos ? std::array<std::uint8_t, 4>{0xAE, 0x01, 0x00, 0x00}
                               : std::array<std::uint8_t, 4>{0xA7, 0x1D, 0xF9, 0xE5},
                          {static_cast<std::uint8_t>(l.dir_cylinder),
                           static_cast<std::uint8_t>(l.GranulesPerCylinder() - 1)},
                          ldos ? 0xFF : 0x00};
  PutDirectory(disk, l, files);
}

}  // namespace trivane::trsdos
