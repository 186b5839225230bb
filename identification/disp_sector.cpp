// The geometry summary: writes the result fields with their colours, turns the
// present sector PresSecnum (a 0-based index over the whole image, side 0's
// sectors of a track before side 1's) into track, side and sector, looks it up
// and prints its classification line.
#include "formats/jv1.h"
#include "identification/locator.h"

namespace trivane {
namespace {

// Black when the text, its leading blanks removed, begins with "S"; red
// otherwise, an empty or blank text included.
void ShowColouredText(WindowOps& w, Field field, const std::string& text) {
  w.SetForeColor(field, colour::kRed);
  const auto first = text.find_first_not_of(' ');
  if (first != std::string::npos && text[first] == 'S') w.SetForeColor(field, colour::kBlack);
  w.SetText(field, text);
}

void ShowGeometry(AnalysisRecord& r, WindowOps& w) {
  if (r.jv1 != 1) r.spt = r.TrackSectors(0);
  r.sptab = "  Sec/Cyl. =" + NumberText(r.spt * r.sides) + " (" + NumberText(r.spt) + " *" +
            NumberText(r.sides) + ")";
  w.SetText(Field::Text1, NumberText(r.tracks) + " Track");
  ShowColouredText(w, Field::Text2, r.dd);
  ShowColouredText(w, Field::Text3, r.sda);
  w.SetText(Field::Text4, r.sptab);
  w.SetText(Field::Text5, "");
  if (r.newdosflag == 1) w.SetText(Field::Text5, r.spgaa);
}

void ShowNewdosLabels(const AnalysisRecord& r, WindowOps& w) {
  w.SetText(Field::Text7, "");
  if (r.newdosflag != 1) return;
  w.SetForeColor(Field::Text7, colour::kRed);
  w.SetText(Field::Text7, "  Newdos/80");
  w.SetText(Field::Text17, "");
  w.SetForeColor(Field::Text17, colour::kBlue);
  w.SetText(Field::Text17, r.pdrive);
}

// Walks the tracks, each counting its side-0 sectors once per side (once in
// all when the JV3 table lists one side after the other). A present sector
// past the last track keeps TrkToFind and is counted from the end.
void PlaceScannedSector(AnalysisRecord& r) {
  Offset before = 0;
  Offset through = 0;
  int t = 0;
  for (; t < r.tracks; ++t) {
    const int multiplier = r.tracksideflag == 1 ? 1 : r.sides;
    through += static_cast<Offset>(multiplier) * r.TrackSectors(t);
    if (r.PresSecnum >= before && r.PresSecnum <= through - 1) {
      r.TrkToFind = t;
      break;
    }
    before = through;
  }
  r.SecToFind = static_cast<int>(r.PresSecnum - before);
  r.SideToFind = 0;
  if (r.SecToFind >= r.TrackSectors(t)) {
    r.SideToFind = 1;
    r.SecToFind -= r.TrackSectors(t);
  }
}

void PlaceJv1Sector(AnalysisRecord& r) {
  r.TrkToFind = static_cast<int>(r.PresSecnum / jv1::kSectorsPerTrack);
  r.SecToFind = static_cast<int>(r.PresSecnum - jv1::kSectorsPerTrack * Offset{r.TrkToFind});
  r.SideToFind = 0;
}

void ShowType(const AnalysisRecord& r, WindowOps& w) {
  w.SetText(Field::Text12, r.Emtype);
  if (r.Emtype == "DMK") w.SetBackColor(Field::Text12, 0xC0C0FF);
  if (r.Emtype == "JV3") w.SetBackColor(Field::Text12, 0x00FF00);
  if (r.Emtype == "JV1") w.SetBackColor(Field::Text12, 0x80C0FF);
}

// "Data Sec." or "Dir Sec." on disks numbered from 1, where the directory
// takes the 18 sectors from the start of track 17; empty otherwise.
std::string SectorLabel(AnalysisRecord& r, WindowOps& w) {
  w.SetText(Field::Text18, "");
  if (r.firstsecnum != 1) return "";
  w.SetText(Field::Text18, "This files Track Sectors start at 1");
  r.dirstartsec = static_cast<Offset>(r.spt) * kDirectoryCylinder;
  if (r.dirstartsec <= r.PresSecnum && r.PresSecnum <= r.dirstartsec + 17) return "Dir Sec.";
  return "Data Sec.";
}

}  // namespace

void GetDispSector(AnalysisRecord& r, WindowOps& w) {
  w.Yield();
  w.FilledBox(1200, 500, 8800, 680, colour::kButtonFace);
  ShowGeometry(r, w);
  if (r.jv1 == 1) {
    PlaceJv1Sector(r);
  } else {
    ShowNewdosLabels(r, w);
    PlaceScannedSector(r);
  }
  if (r.firstsecnum == 1) ++r.SecToFind;
  ShowType(r, w);
  r.datamarkjv = 0;
  if (r.jv1 == 1 && r.PresSecnum >= 170 && r.PresSecnum < 180) r.datamarkjv = 32;
  if (r.jv1 != 1) FindSector(r, w);

  const std::string label = SectorLabel(r, w);
  w.SetDrawColor(label == "Dir Sec." ? colour::kRed : colour::kBlack);
  w.SetPrintPosition(730, 1600);
  w.PrintLine(label + " Dam = ");
}

}  // namespace trivane
