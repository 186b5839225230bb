// A CP/M disk's parameters: the data tracks' shape, the reserved tracks,
// the block size, the directory's size and the skew; what follows from
// them (blocks, block numbers of one byte or two, the extent mask); and
// the formats TRS-80 CP/M used, one row each.
//
// Logical track t is cylinder t / heads, head t % heads (sides alternate,
// as on nearly every two-headed CP/M disk seen), or on a disk whose side 0
// comes first, cylinder t % cylinders, head t / cylinders. Logical sector i of a track lies
// in slot skew[i] (the next free slot after the previous one + skew,
// moving on one slot when taken); its id is the slot + the lowest id of
// the track, so that a side numbered on from the other reads too.
#pragma once

#include <string>
#include <vector>

namespace trivane::cpm {

struct Params {
  int cylinders = 0, heads = 1;
  int spt = 0, size = 0;  // the data tracks' sectors a track and their size
  int off = 0;            // reserved logical tracks before the directory
  int bls = 1024;         // block size
  int entries = 64;       // directory entries
  int skew = 1;           // 1: none
  // The blocks its BIOS gives out (DSM + 1) where fewer than the data
  // tracks hold; 0: all they hold.
  int dsm_blocks = 0;
  // Two heads' logical tracks: the sides in turn (cylinder 0 head 0, head
  // 1, cylinder 1 ...), or side 0's cylinders first, then side 1's.
  bool sides_in_turn = true;

  bool operator==(const Params&) const = default;
  int Tracks() const { return cylinders * heads; }
  // Blocks the data area holds (DSM + 1).
  int Blocks() const;
  // Block numbers of two bytes (8 an entry) when there are more than 256.
  bool Wide() const { return Blocks() > 256; }
  int PointersPerEntry() const { return Wide() ? 8 : 16; }
  // Logical extents of 16 KiB one entry holds, less one.
  int Exm() const { return bls / (Wide() ? 2048 : 1024) - 1; }
  int DirectoryBlocks() const { return (entries * 32 + bls - 1) / bls; }
  int RecordsPerBlock() const { return bls / 128; }
  // "18 x 128, 3 reserved tracks, 1 KiB blocks, 64 entries, skew 4".
  std::string Text() const;
};

// Slot of each logical sector of a track.
std::vector<int> SkewTable(int spt, int skew);

enum class Density { kSingle, kDouble };

// A published format: its word (`new --format`), its name, the machine,
// its parameters, and how its tracks are written: the density, the lowest
// sector id (side 1's where it numbers on from side 0's), and the first
// tracks of another shape (a boot track) where it has them.
struct FormatRow {
  const char* word;
  const char* name;
  const char* machine;
  Params params;
  Density density;
  int first_id;
  int side1_first_id = -1;  // -1: as side 0
  int boot_tracks = 0;      // logical tracks of the boot shape
  int boot_spt = 0, boot_size = 0;
  Density boot_density = Density::kSingle;
};

const std::vector<FormatRow>& Formats();
// The row of a word; nullptr for none.
const FormatRow* FormatNamed(const std::string& word);

}  // namespace trivane::cpm
