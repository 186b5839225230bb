// A Reed hard disk as the disk model holds it: one head, each cylinder's
// sectors numbered 0 up as the image lays them out; its header's fields;
// and its logical drives, each a slice of 32 sectors of every cylinder
// made a disk of its own (one head, sectors 0 to 31), or a run of whole
// cylinders, whose sectors are views into the one image. A drive's changes are written back into
// the whole image (WriteReed), and read back as the same drive (ReadBack).
#pragma once

#include <string>
#include <vector>

#include "disk/disk.h"

namespace trivane::disk {

struct ReedHeader {
  int version = 0, check = 0, made_by = 0, system = 0;
  int month = 0, day = 0, year = 0;
  int cylinders = 0, sectors_per_cylinder = 0, granules_per_cylinder = 0;
  int directory_cylinder = 0;
  bool write_protected = false;
  std::string name;
};

ReedHeader ReedHeaderOf(const ImageBuffer& image);
// "LDOS", "LS-DOS", "CP/M", "NEWDOS/80", or "system 7".
std::string ReedSystemName(int system);
// The header's fields, a line each, with what the image holds beside them.
std::vector<std::string> ReedHeaderLines(const Disk& hard_disk);

// The 32-sector slices of each cylinder: the places logical drives take.
int SliceCount(const Disk& hard_disk);
// Slice n as a disk of its own.
Disk Slice(const Disk& hard_disk, int n);
// Run n of `cylinders` whole cylinders as a disk of its own (one head, its
// cylinders from 0): where a system (MULTIDOS) lays its drives out so.
Disk Run(const Disk& hard_disk, int n, int cylinders);
// Slices first to first + count - 1 as the heads of one disk (a CP/M
// hard disk's drive), each track's sectors numbered 1 to 32 as its BIOS
// asks for them: the slice's first sector is sector 32.
Disk SliceHeads(const Disk& hard_disk, int first, int count);
// The drive a disk is of its hard disk (its slice or its run); -1 for a
// disk that is none. The cylinders of its run; 0 for a slice or none.
int SliceOf(const Disk& disk);
int RunCylinders(const Disk& disk);
// Sector `sector` of cylinder `cylinder` of the hard disk a drive (or the
// whole disk) is of, as the image holds it; empty past its end.
std::vector<std::uint8_t> HardDiskSector(const Disk& disk, int cylinder, int sector);
// A hard disk read whole (not one of its drives).
bool IsWholeHardDisk(const Disk& disk);

// The image read back as the disk before was: a drive as the same drive.
Disk ReadBack(const Disk& before, const ImageBuffer& image);

}  // namespace trivane::disk
