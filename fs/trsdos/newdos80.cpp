// NEWDOS/80 and its derivatives: the layouts the disk suggests. The system
// sector (A5 at byte 239, its PDRIVE table: +0 DDSL, +2 bit 0x40 track-0
// offset, +3 TC, +4 sectors per cylinder, +5 GPL, +9 DDGA) gives one for each
// drive it describes; a data disk without one is tried with boot byte 2 as
// DDSL and every GPL, head count and track-0 offset.
#include "formats/newdos80.h"

#include <algorithm>

#include "disk/reed.h"
#include "formats/reed.h"
#include "fs/trsdos/candidates.h"

namespace trivane::trsdos {
namespace {

using newdos80::kPdriveEntries, newdos80::kPdriveEntryBytes, newdos80::kSignature,
    newdos80::kSignatureAt;

// A quick look before a whole directory is read: the entry at DEC 0 is in
// use and its HIT byte is its name's hash, as BOOT/SYS's is on every disk.
bool Plausible(const Candidates& c, const Layout& l) {
  const std::vector<std::uint8_t> hit = c.sectors().Get(l.DirectorySector(1)).data;
  const std::vector<std::uint8_t> entries = c.sectors().Get(l.DirectorySector(2)).data;
  return hit.size() == 256 && entries.size() == 256 && (entries[0] & 0x10) &&
         hit[0] == NameHash(entries.data() + 5);
}

// The PDRIVE entry of the hard drive on slice `slice`: the one whose first
// sector is the slice's, else (a slice formatted but named by no entry) the
// last hard-drive entry, whose shape the slices after it share; -1 for none.
int HardDriveEntry(const std::vector<std::uint8_t>& system, int slice, bool& named) {
  int last = -1;
  for (int k = 0; k < kPdriveEntries; ++k) {
    const std::uint8_t* e = system.data() + k * kPdriveEntryBytes;
    if (e[4] != reed::kSliceSectors || e[newdos80::kHardGranuleSectorsAt] == 0) continue;
    named = e[newdos80::kHardFirstSectorAt] * newdos80::kHardFirstSectorUnit ==
            slice * reed::kSliceSectors;
    if (named) return k;
    last = k;
  }
  named = false;
  return slice > 0 ? last : -1;
}

// A drive of a NEWDOS/80 hard disk: its layout from the PDRIVE table in the
// hard disk's system sector (cylinder 0 sector 2).
void NewdosHardDrive(Candidates& c, int slice) {
  const std::vector<std::uint8_t> s = disk::HardDiskSector(c.sectors().disk(), 0, 2);
  if (s.size() < 256 || s[kSignatureAt] != kSignature) {
    c.looked_at.push_back(
        "no A5 at byte 239 of the hard disk's system sector, cylinder 0 sector 2");
    return;
  }
  bool named = false;
  const int k = HardDriveEntry(s, slice, named);
  if (k < 0) {
    c.looked_at.push_back("no PDRIVE entry of the hard disk names a drive on sectors " +
                          std::to_string(slice * reed::kSliceSectors) + " up");
    return;
  }
  const std::uint8_t* e = s.data() + k * kPdriveEntryBytes;
  Layout l = c.Base(Layout::Scheme::kRelative);
  l.heads = 1;
  l.spt = reed::kSliceSectors;
  l.gpl = e[5];
  l.sectors_per_granule = e[newdos80::kHardGranuleSectorsAt];
  l.cylinders = std::min(
      l.cylinders, (e[newdos80::kHardSectorsAt] | e[newdos80::kHardSectorsAt + 1] << 8) / l.spt);
  l.dir_first = e[0] * l.gpl * l.sectors_per_granule;
  l.dir_sectors = e[9];
  const std::string entry = "PDRIVE entry " + std::to_string(k);
  c.Try(Family::kNewdos80, "",
        {"A5 at byte 239 of the hard disk's cylinder 0 sector 2",
         (named ? entry : "no PDRIVE entry for this drive; read as " + entry + "'s") + ": DDSL " +
             std::to_string(e[0]) + ", GPL " + std::to_string(l.gpl) + ", " +
             std::to_string(l.sectors_per_granule) + " sectors a granule, " +
             std::to_string(l.cylinders) + " cylinders of 32 sectors, directory of " +
             std::to_string(l.dir_sectors) + " sectors"},
        l, false);
}

}  // namespace

void NewdosFromSystemSector(Candidates& c) {
  if (const int slice = disk::SliceOf(c.sectors().disk());
      slice >= 0 && disk::ReedHeaderOf(c.sectors().disk().image).system == reed::kNewdos) {
    NewdosHardDrive(c, slice);
    return;
  }
  for (int cylinder : {0, 1}) {
    if (!c.shape().Has(cylinder)) continue;
    const int id = c.shape().first_of[cylinder] + 2;
    const std::vector<std::uint8_t> s = c.Sector(cylinder, 0, id);
    if (s.size() < 256 || s[kSignatureAt] != kSignature) continue;
    const std::string where =
        "A5 at byte 239 of cylinder " + std::to_string(cylinder) + " sector " + std::to_string(id);
    for (int k = 0; k < kPdriveEntries; ++k) {
      const std::uint8_t* e = s.data() + k * kPdriveEntryBytes;
      const int ddsl = e[0], spc = e[4], gpl = e[5], ddga = e[9];
      if (gpl < 2 || gpl > 8 || spc == 0 || ddga == 0) continue;
      Layout l = c.Base(Layout::Scheme::kRelative);
      l.heads = std::clamp(spc / c.shape().spt, 1, 2);
      l.spt = spc / l.heads;
      l.gpl = gpl;
      l.track0_offset = (e[2] & 0x40) || cylinder == 1 ? 1 : 0;
      l.dir_first = ddsl * gpl * 5;
      l.dir_sectors = ddga * 5;
      c.Try(Family::kNewdos80, "",
            {where, "PDRIVE entry " + std::to_string(k) + ": DDSL " + std::to_string(ddsl) +
                        ", GPL " + std::to_string(gpl) + ", SPC " + std::to_string(spc) +
                        ", DDGA " + std::to_string(ddga)},
            l, false);
    }
    return;
  }
  c.looked_at.push_back("no A5 at byte 239 of the system sector on cylinder 0 or 1");
}

void NewdosDataDisk(Candidates& c, int ddsl) {
  for (int gpl = 2; gpl <= 8; ++gpl) {
    for (int heads = c.shape().heads; heads >= 1; --heads) {
      for (int offset : {0, 1}) {
        Layout l = c.Base(Layout::Scheme::kRelative);
        l.heads = heads;
        l.gpl = gpl;
        l.track0_offset = offset;
        l.dir_first = ddsl * gpl * 5;
        l.dir_sectors = 10;
        if (!Plausible(c, l)) continue;
        c.Try(Family::kNewdos80, "",
              {"boot byte 2 read as DDSL " + std::to_string(ddsl) + " with GPL " +
               std::to_string(gpl) + ", " + std::to_string(heads) +
               (heads == 1 ? " head" : " heads") + (offset ? ", from cylinder 1" : "")},
              l, false);
      }
    }
  }
}

}  // namespace trivane::trsdos
