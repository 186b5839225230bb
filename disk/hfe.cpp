// HFE (layout in formats/hfe.h): recognised by its signature; each track's
// cells gathered from the interleaved blocks, put in order (first cell most
// significant), version 3's opcodes acted on, and handed to the cell-track
// unit (cell_tracks.h), which finds the sectors on them.
#include "formats/hfe.h"

#include <algorithm>
#include <string>

#include "cells/cells.h"
#include "disk/container.h"
#include "disk/hfe_state.h"

namespace trivane::disk {
namespace {

int Word(const ImageBuffer& image, Offset at) {
  return image.at(at) | image.at(at + 1) << 8;
}

// Version 3's cell bytes with their opcodes acted on.
cells::Cells Version3Cells(const std::vector<std::uint8_t>& bytes) {
  cells::Cells c;
  const auto push = [&c](std::uint8_t b, int from) {
    for (int k = 7 - from; k >= 0; --k) c.Push((b >> k) & 1);
  };
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    const int b = bytes[k];
    if (b == hfe::kOpNothing || b == hfe::kOpIndex) continue;
    if (b == hfe::kOpBitRate) {
      ++k;
    } else if (b == hfe::kOpSkipBits && k + 2 < bytes.size()) {
      push(bytes[k + 2], std::min<int>(bytes[k + 1], 8));
      k += 2;
    } else if (b == hfe::kOpWeak) {
      push(0, 0);
    } else if (b != hfe::kOpSkipBits) {
      push(static_cast<std::uint8_t>(b), 0);
    }
  }
  return c;
}

// One side's cells, in order; empty when the file ends before them.
std::vector<std::uint8_t> SideBytes(const ImageBuffer& image, const HfeState::Track& t, int side) {
  std::vector<std::uint8_t> bytes = StoredSide(image, t, side, t.side_bytes);
  hfe::ReverseEachByte(bytes.data(), bytes.size());
  return bytes;
}

void ReadTrack(const ImageBuffer& image, int cylinder, int side, HfeState& state, Disk& disk) {
  const HfeState::Track& t = state.tracks[static_cast<std::size_t>(cylinder)];
  std::vector<std::uint8_t> bytes = SideBytes(image, t, side);
  if (bytes.empty()) {
    disk.problems.push_back("cylinder " + std::to_string(cylinder) + " side " +
                            std::to_string(side) + ": its cells lie past the file's end");
    return;
  }
  const std::size_t count = bytes.size() * 8;
  const cells::Cells c =
      state.version == 3 ? Version3Cells(bytes) : cells::Cells::FromPacked(std::move(bytes), count);
  const auto offset_of = [&t, side](std::size_t cell) {
    return HfeSideOffset(t.first_block, side,
                         std::min<Offset>(static_cast<Offset>(cell / 8), t.side_bytes - 1));
  };
  AddCellTrack(c, cylinder, side, offset_of, state, disk);
}

}  // namespace

Offset HfeSideOffset(Offset first_block, int side, Offset k) {
  return first_block * hfe::kBlockBytes + k / hfe::kSideBytes * hfe::kBlockBytes +
         side * hfe::kSideBytes + k % hfe::kSideBytes;
}

std::vector<std::uint8_t> StoredSide(const ImageBuffer& image, const HfeState::Track& t, int side,
                                     Offset count) {
  if (count <= 0 || HfeSideOffset(t.first_block, side, count - 1) >= image.size()) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
  for (Offset k = 0; k < count; k += hfe::kSideBytes) {
    const Offset run = std::min(hfe::kSideBytes, count - k);
    image.Read(HfeSideOffset(t.first_block, side, k), bytes.data() + k,
               static_cast<std::size_t>(run));
  }
  return bytes;
}

const HfeState* HfeStateOf(const Disk& disk) {
  return dynamic_cast<const HfeState*>(disk.state.get());
}

int RecogniseHfe(const ImageBuffer& image) {
  return image.StartsWith(hfe::kVersion1) || image.StartsWith(hfe::kVersion3) ? 100 : 0;
}

void ReadHfe(const ImageBuffer& image, Disk& disk, bool) {
  auto state = std::make_shared<HfeState>();
  state->version = image.StartsWith(hfe::kVersion3) ? 3 : 1;
  state->bit_rate = Word(image, hfe::kBitRateAt);
  disk.cylinders = image.at(hfe::kCylindersAt);
  disk.heads = image.at(hfe::kSidesAt);
  disk.write_protected = image.at(hfe::kWriteAllowedAt) != hfe::kWriteAllowed;
  if (disk.heads < 1 || disk.heads > 2) {
    disk.problems.push_back("the header says " + std::to_string(disk.heads) + " sides");
    disk.heads = std::clamp(disk.heads, 1, 2);
  }
  const Offset table = Word(image, hfe::kTableAt) * hfe::kBlockBytes;
  for (int c = 0; c < disk.cylinders; ++c) {
    const Offset e = table + c * hfe::kTableEntryBytes;
    if (e + hfe::kTableEntryBytes > image.size()) {
      disk.problems.push_back("the track table ends at cylinder " + std::to_string(c));
      break;
    }
    state->tracks.push_back({Word(image, e), Word(image, e + 2) / 2});
    for (int side = 0; side < disk.heads; ++side) ReadTrack(image, c, side, *state, disk);
  }
  disk.state = std::move(state);
}

// The container's row (disk/container.h).
extern constexpr ContainerFormat kHfeRow = {
    Container::kHfe,
    "HFE",
    "hfe",
    "HFE floppy disk image",
    "the cells of every track as a Gotek drive plays them: single and double density, every "
    "data mark, CRC errors; at 250 kbit/s a track holds what one revolution of a 5.25-inch "
    "disk does",
    "*.hfe",
    "application/x-hfe-floppy-image",
    "*.hfe",
    "<match type=\"string\" offset=\"0\" value=\"HXCPICFE\"/>\n"
    "      <match type=\"string\" offset=\"0\" value=\"HXCHFEV3\"/>",
    80,
    3,
    true,
    false,
    kMostFloppyBytes,
    "header",
    RecogniseHfe,
    ReadHfe,
    WriteHfe};

}  // namespace trivane::disk
