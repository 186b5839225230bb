// A track's flux as a flux drive read it, over every revolution the dump
// holds: the time between each two transitions (in the dump's clock ticks)
// and where the index hole passed; then the flux read to cells at the rate
// the track needs, through a phase-locked loop that follows the drive's
// speed and each transition's jitter.
//
// Cells run at the MFM rate (2 µs at 250 kbit/s); an FM track's cells come
// out at twice its rate, as the cell layer reads them (cells/cells.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "cells/cells.h"
#include "formats/image_buffer.h"

namespace trivane::flux {

struct FluxTrack {
  double tick_ns = 0;                    // one clock tick of the dump
  std::vector<std::uint32_t> intervals;  // ticks between transitions
  // Each index hole's passing: the interval it fell in (an index past the
  // last transition is intervals.size()).
  std::vector<std::size_t> index;
  std::vector<std::string> findings;  // damage met while reading the dump
  int revolutions() const { return index.size() < 2 ? 0 : static_cast<int>(index.size()) - 1; }
};

// The cells of every revolution, one run round the track from the first
// index to the last; index_cells[r] the cell at which revolution r starts
// (and the last, where the last one ends).
struct TrackCells {
  cells::Cells cells;
  std::vector<std::size_t> index_cells;
  double cell_ns = 0;
};

// The cell time the flux shows: half the shortest interval that transitions
// keep to (MFM's two cells, FM's one clock and data pair); 0 for flux too
// sparse to tell (an unformatted track).
double CellTime(const FluxTrack& track);
// The cells, through the loop started at cell_ns (0: CellTime's).
TrackCells CellsOf(const FluxTrack& track, double cell_ns = 0);

// The flux of cells as a drive would write them (a transition for every 1),
// `revolutions` times round, at cell_ns with the dump's tick; an index at
// each revolution's start and at the end.
FluxTrack FluxOf(const cells::Cells& cells, double cell_ns, double tick_ns, int revolutions);

// How many intervals of a revolution fall in each bin of bin_ns (the 2-, 3-
// and 4-cell peaks of MFM, FM's 2 and 4), up to most_ns.
std::vector<int> Histogram(const FluxTrack& track, int revolution, double bin_ns, double most_ns);

// KryoFlux stream files: one track's flux, its index blocks and its clock
// (the text block's "sck=", else the usual 24027428.57 Hz).
FluxTrack ReadKryoFluxStream(std::span<const std::uint8_t> stream);

}  // namespace trivane::flux

namespace trivane::flux {

// SCP files: "SCP", version, disk type, revolutions, first and last track,
// flags, cell width (0: 16 bits), heads (0 both, 1 side 0, 2 side 1), the
// resolution (25 ns x (value + 1)), a checksum of every byte from 10h on;
// from 10h 168 track offsets (0: none). A track: "TRK", its number
// (cylinder x 2 + head where both heads are kept, else the cylinder), then
// per revolution its time, its count of flux values and where they lie
// from the track's start; the values 16-bit big-endian, 0 adding 65,536 to
// the next.
struct ScpTrack {
  int cylinder = 0, head = 0;
  Offset at = 0;  // where its header lies in the file
  FluxTrack flux;
};
bool IsScp(const ImageBuffer& image);
// Each track in turn, handed to `each` as it is read (its flux is not kept
// past it); the damage the file shows outside the tracks' flux.
std::vector<std::string> ReadScp(const ImageBuffer& image,
                                 const std::function<void(const ScpTrack&)>& each);
// Both heads' numbering, 25 ns ticks, each track's revolutions as its flux
// holds them (every track the same count, the first track's).
std::vector<std::uint8_t> WriteScp(const std::vector<ScpTrack>& tracks);

}  // namespace trivane::flux
