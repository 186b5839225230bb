// What a disk read from a DMK file keeps of it (dmk.cpp): where its track
// blocks lie, their bytes as read and the header's options, so that a
// sector's data (each single-density byte twice where the file doubles them,
// a field round its block's end) and its late-checked CRC come from the
// blocks, and the file can be written back as it was (dmk_write.cpp).
#pragma once

#include <memory>
#include <vector>

#include "disk/disk.h"

namespace trivane::disk {

class DmkState : public ContainerState {
 public:
  Offset block_start = 0;  // the first block's offset in the file
  Offset block_length = 0;
  int options = 0;  // the header's options byte
  std::shared_ptr<const std::vector<std::uint8_t>> blocks;

  bool Doubling() const;
  bool Doubled(const Sector& s) const { return Doubling() && s.density == Density::kSingle; }
  // The index of the block the sector's data lies in (it has data).
  Offset BlockOf(const Sector& s) const { return (s.data_offset - block_start) / block_length; }
  // The logical byte k of the sector's data field, counted from its first
  // data byte (-1 is its mark), stepping over doubled bytes, round the block.
  std::uint8_t FieldByte(const Disk& disk, const Sector& s, Offset k) const;
  // The stored bytes of logical bytes k..k+count of the data field, one
  // logical byte every step of 2 when doubled; nullptr when they run round
  // the block's end.
  const std::uint8_t* FieldRun(const Sector& s, Offset k, Offset count) const;

  std::vector<std::uint8_t> Data(const Disk& disk, const Sector& s) const override;
  Check DataCrc(const Disk& disk, const Sector& s) const override;
};

// The disk's DMK state; nullptr for a disk not read from a DMK file.
const DmkState* DmkStateOf(const Disk& disk);
// Where in a block of the length the offset lies, read round its end.
Offset WrapInBlock(Offset at, Offset length);

}  // namespace trivane::disk
