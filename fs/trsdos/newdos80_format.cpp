// NEWDOS/80's FORMAT of a data disk: sectors numbered across the disk,
// granules of 5, lumps of GPL granules (the fewest that keep the GAT within
// its 96 bytes); the boot sector twice, the system sector with a PDRIVE
// table that describes the disk; the directory DDGA granules from lump
// DDSL; the GAT a byte a lump.
#include <algorithm>

#include "formats/data_marks.h"
#include "formats/newdos80.h"
#include "fs/trsdos/directory_bytes.h"
#include "fs/trsdos/format_tracks.h"

namespace trivane::trsdos {
namespace {

constexpr int kDdsl = 17;
constexpr int kTi = 0x04;  // the Model I's standard drive interface, TSR 0

// Every PDRIVE entry the same: this disk.
void PutSystemSector(Bytes& s, const Layout& l, int lumps, int ddga) {
  std::fill(s.begin(), s.end(), 0);
  for (int k = 0; k < newdos80::kPdriveEntries; ++k) {
    std::uint8_t* e = s.data() + k * newdos80::kPdriveEntryBytes;
    const int entry[] = {kDdsl, lumps, kTi, l.cylinders, l.spt * l.heads, l.gpl, 0, 0, kDdsl, ddga};
    std::copy(std::begin(entry), std::end(entry), e);
  }
  s[newdos80::kSignatureAt] = newdos80::kSignature;
}

// A byte a lump: granule 0 (boot and system sectors) and the directory's
// granules in use, the bits of granules past the disk or the lump set.
void PutAllocation(Bytes& gat, const Layout& l, int lumps, int ddga) {
  const int granules = l.TotalGranules();
  for (int lump = 0; lump < kGatAllocationBytes; ++lump) {
    std::uint8_t free = 0xFF;
    for (int k = 0; k < l.gpl && lump < lumps; ++k) {
      if (lump * l.gpl + k < granules) free = static_cast<std::uint8_t>(free & ~(1 << k));
    }
    std::uint8_t used = free;
    for (int k = 0; k < l.gpl; ++k) {
      const int g = lump * l.gpl + k;
      if (g == 0 || (g >= kDdsl * l.gpl && g < kDdsl * l.gpl + ddga)) used |= 1 << k;
    }
    gat[lump] = used;
    gat[kGatLockout + lump] = free;
  }
  std::fill(gat.begin() + kGatLockout + kGatAllocationBytes, gat.begin() + kGatVersion, 0xFF);
  const std::uint8_t dos[] = {0x82, static_cast<std::uint8_t>(l.cylinders - 35), 0x00, 0xE0, 0x42};
  std::copy(std::begin(dos), std::end(dos), gat.begin() + kGatVersion);
}

}  // namespace

void FormatNewdos80(disk::Disk& disk, const Format& f) {
  Layout l;
  l.scheme = Layout::Scheme::kRelative;
  l.cylinders = f.g.cylinders;
  l.heads = f.g.heads;
  l.spt = f.g.spt;
  const int granules = f.g.cylinders * f.g.spt * f.g.heads / 5;
  l.gpl = 2;
  while ((granules + l.gpl - 1) / l.gpl > kGatAllocationBytes) ++l.gpl;
  const int lumps = (granules + l.gpl - 1) / l.gpl, ddga = f.g.double_density ? 3 : 2;
  l.dir_first = kDdsl * l.gpl * 5;
  l.dir_sectors = ddga * 5;
  const int mark = f.g.double_density ? marks::kDirectoryDouble : marks::kDirectorySingle;
  for (int i = 0; i < l.dir_sectors; ++i) SetMark(disk, l.DirectorySector(i), mark);
  const std::vector<Place> boot = l.Granule(0);
  for (int r : {0, 1}) SectorBytes(disk, boot[r]) = BootSector({0x00, 0xFE, kDdsl}, 0x4200);
  PutSystemSector(SectorBytes(disk, boot[2]), l, lumps, ddga);
  Bytes& gat = SectorBytes(disk, l.DirectorySector(0));
  PutAllocation(gat, l, lumps, ddga);
  PutGatTrailer(gat, f.name, f.date, 0xFF);
  PutDirectory(disk, l,
               {{0x60, 0x7F, 0x1F, 0xB2},
                {0xA7, 0x1D, 0xF9, 0xE5},
                {kDdsl, static_cast<std::uint8_t>(ddga - 1)},
                0xFF});
}

}  // namespace trivane::trsdos
