// Disks whose tracks are flux (a KryoFlux dump's, an SCP file's): each
// track's flux read to cells (flux/flux.h), the fields found on every
// revolution, and a sector of the track made of each field the revolutions
// share: good when it reads good on any revolution (its data that
// revolution's), a finding when the revolutions read good disagree or
// none reads it good.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "disk/cell_tracks.h"
#include "flux/flux.h"

namespace trivane::disk {

class FluxState : public CellTrackState {
 public:
  // For each sector of the disk as read, in its order: of how many
  // revolutions, and the ones (from 1) on which it read good.
  struct Revolutions {
    int of = 0;
    std::vector<int> good;
  };
  std::vector<Revolutions> revolutions;
  // Each track's intervals counted in bins of kBinNs up to kMostNs, one
  // count a bin for each revolution: what a flux track view draws.
  static constexpr double kBinNs = 50, kMostNs = 10000;
  std::map<std::pair<int, int>, std::vector<std::vector<int>>> histograms;
};

// The disk's flux state; nullptr for a disk not read from flux.
const FluxState* FluxStateOf(const Disk& disk);

// Adds the sectors on the track's flux to the disk in the order the head
// meets them; offset_of names a file offset for a cell of a revolution.
void AddFluxTrack(const flux::FluxTrack& track, int cylinder, int side, const CellOffset& offset_of,
                  FluxState& state, Disk& disk);

}  // namespace trivane::disk
