// The flux track view of a disk read from flux, the same in every front end:
// for a track and one of its revolutions, the histogram of its flux
// intervals (the 2-, 3- and 4-cell peaks of MFM, FM's 2 and 4), a bar a bin
// of the flux state's width, the axis marked each microsecond, and a
// caption naming the peaks. The sector picture's mark for a sector read
// good on only some revolutions is here too. Positions are pixels from the
// view's top-left corner.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "disk/flux_tracks.h"
#include "present/sector_picture.h"

namespace trivane::present {

// The sector (its index in the disk's sectors) is of a flux dump and read
// good on some of its revolutions only; then "good on revolutions 2, 3 of
// 3", else empty, for its tip.
bool GoodOnSomeRevolutions(const disk::Disk& disk, int index);
std::string RevolutionsNote(const disk::Disk& disk, int index);
// The mark drawn in such a sector's cell: its middle third.
Box RevolutionsMark(const Box& cell);
// The legend's line for the mark, "good on some revolutions 3", on a disk
// read from flux; empty on any other.
std::string RevolutionsLegend(const disk::Disk& disk);
inline constexpr Rgb kRevolutionsMarkColour = {0x10, 0x10, 0x10};

class FluxView {
 public:
  explicit FluxView(const disk::Disk& disk);
  bool empty() const { return tracks_.empty(); }
  // The tracks, "cylinder 3 head 0" each, in order.
  std::vector<std::string> TrackNames() const;
  // A track's revolutions, "revolution 1 of 3" each.
  std::vector<std::string> RevolutionNames(int track) const;
  // "cylinder 3 head 0, revolution 1 of 3:
  // 41233 intervals; peaks at 4.0, 6.0 and 8.0 µs".
  std::string Caption(int track, int revolution) const;
  // The peaks, in microseconds: bins that hold the most within half a
  // microsecond either side and at least a fiftieth of the highest.
  std::vector<double> Peaks(int track, int revolution) const;
  // Each bin's bar fitted into the space, and the axis's marks with their
  // labels ("2 µs"), below the bars.
  std::vector<Box> Bars(int track, int revolution, int width, int height) const;
  std::vector<std::pair<Box, std::string>> Axis(int width, int height) const;
  static constexpr int kAxisHeight = 18;

 private:
  const std::vector<int>* Bins(int track, int revolution) const;
  std::vector<std::pair<std::pair<int, int>, const std::vector<std::vector<int>>*>> tracks_;
};

}  // namespace trivane::present
