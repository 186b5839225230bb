// One interface for each container (JV1, JV3, DMK): how sure its recogniser
// is that the bytes are one, its reader into the disk model, and its writer
// from it. The layout facts each uses are in formats/.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "disk/disk.h"

namespace trivane::disk {

struct WriteOptions {
  bool single_density_twice = true;  // DMK: each single-density byte stored twice
};

// An image written from a disk, and what of the disk it could not hold, a
// line each ("cylinder 3 head 1: 18 sectors; JV1 holds head 0 only").
struct Written {
  std::vector<std::uint8_t> bytes;
  std::vector<std::string> losses;
  // The places (cylinder, head, id) of the sectors the losses name.
  std::vector<std::array<int, 3>> lost;
};

struct ContainerFormat {
  Container kind;
  // 0 when the bytes are not this container; the higher, the surer.
  int (*recognise)(const ImageBuffer& image);
  void (*read)(const ImageBuffer& image, Disk& disk, bool check_data);
  Written (*write)(const Disk& disk, const WriteOptions& options);
};

// Every container, in the order the emulators test them.
std::span<const ContainerFormat> Containers();
const ContainerFormat& FormatOf(Container kind);
// The container whose recogniser is surest, nullptr when none is.
const ContainerFormat* Detect(const ImageBuffer& image);

// Each container's own, in its file.
int RecogniseJv1(const ImageBuffer& image);
void ReadJv1(const ImageBuffer& image, Disk& disk, bool check_data);
Written WriteJv1(const Disk& disk, const WriteOptions& options);
int RecogniseJv3(const ImageBuffer& image);
void ReadJv3(const ImageBuffer& image, Disk& disk, bool check_data);
Written WriteJv3(const Disk& disk, const WriteOptions& options);
int RecogniseDmk(const ImageBuffer& image);
void ReadDmk(const ImageBuffer& image, Disk& disk, bool check_data);
Written WriteDmk(const Disk& disk, const WriteOptions& options);

}  // namespace trivane::disk
