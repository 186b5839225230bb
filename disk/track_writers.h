// The lowest writers of each container: a JV3 file from its entries and a
// DMK track block from its fields, as the disk writers and the image
// builder both compose them.
#pragma once

#include <cstdint>
#include <vector>

#include "cells/cells.h"
#include "disk/disk.h"
#include "disk/losses.h"
#include "formats/image_buffer.h"

namespace trivane::disk {

// JV3: one entry and its data block. A free entry (cylinder FF) owns a block
// of its free size too.
struct Jv3Record {
  int cylinder = 0, sector = 0, flags = 0;
  std::vector<std::uint8_t> data;
};
// The header block, its entries' data blocks in order, and a second header
// block after the first's 2901 entries' data when there are more; the
// first's write-protect byte as given, the second's FF.
std::vector<std::uint8_t> WriteJv3Records(const std::vector<Jv3Record>& records,
                                          bool write_protected);
// The flags of a used entry that hold the size code of `size` bytes.
int Jv3SizeFlags(int size);

// DMK: one sector of a track.
struct TrackField {
  int cylinder = 0, head = 0, sector = 0;
  int size_code = 1;
  bool double_density = true;
  std::uint8_t dam = 0xFB;  // 0: an ID field without data
  bool bad_id_crc = false, bad_data_crc = false;
  Offset at = 0;  // the ID sync's stored offset in the block; 0: after the previous field
  std::vector<std::uint8_t> data;
};

// The bytes a track's fields are written with, in logical bytes (doubled
// where single density is stored twice) except `start`.
struct TrackLayout {
  Offset start = 32;  // stored bytes after the pointer table before the first field
  int gap1 = 0x00;    // the byte those are
  int gap4 = -1;      // the byte after the last field: -1 the last field's gap byte
  int dd_gap = 0x4E, sd_gap = 0xFF;
  bool sync = true;  // 00s (and A1s in double density) before each mark
  int dd_gap2 = 22, sd_gap2 = 11;
  int dd_gap3 = 24, sd_gap3 = 12;
  // After an ID field without data, gap bytes as long as its data field.
  bool gap_for_missing_data = false;
};
// The layout of a controller's Write Track as the imaging tools write it:
// gap 1 of 32 (16 single-density) bytes, 00 and A1 sync, gap 2 of 22 (11),
// gap 3 of 24 (12), each in its density's gap byte; an ID field without
// data followed by gap bytes in its data field's place.
TrackLayout ControllerLayout();
// The stored bytes the fields take with the layout, gap 1 included.
Offset TrackBytes(const std::vector<TrackField>& fields, bool doubling, const TrackLayout& layout);

// Writes the fields into the block of `length` bytes at `block` (the
// pointer table first), round the block's end as a track is a circle; a
// field's data must be of its size code's length.
void WriteDmkTrack(std::uint8_t* block, Offset length, bool doubling,
                   const std::vector<TrackField>& fields, const TrackLayout& layout);
// The same fields on a track's cells, each byte once in its field's
// encoding (FM for single density, MFM for double), gap 1 of `start` bytes
// (half as many in FM) first; gap 4 after the last until `until` cells.
// fm_twice: FM at twice its rate, on cells at the MFM rate.
cells::Cells TrackCells(const std::vector<TrackField>& fields, const TrackLayout& layout,
                        std::size_t until = 0, bool fm_twice = false);
// A sector of the disk as a field to write.
TrackField FieldOf(const Disk& disk, const Sector& sector);
// Every sector of a track of the disk, in the disk's order, on cells as a
// controller's Write Track lays them out.
cells::Cells TrackCellsOf(const Disk& disk, int cylinder, int head, std::size_t until = 0,
                          bool fm_twice = false);
// The track's fields on cells of `until` cells (FM at twice its rate) as a
// controller's Write Track lays them out, with the gaps closed up where
// they do not fit, the last ones dropped as losses while the revolution
// cannot hold them.
cells::Cells FittedCells(std::vector<TrackField> fields, std::size_t until, int cylinder, int side,
                         Losses& losses);
std::vector<std::uint8_t> DmkHeader(int length, int cylinders, int heads, int options,
                                    bool write_protected = false);

}  // namespace trivane::disk
