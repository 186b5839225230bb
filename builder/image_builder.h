// Builds disk images in memory, byte by byte as the emulators write them: for
// the tests, the sample folder, the fuzzing seeds and the benchmarks.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/dmk.h"
#include "formats/jv1.h"
#include "formats/jv3.h"

namespace trivane::build {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kFill = 0xE5;                // a formatted sector's contents
inline constexpr Offset kSectorBytes = jv1::kSectorBytes;  // every built sector

// A Newdos/80 PDRIVE entry: the first ten bytes of the system sector.
struct Pdrive {
  std::uint8_t ddsl = 0, b1 = 0, ti_tsr = 0, tc = 40, spt = 10, gpl = 2, b6 = 0, option = 0, b8 = 0,
               ddga = 2;
};

// Writes the PDRIVE entry at the sector's first data byte and the Newdos/80
// signature (165) at its byte 239.
void PutSystemSector(Bytes& image, Offset sector, const Pdrive& pdrive);

// JV1: tracks of 10 single-density sectors, the boot sector starting 00 FE 11.
Bytes Jv1(int tracks);

// JV3: one header entry.
struct Jv3Entry {
  int track;
  int sector;
  int flags;
};

int Jv3Flags(int side, bool double_density);
// A header table of the entries (the rest free) and 256 data bytes per entry.
Bytes Jv3(const std::vector<Jv3Entry>& entries);
// The entries of a regular disk: each track's side 0 then side 1, or (when
// sides_apart) every side-0 track first and then every side-1 track.
std::vector<Jv3Entry> Jv3Disk(int tracks, int sides, int spt, bool double_density,
                              bool sides_apart = false, int first_sector = 0);
inline Offset Jv3DataOffset(int entry) {
  return jv3::DataOffset(entry);
}

// DMK.

struct DmkId {
  int track;
  int side;
  int sector;
  std::uint8_t data_mark = 0xFB;
};

class DmkImage {
 public:
  // trklength 6400 or 6528 lays sectors out in double density, 3264 single.
  explicit DmkImage(int trklength, int header_tracks = 0, bool double_sided = false);

  // Appends a track block whose pointer table leads to these ID fields, in
  // order, each followed by its data address mark and 256 data bytes.
  Offset AddBlock(const std::vector<DmkId>& ids);
  // First data byte of the index-th sector of the block starting at block.
  Offset DataOffset(Offset block, int index) const;
  // Offset of the index-th ID address mark from its block's start.
  int IdOffset(int index) const;
  // Writes the data CRC of the sector whose first data byte is at data again,
  // after its data was changed.
  void PutDataCrc(Offset data);
  // The distance from an ID address mark to its data address mark.
  int DataMarkDistance() const {
    return double_density_ ? dmk::kDoubleDataMarkDistance : dmk::kSingleDataMarkDistance;
  }

  Bytes& bytes() { return bytes_; }
  int trklength() const { return trklength_; }

 private:
  Bytes bytes_;
  int trklength_;
  bool double_density_;
};

// A regular DMK disk: tracks × sides blocks of spt sectors numbered from
// first_sector, each ID field naming its own track and side.
Bytes Dmk(int trklength, int tracks, int sides, int spt, int first_sector = 0);
// The block of a regular disk holding track, side.
inline Offset DmkBlock(int trklength, int sides, int track, int side) {
  return dmk::kHeaderBytes + (Offset{track} * sides + side) * trklength;
}

// Writes the image to a file; false when it cannot be written.
bool WriteFile(const std::filesystem::path& path, const Bytes& bytes);

// A hex dump of length bytes from offset, 16 to the line, for test failures.
std::string HexDump(const Bytes& bytes, Offset offset, Offset length);

}  // namespace trivane::build
