// Newdos/80 recognition: decodes the PDRIVE entry, the first ten bytes of the
// system sector, into the one-line report.
//
// PDRIVE entry (offsets from the sector's first data byte, unsigned bytes):
//   0  DDSL
//   2  bits 0-1 TSR, bits 2-7 the TI letter codes
//   3  TC
//   4  SPT, which also selects the TD letter
//   5  GPL
//   7  bit 2: TI option "L"
//   9  DDGA
#include "identification/locator.h"
#include "identification/stages.h"

namespace trivane::stages {
namespace {

// The two equality tests come before the bit tests: 20 gives "E", 12 "B".
char FirstTiLetter(int t) {
  if (t == 20) return 'E';
  if (t == 12) return 'B';
  if (t & 4) return 'A';
  if (t & 8) return 'D';
  if (t & 16) return 'C';
  return '?';
}

char SecondTiLetter(int t, int option) {
  if (t & 32) return 'M';
  if (t & 64) return 'K';
  return (option & 4) ? 'L' : ' ';
}

char TdLetter(int spt) {
  switch (spt) {
    case 10:
      return 'A';
    case 20:
      return 'C';
    case 18:
      return 'E';
    default:
      return 'G';
  }
}

std::string PdriveReport(const AnalysisRecord& r, Offset s) {
  const int b2 = r.byte(s + 2);
  const int t = b2 & 252;
  const std::string ti{FirstTiLetter(t), SecondTiLetter(t, r.byte(s + 7))};
  return "Pdrives: TI = " + ti + "  TD = " + TdLetter(r.byte(s + 4)) +
         "  TC =" + NumberText(r.byte(s + 3)) + "   SPT =" + NumberText(r.byte(s + 4)) +
         "  TSR =" + NumberText(b2 & 3) + "  GPL =" + NumberText(r.byte(s + 5)) +
         "  DDSL =" + NumberText(r.byte(s)) + "  DDGA =" + NumberText(r.byte(s + 9));
}

}  // namespace

// On JV3 and DMK images the boot sector must be found too, or identification
// ends silently; its contents are not used.
bool ReportNewdos(AnalysisRecord& r, WindowOps& w) {
  r.newdosflag = 1;
  const Offset system_sector = r.fpa;
  if (r.jv1 != 1) {
    r.TrkToFind = 0;
    r.SideToFind = 0;
    r.SecToFind = r.firstsecnum == 1 ? 1 : 0;
    FindSector(r, w);
    if (r.errflg == 1) return false;
  }
  r.fpa = system_sector;
  r.spg = 5;
  r.pdrive = PdriveReport(r, system_sector);
  return true;
}

}  // namespace trivane::stages
