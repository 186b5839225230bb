// Reading a directory laid out as a candidate layout says: GAT, HIT, entry
// sectors, each entry and its extended entries, the findings; and how well
// the directory explains the disk.
#pragma once

#include "dos/catalogue.h"

namespace trivane::dos {

// The disk's sectors by place, for the many lookups a directory and its
// files take: of two copies, the first readable one, as Disk::Find.
class SectorIndex {
 public:
  SectorIndex(const ImageBuffer& image, const disk::Disk& disk);
  // The data of the sector at the place; empty when the disk has none with
  // data there. crc_error is set when it failed a CRC.
  std::vector<std::uint8_t> Data(Place p, bool& crc_error) const;
  // The sector at the place, nullptr when there is none.
  const disk::Sector* At(Place p) const;
  const disk::Disk& disk() const { return disk_; }

 private:
  const ImageBuffer& image_;
  const disk::Disk& disk_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> keys_;  // place, sector index
};

struct Directory {
  Catalogue catalogue;        // family, version and evidence left to the caller
  int matched = 0;            // live entries whose HIT byte is their name's hash
  int entries = 0;            // live entries in all
  bool system_files = false;  // BOOT/SYS at DEC 0 and DIR/SYS at DEC 1
  bool readable = false;      // GAT and HIT sectors could be read
  // How well the layout explains the disk; 0 when it does not at all.
  int Score() const;
};

// Entry shape: 32-byte entries, 8 a sector, DEC = slot << 5 | sector (the
// TRSDOS 2.3 family and NEWDOS/80), or 48-byte entries, 5 a sector, numbered
// in order (Model III TRSDOS 1.3).
Directory ReadDirectory(const SectorIndex& sectors, const Layout& layout, bool dated);

// The sectors a file's size needs, in order, by its extents.
std::vector<Place> FileSectors(const Layout& layout, const File& file);

// Marks each file that cannot be read whole, with a finding for each live
// one (missing-sector, crc-error).
void MarkUnreadable(const SectorIndex& sectors, Catalogue& catalogue);

}  // namespace trivane::dos
