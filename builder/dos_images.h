// DOS disks for the tests: a directory (GAT, HIT, entries, extended entries,
// deleted entries) and files of known bytes, laid out as a NEWDOS/80, TRSDOS
// 2.3, LDOS or Model III TRSDOS 1.3 disk, written as a JV3 or DMK image.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "builder/image_builder.h"
#include "dos/layout.h"

namespace trivane::build {

struct DosFile {
  std::string name, ext;
  std::vector<std::uint8_t> bytes;
  int attributes = 0x10;  // in use; 0x40 system, 0x08 invisible, 0x07 protection
  bool deleted = false;
  bool scattered = false;  // one granule every other one: more extents than an entry holds
};

struct DosDisk {
  dos::Layout layout;
  bool model3 = false;
  bool newdos_system_sector = false;  // NEWDOS/80: the system sector and its PDRIVE entry
  int version = 0;                    // GAT +CB (0x51 LDOS 5.1, 0x62 LS-DOS 6.2)
  std::string name = "TESTDISK", date = "12/06/86";
  bool single_density_track0 = false;
  bool double_density = true;
  std::vector<DosFile> files;
};

// The disk's sectors: (cylinder, head, sector id) to 256 bytes.
using DosSectors = std::map<std::tuple<int, int, int>, std::vector<std::uint8_t>>;
DosSectors LayOut(const DosDisk& disk);

// The sectors as a JV3 image (every track in the layout's density, track 0
// in single density if asked), directory sectors with the directory mark.
Bytes DosJv3(const DosDisk& disk, const DosSectors& sectors);
// As a DMK image; damage: (cylinder, head, sector) of a sector written with a
// data CRC error.
Bytes DosDmk(const DosDisk& disk, const DosSectors& sectors,
             std::tuple<int, int, int> bad_crc = {-1, -1, -1});

// Ready-made disks: 10 files of known bytes, one scattered into extended
// entries, one deleted.
DosDisk NewdosDisk(int heads, int gpl, bool system_sector, bool single_density_track0);
DosDisk TrsdosDisk(int version);  // 0 TRSDOS 2.3, 0x51 LDOS 5.1
DosDisk Model3Disk();

// The bytes of the n-th built file.
std::vector<std::uint8_t> DosFileBytes(int n, int size);

}  // namespace trivane::build
