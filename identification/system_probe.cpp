// The closing stage: the density, sides and type texts of scanned images, the
// probe for the Newdos/80 signature (byte 165 at offset 239 of the system
// sector), and the hand-over to the summary.
//
// The system sector is track 0, sector 2 (at file offset 512 on JV1 images);
// JV3 and DMK images are probed at track 0 side 0 and then track 1 side 0,
// sector 3 instead of 2 when the disk numbers its sectors from 1.
#include "formats/newdos80.h"
#include "identification/locator.h"
#include "identification/stages.h"

namespace trivane::stages {
namespace {

bool HasSignature(AnalysisRecord& r) {
  r.curbyte = r.byte(r.fpa + newdos80::kSignatureAt);
  r.newdosflag = 0;
  return r.curbyte == newdos80::kSignature;
}

// Asks the locator for the system sector on the track; false when not found.
bool FindSystemSector(AnalysisRecord& r, WindowOps& w, int track) {
  r.TrkToFind = track;
  r.SecToFind = r.firstsecnum == 1 ? 3 : 2;
  r.SideToFind = 0;
  FindSector(r, w);
  return r.errflg != 1;
}

void StoreSummaryTexts(AnalysisRecord& r, WindowOps& w) {
  r.PresSecnum = 0;
  r.dd = "   S/Density";
  if (r.dens == 3) {
    r.dd = "   Dual/Density";
    w.SetPrintPosition(2700, 1300);
    w.SetText(Field::Text6, "");
    w.SetText(Field::Text6, "    This Disk has Dual Density");
  }
  if (r.dens == 2) r.dd = "   D/Density";
  r.sda = r.sides == 2 ? "  D/Sided" : "  S/Sided";
  r.Emtype = r.dmkflag == 1 ? "DMK" : "JV3";
  r.spt = r.TrackSectors(0);
}

}  // namespace

Probe ProbeJv1(AnalysisRecord& r) {
  return HasSignature(r) ? Probe::kSignature : Probe::kNoSignature;
}

Probe ProbeScanned(AnalysisRecord& r, WindowOps& w) {
  StoreSummaryTexts(r, w);
  for (int track : {0, 1}) {
    if (!FindSystemSector(r, w, track)) return Probe::kNotFound;
    if (HasSignature(r)) return Probe::kSignature;
  }
  return Probe::kNoSignature;
}

void HandOver(AnalysisRecord& r, WindowOps& w) {
  r.spgaa = "   Spg =" + NumberText(r.spg);
  GetDispSector(r, w);
}

}  // namespace trivane::stages
