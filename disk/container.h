// One row for each container: how sure its recogniser is that the bytes are
// one, its reader into the disk model, and its writer from it. A new
// container is its file (its functions and row), the row's declaration
// here, its place in the registry (containers.cpp) and its Container value
// (disk.h). The layout facts each uses are in formats/.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "disk/disk.h"

namespace trivane::disk {

struct WriteOptions {
  bool single_density_twice = true;  // DMK: each single-density byte stored twice
  int revolutions = 1;               // SCP: each track's flux this many times round
};

// An image written from a disk, and what of the disk it could not hold, a
// line each ("cylinder 3 head 1: 18 sectors; JV1 holds head 0 only").
struct Written {
  std::vector<std::uint8_t> bytes;
  std::vector<std::string> losses;
  // The places (cylinder, head, id) of the sectors the losses name.
  std::vector<std::array<int, 3>> lost;
};

// One container: what it is called and holds, how sure its recogniser is
// that bytes are one, its reader into the disk model and its writer from
// it. Each container's file holds its row; every list of containers (the
// tools' choices and help, the windows' filters, the error for a file that
// is none, the desktop's file types, the manual pages) is made from them.
struct ContainerFormat {
  Container kind;
  std::string_view name;           // "DMK", as listings show it
  std::string_view word;           // "dmk": --to's word, and the file name's ending
  std::string_view description;    // "TRS-80 DMK disk image"
  std::string_view holds;          // what of a disk it keeps, in a sentence
  std::string_view save_patterns;  // offered when saving one
  // The desktop's file type: its name, globs, and rule for telling one by
  // its bytes with the rule's weight.
  std::string_view mime_type;
  std::string_view globs;
  std::string_view mime_magic;
  int mime_priority;
  int offered;  // the place in the lists offered to the user, 0 first
  // Offered as a new image's container; a container that is not is still
  // written back when its disk changes.
  bool writes;
  bool hard_disk;                  // it holds a hard disk, not a floppy
  Offset most_bytes;               // the largest file that can be one
  std::string_view recognised_by;  // what its recogniser looks for: "header", "boot sector"
  // 0 when the bytes are not this container; the higher, the surer.
  int (*recognise)(const ImageBuffer& image);
  void (*read)(const ImageBuffer& image, Disk& disk, bool check_data);
  Written (*write)(const Disk& disk, const WriteOptions& options);
};

// No floppy's image comes near this: a larger file is not one.
inline constexpr Offset kMostFloppyBytes = Offset{64} << 20;

// The options that write the disk back as it was read (a DMK's doubling).
WriteOptions OptionsAsRead(const Disk& disk);

// The largest file that any container's image can be.
Offset MostImageBytes();

// Every container, in the order the emulators test them.
std::span<const ContainerFormat* const> Containers();
// The names of the floppy containers, or of the hard-disk ones, in that
// order: "JV1, JV3, DMK, HFE and IMD" with separator ", " and last " and ".
std::string Names(bool hard_disk, std::string_view separator, std::string_view last);
// The containers written, in the order they are offered.
std::vector<const ContainerFormat*> Offered();
const ContainerFormat& FormatOf(Container kind);
// The container of a word ("dmk", in any letter case), nullptr for none.
const ContainerFormat* FormatNamed(std::string_view word);
// The container whose recogniser is surest, nullptr when none is.
const ContainerFormat* Detect(const ImageBuffer& image);
// The offered containers' words: "dmk, jv3 or jv1" with separator ", " and
// last " or ", "dmk|jv3|jv1" with "|" and "|".
std::string Words(std::string_view separator, std::string_view last);

// Each container's own, in its file beside its row.
int RecogniseJv1(const ImageBuffer& image);
void ReadJv1(const ImageBuffer& image, Disk& disk, bool check_data);
Written WriteJv1(const Disk& disk, const WriteOptions& options);
int RecogniseJv3(const ImageBuffer& image);
void ReadJv3(const ImageBuffer& image, Disk& disk, bool check_data);
Written WriteJv3(const Disk& disk, const WriteOptions& options);
int RecogniseDmk(const ImageBuffer& image);
void ReadDmk(const ImageBuffer& image, Disk& disk, bool check_data);
Written WriteDmk(const Disk& disk, const WriteOptions& options);
int RecogniseHfe(const ImageBuffer& image);
void ReadHfe(const ImageBuffer& image, Disk& disk, bool check_data);
Written WriteHfe(const Disk& disk, const WriteOptions& options);
int RecogniseImd(const ImageBuffer& image);
void ReadImd(const ImageBuffer& image, Disk& disk, bool check_data);
Written WriteImd(const Disk& disk, const WriteOptions& options);
int RecogniseReed(const ImageBuffer& image);
void ReadReed(const ImageBuffer& image, Disk& disk, bool check_data);
Written WriteReed(const Disk& disk, const WriteOptions& options);

}  // namespace trivane::disk
