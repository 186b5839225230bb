// CP/M disks built in memory as the CP/M document lays them out: every
// sector E5, the files' entries in the directory's first slots (one for
// each EXM + 1 logical extents of 16 KiB), their records in blocks from the
// first after the directory, the last record padded with ^Z.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "builder/image_builder.h"
#include "disk/disk.h"

namespace trivane::build {

struct CpmSpec {
  int cylinders = 40, heads = 1, spt = 18, size = 256, first_id = 1;
  int off = 2, bls = 2048, entries = 128, skew = 1;
  bool double_density = true;
  bool side0_first = false;  // two heads: side 0's cylinders first, then side 1's
};

struct CpmFile {
  int user = 0;
  std::string name, type;
  Bytes bytes;
};

// The disk; edit, when given, changes the directory's bytes before they are
// laid out (for damaged disks).
disk::Disk CpmDisk(const CpmSpec& spec, const std::vector<CpmFile>& files,
                   const std::function<void(Bytes& directory)>& edit = {});

}  // namespace trivane::build
