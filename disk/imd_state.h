// What a disk read from an IMD file keeps of it (imd.cpp): which sectors
// the file holds as one byte that fills them, each track's mode and the
// header, so that the file is written back as it was (imd_write.cpp).
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "disk/disk.h"

namespace trivane::disk {

class ImdState : public ContainerState {
 public:
  std::vector<Offset> filled;                // data offsets of those sectors, ascending
  std::map<std::pair<int, int>, int> modes;  // by cylinder and head
  std::vector<std::uint8_t> header;          // up to and with its 1A

  std::vector<std::uint8_t> Data(const Disk& disk, const Sector& s) const override;
  Check DataCrc(const Disk& disk, const Sector& s) const override;
};

// The disk's IMD state; nullptr for a disk not read from an IMD file.
const ImdState* ImdStateOf(const Disk& disk);

}  // namespace trivane::disk
