// Images whose sectors are written as a disk controller writes them, for the
// sector reader's tests: DMK tracks with sync bytes, gaps and CRCs, single
// density doubled or not, mixed densities, damaged fields; JV3 images with
// every size, free entries and a second header block.
#pragma once

#include <vector>

#include "builder/image_builder.h"

namespace trivane::build {

// One sector of a DMK track.
struct DmkField {
  int cylinder = 0, head = 0, sector = 0;
  int size_code = 1;  // 128 << size_code bytes
  bool double_density = true;
  std::uint8_t dam = 0xFB;  // 0: an ID field without data
  bool bad_id_crc = false;
  bool bad_data_crc = false;
  Offset at = 0;  // the ID mark's offset in the block; 0: after the previous field
  std::vector<std::uint8_t> data = {};  // the sector's bytes; empty: FieldByte's
};

// The data a built sector holds: byte k of sector s of cylinder c.
std::uint8_t FieldByte(int cylinder, int sector, int k);
std::vector<std::uint8_t> FieldData(const DmkField& field);

// A DMK image of `length`-byte tracks, cylinders × heads blocks, each block
// holding the fields track(c, h) gives. Single-density bytes are stored twice
// unless options say single bytes (0x40).
template <typename Track>
Bytes DmkWithFields(int length, int cylinders, int heads, int options, Track track);

// Writes one block's fields; the image's header and block size are the caller's.
void PutDmkBlock(Bytes& image, Offset block, int length, bool doubling,
                 const std::vector<DmkField>& fields);
Bytes DmkHeader(int length, int cylinders, int heads, int options);

template <typename Track>
Bytes DmkWithFields(int length, int cylinders, int heads, int options, Track track) {
  Bytes image = DmkHeader(length, cylinders, heads, options);
  const bool doubling = (options & (dmk::kOptionSingleDensity | dmk::kOptionIgnoreDensity)) == 0;
  for (int c = 0; c < cylinders; ++c) {
    for (int h = 0; h < heads; ++h) {
      const Offset block = static_cast<Offset>(image.size());
      image.resize(block + length, 0);
      PutDmkBlock(image, block, length, doubling, track(c, h));
    }
  }
  return image;
}

// JV3 entries with any flags; entries past the 2901st go into a second header
// block after the data of all of the first's, free entries' blocks included.
// Data byte k of entry n is FieldByte(cylinder, sector, k).
Bytes Jv3Blocks(const std::vector<Jv3Entry>& entries);

}  // namespace trivane::build
