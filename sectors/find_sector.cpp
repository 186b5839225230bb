// The sector locator: finds a sector by track, side and recorded sector
// number in a JV3 or DMK image.
//
// JV3: a table of 2901 three-byte entries (track, sector, flags; flag bit 4
// side 1, bit 5 directory data mark) at offsets 0 to 8702; the data of entry n
// lies at 8704 + 256 * n. The first matching entry wins.
//
// DMK: a 16-byte header, then one block of trklength bytes per track and side
// (track 0 side 0, track 0 side 1, track 1 side 0, ...). A block starts with
// little-endian pointers to its ID address marks, counted from the block's
// start; bit 15 is the density flag and is masked off, bit 14 stays. The ID
// field holds track (+1), side (+2) and sector number (+3); the data address
// mark (251, 250 or 248) follows about damindex bytes after the ID mark.
#include "sectors/sectors.h"

namespace trivane {
namespace {

constexpr int kJv3Entries = 2901;
constexpr Offset kJv3Data = 8704;
constexpr Offset kDmkFirstBlock = 16;
constexpr int kDataMarkWindow = 6;

void FindJv3(AnalysisRecord& r, WindowOps& w) {
  r.Emtype = "JV3";
  r.fpa = 0;
  r.errflg = 0;
  for (int n = 0; n < kJv3Entries; ++n) {
    r.fpa = 3 * static_cast<Offset>(n);
    if (r.fpa >= r.fileend) {
      r.errflg = 1;
      w.MessageBox("** ERROR **  Not found, or File format faulty", "Error");
      return;
    }
    if (r.byte(r.fpa) != r.TrkToFind || r.byte(r.fpa + 1) != r.SecToFind) continue;
    // The directory bit is taken whether or not the side matches.
    const int flags = r.byte(r.fpa + 2);
    r.datamarkjv = flags & 32;
    if ((flags & 16) == static_cast<Offset>(r.SideToFind) * 16) {
      r.fpa = kJv3Data + 256 * static_cast<Offset>(n);
      if (r.fpa >= r.fileend) r.errflg = 1;
      return;
    }
  }
  r.errflg = 1;
}

bool IsDataMark(int b) {
  return b == 251 || b == 250 || b == 248;
}

void FindDmk(AnalysisRecord& r) {
  // Any side other than 1 selects side 0's block; on a single-sided image
  // side 1 is the next track's block.
  Offset block = kDmkFirstBlock + static_cast<Offset>(r.TrkToFind) * r.trklength * r.sides;
  if (r.SideToFind == 1) block += r.trklength;

  r.spt = r.ReadPointerTable(block);

  Offset mark = -1;
  for (int i = 0; i < r.spt && mark < 0; ++i) {
    if (r.byte(block + r.idamptr[i] + 3) == r.SecToFind) mark = block + r.idamptr[i];
  }
  if (mark < 0) {
    r.errflg = 1;
    return;
  }

  // Six positions are tested; past them the next byte is taken as the mark.
  r.fpa = mark + r.damindex - 3;
  for (int k = 0; k < kDataMarkWindow && !IsDataMark(r.byte(r.fpa)); ++k) ++r.fpa;
  r.datamarkDmk = r.byte(r.fpa);
  ++r.fpa;
}

}  // namespace

void FindSector(AnalysisRecord& r, WindowOps& w) {
  r.errflg = 0;
  if (r.dmkflag != 0) {
    FindDmk(r);
  } else {
    FindJv3(r, w);
  }
}

}  // namespace trivane
