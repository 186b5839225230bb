// The HFE writer (layout in formats/hfe.h): version 1, 250 kbit/s at 300
// rpm, interface mode 7. Each track's cells are written as a controller's
// Write Track lays its sectors out (track_writers.h), FM at twice its rate,
// one revolution long; a track of a disk read from a version 1 file at that
// rate, none of whose sectors was changed, keeps its cells as read. What a
// revolution cannot hold, even with the gaps closed up, is a loss.
#include <algorithm>
#include <array>
#include <optional>

#include "disk/container.h"
#include "disk/hfe_state.h"
#include "disk/losses.h"
#include "disk/track_writers.h"
#include "formats/hfe.h"

namespace trivane::disk {
namespace {

// The stored cells of a side: bytes of eight cells, the first cell in the
// least significant bit, padded to whole 256-byte runs.
using SideCells = std::vector<std::uint8_t>;

Offset Runs(Offset bytes) {
  return (bytes + hfe::kSideBytes - 1) / hfe::kSideBytes;
}

// The disk was read from a file whose cells a written file can keep.
const HfeState* KeptState(const Disk& disk) {
  const HfeState* state = HfeStateOf(disk);
  return state != nullptr && state->version == 1 && state->bit_rate == hfe::kBitRate ? state
                                                                                     : nullptr;
}

// The cells of a track as read, padding included, when they can be kept:
// none of its sectors was changed; with the side's length in bytes.
std::optional<std::pair<SideCells, Offset>> KeptSide(const Disk& disk, int cylinder, int side) {
  const HfeState* state = KeptState(disk);
  if (state == nullptr || cylinder >= static_cast<int>(state->tracks.size())) return std::nullopt;
  for (const Sector& s : disk.sectors) {
    if (s.cylinder == cylinder && s.head == side && !state->AsRead(disk, s)) return std::nullopt;
  }
  const HfeState::Track& t = state->tracks[static_cast<std::size_t>(cylinder)];
  SideCells bytes = StoredSide(disk.image, t, side, Runs(t.side_bytes) * hfe::kSideBytes);
  if (bytes.empty()) return std::nullopt;
  return std::pair{std::move(bytes), t.side_bytes};
}

SideCells Stored(const cells::Cells& c, Offset bytes) {
  SideCells out(c.packed().begin(), c.packed().end());
  for (std::uint8_t& b : out) b = hfe::ReverseBits(b);
  // Cells 1010...: MFM zeros, FM ones at twice the rate.
  out.resize(static_cast<std::size_t>(Runs(bytes) * hfe::kSideBytes), 0x55);
  return out;
}

// Both sides of a cylinder and the bytes of cells each side holds.
struct CylinderCells {
  std::array<SideCells, 2> sides;
  Offset length = 0;
};

CylinderCells Cylinder(const Disk& disk, int cylinder, int heads, Losses& losses) {
  std::array<std::optional<std::pair<SideCells, Offset>>, 2> kept;
  // A kept track keeps its length (a field that runs round its end reads on
  // at its start); the sides of a cylinder share one.
  CylinderCells out;
  for (int side = 0; side < 2; ++side) {
    kept[side] = KeptSide(disk, cylinder, side);
    if (kept[side]) out.length = kept[side]->second;
  }
  if (out.length == 0) out.length = hfe::kTrackCells / 8;
  const std::size_t stored = static_cast<std::size_t>(Runs(out.length) * hfe::kSideBytes);
  for (int side = 0; side < 2; ++side) {
    if (kept[side]) {
      out.sides[side] = std::move(kept[side]->first);
      out.sides[side].resize(stored, 0x55);
    } else if (side >= heads) {
      out.sides[side].assign(stored, 0x55);
    } else {
      std::vector<TrackField> fields;
      for (const Sector& s : disk.sectors) {
        if (s.cylinder == cylinder && s.head == side) fields.push_back(FieldOf(disk, s));
      }
      const std::size_t until = static_cast<std::size_t>(out.length) * 8;
      out.sides[side] =
          Stored(FittedCells(std::move(fields), until, cylinder, side, losses), out.length);
    }
  }
  return out;
}

// The header read, where the file's cells are kept; else Trivane's own.
std::vector<std::uint8_t> Header(const Disk& disk, int cylinders, int heads) {
  std::vector<std::uint8_t> h(hfe::kBlockBytes, 0xFF);
  if (KeptState(disk) != nullptr && disk.image.size() >= hfe::kBlockBytes) {
    disk.image.Read(0, h.data(), h.size());
  } else {
    std::copy(hfe::kVersion1.begin(), hfe::kVersion1.end(), h.begin());
    bool mfm = false;
    for (const Sector& s : disk.sectors) mfm = mfm || s.density == Density::kDouble;
    h[8] = 0;
    h[hfe::kEncodingAt] = static_cast<std::uint8_t>(mfm ? hfe::kEncodingMfm : hfe::kEncodingFm);
    h[hfe::kBitRateAt] = hfe::kBitRate & 0xFF;
    h[hfe::kBitRateAt + 1] = hfe::kBitRate >> 8;
    h[hfe::kRpmAt] = hfe::kRpm & 0xFF;
    h[hfe::kRpmAt + 1] = hfe::kRpm >> 8;
    h[hfe::kModeAt] = hfe::kModeTrs80;
    h[hfe::kUnusedAt] = 1;
  }
  h[hfe::kCylindersAt] = static_cast<std::uint8_t>(cylinders);
  h[hfe::kSidesAt] = static_cast<std::uint8_t>(heads);
  h[hfe::kTableAt] = 1;
  h[hfe::kTableAt + 1] = 0;
  h[hfe::kWriteAllowedAt] = disk.write_protected ? 0 : hfe::kWriteAllowed;
  return h;
}

}  // namespace

Written WriteHfe(const Disk& disk, const WriteOptions&) {
  Losses losses;
  const int heads = std::clamp(disk.heads, 1, 2);
  const int cylinders = std::clamp(disk.cylinders, 0, 255);
  losses.AddOutside(disk, cylinders, heads);
  Written out;
  out.bytes = Header(disk, cylinders, heads);
  const Offset table_blocks =
      (cylinders * hfe::kTableEntryBytes + hfe::kBlockBytes - 1) / hfe::kBlockBytes;
  out.bytes.resize(
      static_cast<std::size_t>((1 + std::max<Offset>(table_blocks, 1)) * hfe::kBlockBytes), 0xFF);
  for (int c = 0; c < cylinders; ++c) {
    const CylinderCells cells = Cylinder(disk, c, heads, losses);
    const Offset first = static_cast<Offset>(out.bytes.size()) / hfe::kBlockBytes;
    const Offset runs = Runs(cells.length);
    out.bytes.resize(out.bytes.size() + static_cast<std::size_t>(runs * hfe::kBlockBytes));
    for (int side = 0; side < 2; ++side) {
      for (Offset k = 0; k < runs; ++k) {
        std::copy_n(cells.sides[side].begin() + k * hfe::kSideBytes, hfe::kSideBytes,
                    out.bytes.begin() + HfeSideOffset(first, side, k * hfe::kSideBytes));
      }
    }
    std::uint8_t* entry = out.bytes.data() + hfe::kBlockBytes + c * hfe::kTableEntryBytes;
    entry[0] = static_cast<std::uint8_t>(first & 0xFF);
    entry[1] = static_cast<std::uint8_t>(first >> 8);
    entry[2] = static_cast<std::uint8_t>((2 * cells.length) & 0xFF);
    entry[3] = static_cast<std::uint8_t>((2 * cells.length) >> 8);
  }
  out.losses = losses.Lines();
  out.lost = losses.Places();
  return out;
}

}  // namespace trivane::disk
