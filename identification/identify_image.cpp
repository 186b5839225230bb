// The identification driver and the JV1 branch (layout in formats/jv1.h).
#include "identification/identify_image.h"

#include "formats/jv1.h"
#include "identification/locator.h"
#include "identification/stages.h"

namespace trivane {
namespace {

// Clears the window and the part of the record that every image sets anew.
void Reset(AnalysisRecord& r, WindowOps& w) {
  r.fileend = r.filebuf.size();
  r.fpa = 0;
  ClearResult(w);
  r.trksecs.assign(kMinTrackTable, 0);
  r.firstsecnum = 0;
  r.datamarkDmk = 0;
  r.datamarkjv = 0;
  r.dmkflag = 0;
  r.jv1 = 1;
}

// All three signature bytes are tested; a file too short to hold them is not JV1.
bool IsJv1(AnalysisRecord& r) {
  if (r.byte(0) != jv1::kBootByte0) r.jv1 = 0;
  if (r.byte(1) != jv1::kBootByte1) r.jv1 = 0;
  if (r.byte(2) != jv1::kBootDirectoryTrack) r.jv1 = 0;
  if (r.fileend < 3) r.jv1 = 0;
  return r.jv1 == 1;
}

void StoreJv1Geometry(AnalysisRecord& r) {
  r.dens = 1;
  r.dmkflag = 0;
  r.sides = 1;
  r.spt = jv1::kSectorsPerTrack;
  r.sda = "  S/Sided";
  r.dd = "   S/Density";
  r.PresSecnum = 0;
  r.Emtype = "JV1";
  r.tracks = static_cast<int>((r.fileend + jv1::kTrackBytes - 1) / jv1::kTrackBytes);
  r.fpa = jv1::kSystemSector;
}

}  // namespace

void ClearResult(WindowOps& w) {
  w.Cls();
  for (Field f : {Field::Text7, Field::Text17, Field::Text6, Field::Text1, Field::Text2,
                  Field::Text3, Field::Text4, Field::Text5, Field::Text18, Field::Text12}) {
    w.SetText(f, "");
  }
  w.SetBackColor(Field::Text12, colour::kFieldBack);
}

void IdentifyImage(AnalysisRecord& r, WindowOps& w) {
  using stages::Probe;
  Reset(r, w);

  // The branch: the container and its geometry, or a refusal.
  if (IsJv1(r)) {
    StoreJv1Geometry(r);
  } else if (stages::RecogniseDmk(r)) {
    if (stages::IsRealDisk(r)) {
      stages::RefuseRealDisk(w);
      return;
    }
    if (!stages::ScanDmk(r, w)) return;
  } else if (stages::IsJv3(r)) {
    stages::ScanJv3(r);
  } else {
    stages::RefuseNoHeader(w);
    return;
  }

  // The closing stage: the Newdos/80 probe.
  const bool jv1 = r.jv1 == 1;
  const Probe probe = jv1 ? stages::ProbeJv1(r) : stages::ProbeScanned(r, w);
  if (probe == Probe::kNotFound) return;

  // The Newdos/80 stage, then the hand-over to the summary. A JV1 image
  // without the signature goes to the summary directly.
  if (probe == Probe::kSignature) {
    if (!stages::ReportNewdos(r, w)) return;
  } else if (jv1) {
    GetDispSector(r, w);
    return;
  }
  stages::HandOver(r, w);
}

}  // namespace trivane
