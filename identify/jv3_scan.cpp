// The JV3 branch: recognition and the geometry read from the header table.
//
// JV3 layout:
//   0..8702   sector header table, 2901 entries of 3 bytes: track, sector,
//             flags. A track byte of 255 marks a free entry, which ends the
//             table. Flags: bit 7 double density, bit 5 directory data mark,
//             bit 4 side 1.
//   8703      write-protect byte (not read)
//   8704..    sector data, 256 bytes per entry, in table order.
#include <algorithm>

#include "identify/stages.h"

namespace trivane::stages {
namespace {

constexpr int kEntries = 2901;
constexpr int kFree = 255;
constexpr int kDoubleDensity = 128;
constexpr int kSide1 = 16;

}  // namespace

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
  int previous_bit = r.byte(2) & kDoubleDensity;
  int entry_density = 0;
  int last_track = 0;
  int highest_track = -1;
  Offset at = 0;
  for (int n = 0; n < kEntries && at < r.fileend; ++n, at += 3) {
    const int track = r.byte(at);
    if (track == kFree) break;
    const int flags = r.byte(at + 2);
    if (flags & kSide1) {
      r.sides = 2;
    } else {
      ++r.trksecs[track];
    }
    if (track < last_track) r.tracksideflag = 1;
    const int bit = flags & kDoubleDensity;
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
