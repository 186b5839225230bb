// The reader of each container, each in a file of its own.
#pragma once

#include "disk/disk.h"

namespace trivane::disk {

void ReadJv1(const ImageBuffer& image, Disk& disk);  // read_disk.cpp
void ReadJv3(const ImageBuffer& image, Disk& disk);  // read_jv3.cpp
// DMK: the logical byte k of the sector's data field, counted from its first
// data byte (-1 is its mark), stepping over doubled bytes, round the block.
std::uint8_t DataFieldByte(const Disk& disk, const Sector& sector, Offset k);
// DMK: the stored bytes of logical bytes k..k+count of the sector's data
// field, one logical byte every step of 2 when doubled, from the blocks as
// read; nullptr when they run round the block's end.
const std::uint8_t* DataFieldRun(const Disk& disk, const Sector& sector, Offset k, Offset count);

void ReadDmk(const ImageBuffer& image, Disk& disk, bool check_data);  // read_dmk.cpp

}  // namespace trivane::disk
