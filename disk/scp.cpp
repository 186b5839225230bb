// SCP files (layout in flux/flux.h) as disks: each track's flux read to
// sectors over every revolution (flux_tracks.h); written from any disk as
// a controller's Write Track lays each track out, on cells of one
// revolution at 250 kbit/s and 300 rpm, made into flux of 25 ns ticks, as
// many times round as asked.
#include <algorithm>

#include "disk/container.h"
#include "disk/flux_tracks.h"
#include "disk/losses.h"
#include "disk/track_writers.h"
#include "flux/flux.h"

namespace trivane::disk {
namespace {

constexpr std::size_t kRevolutionCells = 100000;  // 250 kbit/s cells at 300 rpm
constexpr double kCellNs = 2000, kTickNs = 25;

int RecogniseScp(const ImageBuffer& image) {
  return flux::IsScp(image) ? 100 : 0;
}

void ReadScp(const ImageBuffer& image, Disk& disk, bool) {
  auto state = std::make_shared<FluxState>();
  disk.heads = 1;
  const std::vector<std::string> findings = flux::ReadScp(image, [&](const flux::ScpTrack& t) {
    disk.cylinders = std::max(disk.cylinders, t.cylinder + 1);
    if (t.head == 1) disk.heads = 2;
    // About where the sector's flux lies (two bytes a transition, a
    // transition every two or three cells), never the same for two of the
    // track's sectors: their data is kept by it.
    const auto offset_of = [&t](std::size_t cell) { return t.at + static_cast<Offset>(cell / 2); };
    AddFluxTrack(t.flux, t.cylinder, t.head, offset_of, *state, disk);
  });
  // The file's own findings before its tracks'.
  disk.problems.insert(disk.problems.begin(), findings.begin(), findings.end());
  disk.state = std::move(state);
}

Written WriteScp(const Disk& disk, const WriteOptions& options) {
  Losses losses;
  losses.AddOutside(disk, 84, 2);
  std::vector<flux::ScpTrack> tracks;
  for (int c = 0; c < std::min(disk.cylinders, 84); ++c) {
    for (int h = 0; h < std::min(disk.heads, 2); ++h) {
      std::vector<TrackField> fields;
      for (const Sector& s : disk.sectors) {
        if (s.cylinder == c && s.head == h) fields.push_back(FieldOf(disk, s));
      }
      const cells::Cells cells = FittedCells(std::move(fields), kRevolutionCells, c, h, losses);
      tracks.push_back(
          {c, h, 0, flux::FluxOf(cells, kCellNs, kTickNs, std::max(1, options.revolutions))});
    }
  }
  return {flux::WriteScp(tracks), losses.Lines(), losses.Places()};
}

}  // namespace

// The container's row (disk/container.h).
extern constexpr ContainerFormat kScpRow = {
    Container::kScp,
    "SCP",
    "scp",
    "SCP flux image",
    "the flux of every track as a flux drive read it, over one revolution or several: single "
    "and double density, every data mark, CRC errors; a sector good on any revolution is good",
    "*.scp",
    "application/x-scp-flux-image",
    "*.scp",
    "<match type=\"string\" offset=\"0\" value=\"SCP\"/>",
    60,
    5,
    true,
    false,
    kMostFloppyBytes,
    "header",
    RecogniseScp,
    ReadScp,
    WriteScp};

}  // namespace trivane::disk
