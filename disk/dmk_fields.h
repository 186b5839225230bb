// DMK sectors' data fields in the track blocks as read (dmk.cpp), for the
// data of a sector and its late-checked CRC.
#pragma once

#include "disk/disk.h"

namespace trivane::disk {

// The logical byte k of the sector's data field, counted from its first
// data byte (-1 is its mark), stepping over doubled bytes, round the block.
std::uint8_t DataFieldByte(const Disk& disk, const Sector& sector, Offset k);
// The stored bytes of logical bytes k..k+count of the sector's data field,
// one logical byte every step of 2 when doubled, from the blocks as read;
// nullptr when they run round the block's end.
const std::uint8_t* DataFieldRun(const Disk& disk, const Sector& sector, Offset k, Offset count);
// Where in a block of the length the offset lies, read round its end.
Offset WrapInBlock(Offset at, Offset length);

}  // namespace trivane::disk
