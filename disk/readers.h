// The reader of each container, each in a file of its own.
#pragma once

#include "disk/disk.h"

namespace trivane::disk {

void ReadJv1(const ImageBuffer& image, Disk& disk);                   // read_disk.cpp
void ReadJv3(const ImageBuffer& image, Disk& disk);                   // read_jv3.cpp
void ReadDmk(const ImageBuffer& image, Disk& disk, bool check_data);  // read_dmk.cpp

// The byte at the offset as a two-digit hex number, for problem texts.
std::string HexByte(int value);

}  // namespace trivane::disk
