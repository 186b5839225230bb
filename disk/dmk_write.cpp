// The DMK writer (layout in formats/dmk.h). A disk read from a DMK of the
// same track length and doubling keeps its track blocks as read, byte for
// byte, with only the data put into its sectors since written in place (and
// its CRC); any other disk's tracks are written as a controller formats
// them (track_writers.h), each sector's CRC errors written bad again.
#include <algorithm>

#include "disk/container.h"
#include "disk/dmk_state.h"
#include "disk/losses.h"
#include "disk/track_writers.h"
#include "formats/crc16.h"
#include "formats/dmk.h"

namespace trivane::disk {
namespace {

bool KeepsBlocks(const Disk& disk, bool doubling) {
  const DmkState* state = DmkStateOf(disk);
  return disk.container == Container::kDmk && state != nullptr && state->blocks &&
         state->block_length > 0 && state->Doubling() == doubling;
}

// Writes the sector's data (each byte twice where doubled) and its CRC
// into its place in the block, round the block's end.
void PutData(std::uint8_t* block, Offset length, Offset data_at, const Sector& s, bool doubled,
             const std::vector<std::uint8_t>& data) {
  const Offset step = doubled ? 2 : 1;
  std::uint16_t crc = s.density == Density::kDouble ? crc16::kDoubleDensityPreset : crc16::kPreset;
  crc = crc16::Add(crc, s.dam);
  const auto put = [&](Offset k, std::uint8_t b) {
    for (Offset t = 0; t < step; ++t) block[WrapInBlock(data_at + k * step + t, length)] = b;
  };
  for (std::size_t k = 0; k < data.size(); ++k) {
    put(static_cast<Offset>(k), data[k]);
    crc = crc16::Add(crc, data[k]);
  }
  put(static_cast<Offset>(data.size()), static_cast<std::uint8_t>(crc >> 8));
  put(static_cast<Offset>(data.size()) + 1, static_cast<std::uint8_t>(crc & 0xFF));
}

Written KeptBlocks(const Disk& disk, const DmkState& state) {
  const Offset length = state.block_length;
  const Offset count = static_cast<Offset>(state.blocks->size()) / length;
  Written out;
  out.bytes = DmkHeader(static_cast<int>(length), disk.cylinders, disk.heads, state.options,
                        disk.write_protected);
  out.bytes.insert(out.bytes.end(), state.blocks->begin(), state.blocks->begin() + count * length);
  for (const Sector& s : disk.sectors) {
    if (s.written < 0 || !s.has_data()) continue;
    const Offset b = state.BlockOf(s);
    if (b < 0 || b >= count) continue;
    std::uint8_t* block = out.bytes.data() + dmk::kHeaderBytes + b * length;
    PutData(block, length, s.data_offset - state.block_start - b * length, s, state.Doubled(s),
            disk.written[static_cast<std::size_t>(s.written)]);
  }
  return out;
}

// Every track's fields in the disk's order, at most 64 a track.
std::vector<std::vector<TrackField>> Tracks(const Disk& disk, Losses& losses) {
  std::vector<std::vector<TrackField>> tracks(
      static_cast<std::size_t>(std::max(disk.cylinders, 0) * std::max(disk.heads, 1)));
  for (const Sector& s : disk.sectors) {
    const std::size_t t = static_cast<std::size_t>(s.cylinder) * disk.heads + s.head;
    if (t >= tracks.size() || s.head >= std::max(disk.heads, 1)) {
      losses.Add(s, Losses::kOutside);
    } else if (tracks[t].size() == dmk::kPointers) {
      losses.Add(s, "past the 64 sectors a DMK track can point to");
    } else {
      tracks[t].push_back(FieldOf(disk, s));
    }
  }
  return tracks;
}

// The fields past what a track block of the longest length holds, each a
// loss: the block would otherwise overwrite its first fields.
void FitTracks(std::vector<std::vector<TrackField>>& tracks, int heads, bool doubling,
               const TrackLayout& layout, Losses& losses) {
  for (std::size_t t = 0; t < tracks.size(); ++t) {
    std::vector<TrackField>& fields = tracks[t];
    while (dmk::kPointerTableBytes + TrackBytes(fields, doubling, layout) > dmk::kMaxTrackLength) {
      losses.Add(static_cast<int>(t) / heads, static_cast<int>(t) % heads, fields.back().sector,
                 "past the 16,384 bytes a DMK track holds");
      fields.pop_back();
    }
  }
}

Written Formatted(const Disk& disk, bool doubling) {
  Written out;
  Losses losses;
  std::vector<std::vector<TrackField>> tracks = Tracks(disk, losses);
  const TrackLayout layout = ControllerLayout();
  const int heads = std::max(disk.heads, 1);
  FitTracks(tracks, heads, doubling, layout, losses);
  bool dd = false;
  Offset needed = 0;
  for (const auto& fields : tracks) {
    for (const TrackField& f : fields) dd = dd || f.double_density;
    needed = std::max(needed, dmk::kPointerTableBytes + TrackBytes(fields, doubling, layout));
  }
  const Offset length =
      std::max<Offset>(dd || doubling ? dmk::kDoubleTrack : dmk::kSingleTrack, needed);
  out.bytes = DmkHeader(static_cast<int>(length), disk.cylinders, heads,
                        doubling ? 0 : dmk::kOptionSingleDensity, disk.write_protected);
  for (const auto& fields : tracks) {
    const std::size_t at = out.bytes.size();
    out.bytes.resize(at + static_cast<std::size_t>(length));
    WriteDmkTrack(out.bytes.data() + at, length, doubling, fields, layout);
  }
  out.losses = losses.Lines();
  out.lost = losses.Places();
  return out;
}

}  // namespace

WriteOptions OptionsAsRead(const Disk& disk) {
  const DmkState* state = DmkStateOf(disk);
  return {.single_density_twice = state == nullptr || state->Doubling()};
}

Written WriteDmk(const Disk& disk, const WriteOptions& options) {
  return KeepsBlocks(disk, options.single_density_twice)
             ? KeptBlocks(disk, *DmkStateOf(disk))
             : Formatted(disk, options.single_density_twice);
}

}  // namespace trivane::disk
