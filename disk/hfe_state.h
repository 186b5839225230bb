// What a disk read from an HFE file keeps of it (hfe.cpp): each sector's
// data as decoded from its track's cells (cell_tracks.h), and where each
// track's cells lie, so that a file written back keeps the cells of the
// tracks no sector of which was changed (hfe_write.cpp).
#pragma once

#include <vector>

#include "disk/cell_tracks.h"

namespace trivane::disk {

class HfeState : public CellTrackState {
 public:
  struct Track {
    Offset first_block = 0;
    Offset side_bytes = 0;  // of cells, for each side
  };
  int version = 1;
  int bit_rate = 0;
  std::vector<Track> tracks;  // by cylinder
};

// The disk's HFE state; nullptr for a disk not read from an HFE file.
const HfeState* HfeStateOf(const Disk& disk);
// The file offset of byte k of a side's cells, the track starting at the block.
Offset HfeSideOffset(Offset first_block, int side, Offset k);
// The first `count` bytes of a side's cells as the file stores them; empty
// when the file ends before them.
std::vector<std::uint8_t> StoredSide(const ImageBuffer& image, const HfeState::Track& t, int side,
                                     Offset count);

}  // namespace trivane::disk
