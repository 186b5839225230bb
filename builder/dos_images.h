// DOS disks for the tests: a directory (GAT, HIT, entries, extended entries,
// deleted entries) and files of known bytes, laid out as a NEWDOS/80, TRSDOS
// 2.3, LDOS or Model III TRSDOS 1.3 disk, written as a JV3 or DMK image.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "builder/image_builder.h"
#include "fs/trsdos/layout.h"

namespace trivane::build {

// How a file was deleted, as the DOSes leave it: bit 4 (in use) of the
// attributes cleared alone (TRSDOS, LDOS, NEWDOS/80); the attribute byte
// cleared (NEWDOS/80); that and the extents cleared to FF (NEWDOS/80).
enum class Deletion { kNone, kInUseBit, kAttributes, kExtents };

struct DosFile {
  std::string name, ext;
  std::vector<std::uint8_t> bytes;
  int attributes = 0x10;  // in use; 0x40 system, 0x08 invisible, 0x07 protection
  Deletion deleted = Deletion::kNone;
  bool scattered = false;  // one granule every other one: more extents than an entry holds
  bool no_hit = false;     // its HIT byte left 0
};

struct DosDisk {
  trsdos::Layout layout;
  bool model3 = false;
  bool newdos_system_sector = false;  // NEWDOS/80: the system sector and its PDRIVE entry
  bool other_drives = false;          // and PDRIVE entries 1 to 9 for other drives, as real disks
  int version = 0;                    // GAT +CB (0x51 LDOS 5.1, 0x62 LS-DOS 6.2)
  std::string name = "TESTDISK", date = "12/06/86";
  bool single_density_track0 = false;
  bool double_density = true;
  std::vector<DosFile> files;
  // As real disks have them, when not -1: GAT byte CD, boot sector byte 2,
  // the directory sectors' data mark (else FA single density, F8 double),
  // DIR/SYS's HIT byte.
  int gat_cd = -1, boot_directory = -1, directory_mark = -1, dir_sys_hit = -1;
};

// The disk's sectors: (cylinder, head, sector id) to 256 bytes.
using DosSectors = std::map<std::tuple<int, int, int>, std::vector<std::uint8_t>>;
DosSectors LayOut(const DosDisk& disk);

// The sectors as a JV3 image (every track in the layout's density, track 0
// in single density if asked), directory sectors with the directory mark.
Bytes DosJv3(const DosDisk& disk, const DosSectors& sectors);
// As a JV1 image (10 single-density sectors a track, one head).
Bytes DosJv1(const DosDisk& disk, const DosSectors& sectors);
// As a DMK image; damage: (cylinder, head, sector) of each sector written
// with a data CRC error.
using Places = std::vector<std::tuple<int, int, int>>;
Bytes DosDmk(const DosDisk& disk, const DosSectors& sectors, const Places& bad_crc = {});

// Ready-made disks: 10 files of known bytes, one scattered into extended
// entries, one deleted.
DosDisk NewdosDisk(int heads, int gpl, bool system_sector, bool single_density_track0);
DosDisk TrsdosDisk(int version);  // 0 TRSDOS 2.3, 0x51 LDOS 5.1
DosDisk Model3Disk();

// Disks as real formatting programs and DOSes left them:
// an LDOS 5.3 data disk whose GAT byte CD says 1 granule a track: 88 on a
// single-density one-headed disk (2 granules a track), E8 on a
// double-density two-headed one (3);
DosDisk Ldos53DataDisk(bool double_density);
// a Model I TRSDOS 2.3 data disk whose boot sector names no directory (byte
// 2 = 01), its directory sectors on cylinder 17 marked F8 in single density,
// DIR/SYS's HIT byte 2C, and one entry with control characters in its name;
DosDisk Trsdos23DataDisk();
// a NEWDOS/80 (or G-DOS) disk of 80 cylinders, two heads, track 0 in single
// density, with deleted entries in each form; `Big...Bad` gives the places
// inside its files to write with CRC errors.
DosDisk BigNewdosDisk(bool gdos);
Places BigNewdosBadSectors();

// The bytes of the n-th built file.
std::vector<std::uint8_t> DosFileBytes(int n, int size);

// A new Reed hard disk as LDOS formats one (drives 0: one a head), dated
// 12/08/26: its image as written and proved.
Bytes NewHardDisk(int cylinders, int heads, int drives = 0);

}  // namespace trivane::build
