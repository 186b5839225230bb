// The sector locator: finds a sector by track, side and recorded sector
// number in a JV3 image (formats/jv3.h), where the first matching entry wins,
// or a DMK image (formats/dmk.h), where the pointer's density bit 15 is masked
// off but bit 14 stays, and the data address mark is looked for about
// damindex bytes after the ID mark.
#include "formats/dmk.h"
#include "formats/jv3.h"
#include "identification/locate.h"

namespace trivane {
namespace {

constexpr int kDataMarkWindow = 6;

bool FindJv3(AnalysisRecord& r) {
  r.Emtype = "JV3";
  r.fpa = 0;
  r.errflg = 0;
  for (int n = 0; n < jv3::kEntries; ++n) {
    r.fpa = jv3::EntryOffset(n);
    if (r.fpa >= r.fileend) {
      r.errflg = 1;
      return true;
    }
    if (r.byte(r.fpa) != r.TrkToFind || r.byte(r.fpa + 1) != r.SecToFind) continue;
    // The directory bit is taken whether or not the side matches.
    const int flags = r.byte(r.fpa + 2);
    r.datamarkjv = flags & jv3::kDirectoryMark;
    if ((flags & jv3::kSide1) == static_cast<Offset>(r.SideToFind) * jv3::kSide1) {
      r.fpa = jv3::DataOffset(n);
      if (r.fpa >= r.fileend) r.errflg = 1;
      return false;
    }
  }
  r.errflg = 1;
  return false;
}

bool IsDataMark(int b) {
  for (int mark : dmk::kDataMarks) {
    if (b == mark) return true;
  }
  return false;
}

void FindDmk(AnalysisRecord& r) {
  // Any side other than 1 selects side 0's block; on a single-sided image
  // side 1 is the next track's block.
  Offset block = dmk::kHeaderBytes + static_cast<Offset>(r.TrkToFind) * r.trklength * r.sides;
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

bool LocateSector(AnalysisRecord& r) {
  r.errflg = 0;
  if (r.dmkflag == 0) return FindJv3(r);
  FindDmk(r);
  return false;
}

}  // namespace trivane
