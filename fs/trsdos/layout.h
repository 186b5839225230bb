// Where a DOS keeps its directory and its granules on the disk.
//
// TRSDOS 2.3 and its kin (LDOS, LS-DOS, DOSPLUS): the directory is one
// whole cylinder, head 0 then head 1 (GAT, HIT, entry sectors); an extent
// (cylinder, b) starts at granule cylinder * granules per cylinder + (b >> 5)
// and runs (b & 31) + 1 granules; granule q of a cylinder lies on head
// q / granules per track, its sectors following each other.
//
// NEWDOS/80 and its derivatives: sectors are numbered relatively across the
// disk, cylinder by cylinder (both heads), from cylinder 0 or, when track 0
// has the other density, cylinder 1. A granule is 5 relative sectors, a lump
// GPL granules; an extent (lump, b) starts at granule lump * GPL + (b >> 5)
// and runs (b & 31) + 1 granules. The directory is DDGA granules from
// relative sector DDSL * GPL * 5.
//
// Model III TRSDOS 1.3: the directory cylinder as above, head 0; an extent
// (cylinder, b) starts at granule b >> 5 of the cylinder and runs b & 31
// granules of 3 sectors (double density) or 2 (single).
//
// Where the three differ is one row each of a table (layout.cpp): how
// sectors are counted, what an extent's bytes mean, and the entries' shape.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "disk/sector_store.h"
#include "formats/directory.h"

namespace trivane::trsdos {

using disk::Place;

struct SchemeRow;

struct Layout {
  enum class Scheme { kCylinder, kRelative, kModel3 };
  Scheme scheme = Scheme::kCylinder;
  int cylinders = 0;
  int heads = 1;
  int spt = 10;          // sectors per track, each head
  int first_sector = 0;  // the lowest sector id
  int sectors_per_granule = 5;
  int granules_per_track = 2;             // cylinder and Model III schemes
  int gpl = 2;                            // relative scheme: granules per lump
  int track0_offset = 0;                  // relative scheme: 1 when sector 0 is on cylinder 1
  int dir_cylinder = kDirectoryCylinder;  // cylinder and Model III schemes
  int dir_first = 0;                      // relative scheme: the directory's first relative sector
  int dir_sectors = 0;
  // A hard drive's GAT gives out granules up to its version byte (CB): one
  // byte a cylinder for up to 203. 0 on a floppy, whose GAT is read to C0
  // and changed to 60, where its lockout table starts.
  int gat_end = 0;

  bool operator==(const Layout&) const = default;
  const SchemeRow& Row() const;
  int GranulesPerCylinder() const { return granules_per_track * heads; }
  // The granules one step of an extent's first byte counts: a cylinder's or a lump's.
  int UnitGranules() const;
  int TotalGranules() const;
  Place DirectorySector(int index) const;
  // The sectors of granule g in order.
  std::vector<Place> Granule(int g) const;
  // The extent's first granule and its count from its two bytes, and back;
  // the most granules one extent holds.
  void Extent(int unit, int b, int& first, int& count) const;
  std::pair<std::uint8_t, std::uint8_t> ExtentBytes(int first, int count) const;
  int LongestExtent() const;
  // A directory entry's DEC from its entry sector (0 the first after the
  // HIT) and slot, and back; -1 sector for a DEC the directory cannot have.
  int Dec(int sector, int slot) const;
  void DecPlace(int dec, int& sector, int& slot) const;
  // The allocation byte of the GAT that holds granule g, and its bit.
  void GatBit(int g, int& byte, int& bit) const;
  int GatReadEnd() const { return gat_end > 0 ? gat_end : 0xC0; }
  int GatEditEnd() const { return gat_end > 0 ? gat_end : 0x60; }
};

// What each scheme's disks are, where the schemes differ.
struct SchemeRow {
  Layout::Scheme scheme;
  bool relative;        // sectors counted across the disk, cylinder by cylinder
  const char* unit;     // what an extent's first byte counts
  int count_bias;       // an extent runs (b & 31) + count_bias granules
  int entry_bytes;      // a directory entry's size
  int per_sector;       // entries in an entry sector
  int extent_pairs;     // byte pairs from +22 that hold extents (the last may link on)
  bool linked;          // FE nn in an entry's last pair links to extended entry DEC nn;
                        // DEC = slot << 5 | sector (else entries numbered in order)
  bool model3_entries;  // TRSDOS 1.3's entry: size ERN * 256 + EOF, dated month and
                        // year, deleted by zeroing it
};

}  // namespace trivane::trsdos
