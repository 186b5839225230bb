// KryoFlux dumps: a folder of stream files, trackNN.S.raw (NN the
// cylinder, S the head), one a track, read into one disk whose image is
// the files one after another in the order of their tracks.
#pragma once

#include <cstdint>
#include <vector>

#include "disk/disk.h"

namespace trivane::disk {

struct StreamFile {
  int cylinder = 0, head = 0;
  std::vector<std::uint8_t> bytes;
};
// The tracks need not be in order, nor each be there.
Disk ReadKryoFluxDump(std::vector<StreamFile> files);

}  // namespace trivane::disk
