// A Reed hard-disk image (the FreHD interface's and the emulators'):
//
//   0-1   56 CB
//   2     version (10)
//   3     a check byte
//   7     bit 7: write-protected
//   10    the program that made the image
//   11    the system on it: 0 LS-DOS, 1 LDOS, 2 CP/M, 3 NEWDOS/80
//   12-14 the date made: month, day, year - 1900
//   28    cylinders
//   29    sectors a cylinder (0: 256)
//   30    granules a cylinder
//   31    the directory's cylinder
//   32-63 the disk's name, padded with 00
// Then 256-byte sectors from offset 256, cylinder after cylinder, each
// cylinder's sectors (every head's) numbered 0 up. A logical drive is a
// slice of 32 sectors (one head's track) of every cylinder.
#pragma once

namespace trivane::reed {

inline constexpr int kHeaderBytes = 256;
inline constexpr int kSectorBytes = 256;
inline constexpr int kMagic0 = 0x56, kMagic1 = 0xCB;
inline constexpr int kVersion = 2, kCheck = 3, kFlags = 7, kMadeBy = 10, kSystem = 11;
inline constexpr int kDate = 12, kCylinders = 28, kSectorsPerCylinder = 29;
inline constexpr int kGranulesPerCylinder = 30, kDirectoryCylinder = 31;
inline constexpr int kName = 32, kNameBytes = 32;
inline constexpr int kWriteProtected = 0x80;
inline constexpr int kSliceSectors = 32;
// The largest image: a hard-disk controller addresses 1,024 cylinders
// (ten bits), of at most 256 sectors; a real NEWDOS/80 image holds them all,
// its drives reaching past the 255 the header's cylinder byte names.
inline constexpr int kMostFileCylinders = 1024;
inline constexpr long long kMostFileBytes =
    kHeaderBytes + 1LL * kMostFileCylinders * 256 * kSectorBytes;

enum System { kLsdos = 0, kLdos = 1, kCpm = 2, kNewdos = 3 };

}  // namespace trivane::reed
