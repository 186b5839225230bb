// Reading a directory laid out as a candidate layout says: GAT, HIT, entry
// sectors, each entry and its extended entries, the findings; and how well
// the directory explains the disk.
#pragma once

#include "fs/trsdos/catalogue.h"

namespace trivane::trsdos {

struct Directory {
  Catalogue catalogue;  // family, version and evidence left to the caller
  int matched = 0;      // live entries whose HIT byte is their name's hash
  int entries = 0;      // live entries in all
  // Matched entries whose extents claim no granule twice or past the disk,
  // and whose name no earlier entry has: what a DOS itself would have made.
  int sound = 0;
  bool system_files = false;  // BOOT/SYS at DEC 0 and DIR/SYS at DEC 1
  bool readable = false;      // GAT and HIT sectors could be read
  // The DOS's own mark on its entry sectors (Model III's "(c) 1980 Tandy"):
  // an empty directory so marked still explains the disk.
  bool signed_sectors = false;
  // Granules claimed twice or past the disk, extents starting at a granule
  // their track does not have: what speaks against the layout's geometry.
  int conflicts = 0;
  // How well the layout explains the disk; 0 when it does not at all.
  int Score() const;
};

// Entry shape: 32-byte entries, 8 a sector, DEC = slot << 5 | sector (the
// TRSDOS 2.3 family and NEWDOS/80), or 48-byte entries, 5 a sector, numbered
// in order (Model III TRSDOS 1.3).
// Without findings only their counts that weigh on the layout are kept: for
// trying a layout quickly.
Directory ReadDirectory(const disk::SectorStore& sectors, const Layout& layout, bool dated,
                        bool findings = true);

// "cylinder C head H sector S".

// The sectors a file's size needs, in order, by its extents.
std::vector<Place> FileSectors(const Layout& layout, const File& file);

// Marks each file that cannot be read whole, with a finding for each live
// one (missing-sector, crc-error).
void MarkUnreadable(const disk::SectorStore& sectors, Catalogue& catalogue);

}  // namespace trivane::trsdos
