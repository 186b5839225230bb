// The pieces every DOS's FORMAT shares: a disk of blank tracks in memory,
// the bytes of a directory's GAT and entries, a boot sector that says it
// is not a system disk.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "disk/disk.h"
#include "fs/trsdos/layout.h"

namespace trivane::trsdos {

struct Geometry {
  int cylinders = 40, heads = 1, spt = 10, first_id = 0;
  bool double_density = false;
  std::vector<int> order;  // the ids of a track in the order written
};

using Bytes = std::vector<std::uint8_t>;

// Every sector E5 and marked FB, in the geometry's order, track after track.
disk::Disk BlankDisk(const Geometry& g);
// The data of the sector at the place, to be changed in place; the place
// must be on the disk.
Bytes& SectorBytes(disk::Disk& disk, Place p);
void SetMark(disk::Disk& disk, Place p, int dam);

// A boot sector loaded at `origin` that prints "Not a system disk" and
// waits: `lead` first (00 FE dd on a Model I, FE dd on a Model III).
Bytes BootSector(const Bytes& lead, int origin);

// BOOT/SYS (DEC 0: the boot granule) and DIR/SYS (DEC 1: the directory's
// own extent) with their password bytes, the extent area after the end mark
// filled with `rest` (FF, or 00 as TRSDOS 2.3 writes); the HIT with their
// hashes, every other entry empty.
struct SystemFiles {
  std::array<std::uint8_t, 4> boot, dir;  // update, then access password
  std::vector<std::uint8_t> dir_extent;
  int rest;
};
void PutDirectory(disk::Disk& disk, const Layout& l, const SystemFiles& files);

// The GAT's name (blank-padded to 8), date, and auto command: 0D, then
// `fill` to the sector's end.
void PutGatTrailer(Bytes& gat, const std::string& name, const std::string& date, int fill);

}  // namespace trivane::trsdos

namespace trivane::trsdos {

// A request with the DOS's usual values filled in and checked.
struct Format {
  Geometry g;
  std::string name, date;
  disk::Container container;
};

// Each DOS's FORMAT, in its family's file.
void FormatTrsdos(disk::Disk& disk, const Format& f, bool ldos);  // trsdos_format.cpp
void FormatNewdos80(disk::Disk& disk, const Format& f);           // newdos80_format.cpp
void FormatTrsdos13(disk::Disk& disk, const Format& f);           // model3_format.cpp

}  // namespace trivane::trsdos
