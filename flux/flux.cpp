// Flux read to cells, cells made into flux, and what the flux shows of
// its cell time (flux.h).
#include "flux/flux.h"

#include <algorithm>
#include <cmath>

namespace trivane::flux {
namespace {

// The loop: the cell time moves a twentieth of each transition's error
// towards it (never more than 10 % from where it started) and the phase
// keeps 40 % of it, as flux drives' own tools find good for worn disks.
constexpr double kPeriodGain = 0.05, kPhaseKept = 0.4, kMostDrift = 0.10;
constexpr double kBinNs = 100, kMostIntervalNs = 20000;
// A longer time without flux is no data (an unformatted stretch, a hole in
// the dump): it gives this many cells, whatever its length.
constexpr int kMostZeros = 64;

}  // namespace

double CellTime(const FluxTrack& track) {
  if (track.intervals.size() < 100 || track.tick_ns <= 0) return 0;
  std::vector<int> bins(static_cast<std::size_t>(kMostIntervalNs / kBinNs) + 1);
  for (const std::uint32_t t : track.intervals) {
    const double ns = t * track.tick_ns;
    if (ns < kMostIntervalNs) ++bins[static_cast<std::size_t>(ns / kBinNs)];
  }
  const double enough = static_cast<double>(track.intervals.size()) * 0.03;
  std::size_t peak = 0;
  while (peak < bins.size() && bins[peak] < enough) ++peak;
  if (peak == bins.size()) return 0;
  while (peak + 1 < bins.size() && bins[peak + 1] >= bins[peak]) ++peak;
  const double centre = (static_cast<double>(peak) + 0.5) * kBinNs;
  double sum = 0;
  int count = 0;
  for (const std::uint32_t t : track.intervals) {
    const double ns = t * track.tick_ns;
    if (ns > centre * 0.8 && ns < centre * 1.2) sum += ns, ++count;
  }
  return count == 0 ? 0 : sum / count / 2;
}

TrackCells CellsOf(const FluxTrack& track, double cell_ns) {
  TrackCells out;
  out.cell_ns = cell_ns > 0 ? cell_ns : CellTime(track);
  if (out.cell_ns <= 0) return out;
  const bool indexed = track.index.size() >= 2;
  const std::size_t first = indexed ? track.index.front() : 0;
  const std::size_t last = indexed ? track.index.back() : track.intervals.size();
  out.cells.Reserve(track.intervals.size() * 3);
  double clock = out.cell_ns, time = 0;
  std::size_t next_index = 0;
  for (std::size_t k = 0; k < last; ++k) {
    const bool kept = k >= first;
    while (indexed && next_index < track.index.size() && track.index[next_index] <= k)
      ++next_index, out.index_cells.push_back(out.cells.size());
    time += track.intervals[k] * track.tick_ns;
    if (time < clock / 2) continue;  // a transition too soon after the last: one with it
    time -= clock;
    // The cells of 0 before this transition's 1: as many more clocks as fit.
    const double extra = time >= clock / 2 ? std::floor((time - clock / 2) / clock) + 1 : 0;
    time -= extra * clock;
    const int zeros = static_cast<int>(std::min<double>(extra, kMostZeros));
    if (kept) out.cells.PushZerosThenOne(static_cast<std::size_t>(zeros));
    // A long run of zeros says little of the speed: back towards the start.
    clock += zeros <= 3 ? time * kPeriodGain : (out.cell_ns - clock) * kPeriodGain;
    clock = std::clamp(clock, out.cell_ns * (1 - kMostDrift), out.cell_ns * (1 + kMostDrift));
    time *= kPhaseKept;
  }
  while (indexed && out.index_cells.size() < track.index.size())
    out.index_cells.push_back(out.cells.size());
  if (!indexed) out.index_cells = {0, out.cells.size()};
  return out;
}

FluxTrack FluxOf(const cells::Cells& cells, double cell_ns, double tick_ns, int revolutions) {
  FluxTrack out;
  out.tick_ns = tick_ns;
  double time = 0;
  for (int r = 0; r < revolutions; ++r) {
    out.index.push_back(out.intervals.size());
    for (std::size_t c = 0; c < cells.size(); ++c) {
      time += cell_ns;
      if (!cells.At(c)) continue;
      const double ticks = std::round(time / tick_ns);
      out.intervals.push_back(static_cast<std::uint32_t>(ticks));
      time -= ticks * tick_ns;
    }
  }
  out.index.push_back(out.intervals.size());
  return out;
}

std::vector<int> Histogram(const FluxTrack& track, int revolution, double bin_ns, double most_ns) {
  std::vector<int> bins(bin_ns > 0 ? static_cast<std::size_t>(most_ns / bin_ns) : 0);
  if (revolution < 0 || revolution >= track.revolutions() || bins.empty()) return bins;
  const std::size_t from = track.index[static_cast<std::size_t>(revolution)];
  const std::size_t to =
      std::min(track.index[static_cast<std::size_t>(revolution) + 1], track.intervals.size());
  for (std::size_t k = from; k < to; ++k) {
    const double ns = track.intervals[k] * track.tick_ns;
    if (ns < most_ns) ++bins[std::min(bins.size() - 1, static_cast<std::size_t>(ns / bin_ns))];
  }
  return bins;
}

}  // namespace trivane::flux
