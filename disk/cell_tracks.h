// Disks whose tracks are cells (an HFE file's, a flux dump's once its flux
// is read to cells): a container delivers each track's cells, and this unit
// finds the fields on them as a controller does (cells/cells.h: MFM, and FM
// at twice its rate) and lays them out as the disk's sectors, keeping each
// sector's data as decoded, since it is no plain run of the file's bytes.
#pragma once

#include <functional>
#include <map>
#include <tuple>
#include <vector>

#include "cells/cells.h"
#include "disk/disk.h"

namespace trivane::disk {

class CellTrackState : public ContainerState {
 public:
  // Each sector's data as decoded and its CRC state, by its track and its
  // data_offset (tracks of a damaged file may share their bytes).
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

// Where in the file the cell lies (its data_offset for a sector whose data
// begins there).
using CellOffset = std::function<Offset(std::size_t cell)>;

// Adds the field to the disk as a sector of the track, its data (where it
// has any) at the offset and kept in the state.
void AddField(cells::Field&& field, int cylinder, int side, Offset data_offset,
              CellTrackState& state, Disk& disk);

// Adds the sectors on the track's cells to the disk, in the order the head
// meets them, their data kept in the state.
void AddCellTrack(const cells::Cells& cells, int cylinder, int side, const CellOffset& offset_of,
                  CellTrackState& state, Disk& disk);

}  // namespace trivane::disk
