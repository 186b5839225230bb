// The JV3 branch (layout in formats/jv3.h): recognition and the geometry read
// from the header table, whose first free entry ends it.
#include <algorithm>

#include "formats/jv3.h"
#include "identification/stages.h"

namespace trivane::stages {

// The first four entries name the same track. A file too short to hold them
// has no header.
bool IsJv3(const AnalysisRecord& r) {
  const int first = r.byte(0);
  return r.fileend >= 10 && r.byte(3) == first && r.byte(6) == first && r.byte(9) == first;
}

// One walk over the used entries: it stops at the first free entry, at the
// first entry at or past the end of the file, or after the 2901st.
void ScanJv3(AnalysisRecord& r) {
  r.sides = 1;
  r.dens = 0;
  r.tracksideflag = 0;
  int previous_bit = r.byte(2) & jv3::kDoubleDensity;
  int entry_density = 0;
  int last_track = 0;
  int highest_track = -1;
  Offset at = 0;
  for (int n = 0; n < jv3::kEntries && at < r.fileend; ++n, at += jv3::kEntryBytes) {
    const int track = r.byte(at);
    if (track == jv3::kFreeTrack) break;
    const int flags = r.byte(at + 2);
    if (flags & jv3::kSide1) {
      r.sides = 2;
    } else {
      ++r.trksecs[track];
    }
    if (track < last_track) r.tracksideflag = 1;
    const int bit = flags & jv3::kDoubleDensity;
    entry_density = bit ? 2 : 1;
    if (bit != previous_bit) r.dens = 3;
    previous_bit = bit;
    last_track = track;
    highest_track = std::max(highest_track, track);
  }
  if (r.dens != 3) r.dens = entry_density;
  r.tracks = highest_track < 0 ? 2 : highest_track + 1;
  r.spt = r.trksecs[0];
  r.spg = r.spt == 18 ? 6 : 5;
  r.fpa = at;
}

}  // namespace trivane::stages
