// MS-DOS (FAT12) disks for the tests and the fuzz seeds, in the layout of a
// 360K disk (2 heads, 9 x 512 a track; 2 sectors a cluster, 2 FATs of 2
// sectors, 112 root entries, data from sector 12) over as many cylinders as
// asked: HELLO.TXT (cluster 7), BIG.BIN in clusters 2 to 4, the directory
// SUB (cluster 5) holding INNER.DAT (6).
#pragma once

#include <cstdint>

#include "builder/image_builder.h"
#include "disk/disk.h"

namespace trivane::build {

struct FatImage {
  explicit FatImage(int cylinders);
  std::uint8_t* At(int n) { return sectors.data() + n * 512; }
  // Cluster's FAT entry, in both FATs.
  void Link(int cluster, int next);
  // A directory entry: its 11 name bytes, attributes, first cluster, size.
  void Put(std::uint8_t* dir, int slot, const char* name11, int attr, int cluster, int size);
  disk::Disk Disk() const;

  int cylinders;
  Bytes sectors;
};

}  // namespace trivane::build
