// What a disk read from an HFE file keeps of it (hfe.cpp): each sector's
// data as decoded from its track's cells, and where each track's cells lie,
// so that a file written back keeps the cells of the tracks no sector of
// which was changed (hfe_write.cpp).
#pragma once

#include <map>
#include <tuple>
#include <vector>

#include "disk/disk.h"

namespace trivane::disk {

class HfeState : public ContainerState {
 public:
  struct Track {
    Offset first_block = 0;
    Offset side_bytes = 0;  // of cells, for each side
  };
  int version = 1;
  int bit_rate = 0;
  std::vector<Track> tracks;  // by cylinder
  // Each sector's data as decoded and its CRC state, by its track and its
  // data_offset (tracks of a damaged file may share blocks).
  struct Decoded {
    std::vector<std::uint8_t> bytes;
    Check crc = Check::kGood;
  };
  using Key = std::tuple<int, int, Offset>;
  static Key KeyOf(const Sector& s) { return {s.cylinder, s.head, s.data_offset}; }
  std::map<Key, Decoded> data;
  // The sector's data is as decoded: nothing put into it, or the same
  // bytes with the same CRC state.
  bool AsRead(const Disk& disk, const Sector& s) const;

  std::vector<std::uint8_t> Data(const Disk& disk, const Sector& s) const override;
  Check DataCrc(const Disk& disk, const Sector& s) const override;
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
