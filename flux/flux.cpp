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

// The intervals from `from` to `to` shorter than most_ns, counted by their
// ticks: the histograms and the cell time are made from these counts.
std::vector<std::uint32_t> ByTicks(const FluxTrack& track, std::size_t from, std::size_t to,
                                   double most_ns) {
  const double limit = std::ceil(most_ns / track.tick_ns);
  std::vector<std::uint32_t> counts(limit < 1e6 ? static_cast<std::size_t>(limit) : 1000000);
  for (std::size_t k = from; k < to; ++k)
    if (track.intervals[k] < counts.size()) ++counts[track.intervals[k]];
  return counts;
}

// The counts by ticks gathered into bins of bin_ns (the last taking what
// rounding puts past it).
template <typename Bin>
void Gather(const std::vector<std::uint32_t>& by_ticks, double tick_ns, double bin_ns,
            std::vector<Bin>& bins) {
  for (std::size_t t = 0; t < by_ticks.size(); ++t)
    bins[std::min(bins.size() - 1, static_cast<std::size_t>(t * tick_ns / bin_ns))] +=
        static_cast<Bin>(by_ticks[t]);
}

}  // namespace

double CellTime(const FluxTrack& track) {
  if (track.intervals.size() < 100 || track.tick_ns <= 0) return 0;
  const std::vector<std::uint32_t> by_ticks =
      ByTicks(track, 0, track.intervals.size(), kMostIntervalNs);
  std::vector<double> bins(static_cast<std::size_t>(kMostIntervalNs / kBinNs) + 1);
  Gather(by_ticks, track.tick_ns, kBinNs, bins);
  const double enough = static_cast<double>(track.intervals.size()) * 0.03;
  std::size_t peak = 0;
  while (peak < bins.size() && bins[peak] < enough) ++peak;
  if (peak == bins.size()) return 0;
  while (peak + 1 < bins.size() && bins[peak + 1] >= bins[peak]) ++peak;
  const double centre = (static_cast<double>(peak) + 0.5) * kBinNs / track.tick_ns;
  double sum = 0, count = 0;
  for (std::size_t t = 0; t < by_ticks.size(); ++t) {
    const auto ticks = static_cast<double>(t);
    if (ticks > centre * 0.8 && ticks < centre * 1.2)
      sum += ticks * by_ticks[t], count += by_ticks[t];
  }
  return count == 0 ? 0 : sum * track.tick_ns / count / 2;
}

namespace {

// The loop's state: the cell time it follows and where in a cell the head
// is; each transition's time gives the cells of 0 before its 1. Times are
// kept in 2^-16 ns, in integers, so that each step waits on few cycles.
class Loop {
 public:
  Loop(double cell_ns, double tick_ns)
      : tick_(Fixed(tick_ns)),
        start_(std::max<std::int64_t>(Fixed(cell_ns), 2)),
        inverse_((std::int64_t{1} << 46) / start_),
        low_(std::max<std::int64_t>(Fixed(cell_ns * (1 - kMostDrift)), 1)),
        high_(std::max(Fixed(cell_ns * (1 + kMostDrift)), start_)),
        clock_(start_) {}
  // The cells of 0 before this transition's 1; -1 for a transition too
  // soon after the last (less than half a cell), taken as one with it.
  int Zeros(std::uint32_t ticks) {
    const std::int64_t time = time_ + ticks * tick_;
    std::int64_t rest = 0;
    const std::int64_t cells = CellsIn(time, rest);
    if (cells == 0) {
      time_ = time;
      return -1;
    }
    // A long run of zeros says little of the speed: back towards the start.
    clock_ += ((cells <= 4 ? rest : start_ - clock_) * kGain) >> 16;
    clock_ = std::clamp(clock_, low_, high_);
    time_ = (rest * kKept) >> 16;
    return cells <= kMostZeros ? static_cast<int>(cells) - 1 : kMostZeros;
  }

 private:
  static constexpr std::int64_t kGain = static_cast<std::int64_t>(kPeriodGain * 65536 + 0.5),
                                kKept = static_cast<std::int64_t>(kPhaseKept * 65536 + 0.5);
  static std::int64_t Fixed(double ns) {
    return ns > 0 && ns < 1e9 ? static_cast<std::int64_t>(ns * 65536 + 0.5) : 0;
  }
  // The cells in `time` (at least a fifth of a cell below 0) to the
  // nearest, and what is left over: guessed at the starting cell time,
  // then set right by the clock followed, so that no division waits on
  // the transition before, but on long runs of zeros.
  std::int64_t CellsIn(std::int64_t time, std::int64_t& rest) const {
    const std::int64_t half = clock_ / 2;
    if (time > 2 * kMostZeros * start_) {
      const std::int64_t cells = (time + half) / clock_;
      rest = time - cells * clock_;
      return cells;
    }
    std::int64_t cells = (time * inverse_ + (std::int64_t{1} << 45)) >> 46;
    rest = time - cells * clock_;
    for (; rest >= half; ++cells) rest -= clock_;
    for (; cells > 0 && rest < -half; --cells) rest += clock_;
    return cells;
  }
  std::int64_t tick_, start_, inverse_, low_, high_, clock_, time_ = 0;
};

// Cells set one transition at a time into bytes kept ahead of them: room
// is made before a run of transitions, so that setting them calls nothing.
struct CellWriter {
  std::vector<std::uint8_t> bytes;
  std::size_t count = 0;
  void Room(std::size_t transitions) {
    const std::size_t need = (count + transitions * (kMostZeros + 1)) / 8 + 1;
    if (need > bytes.size()) bytes.resize(std::max(need, bytes.size() * 2), 0);
  }
  void ZerosThenOne(std::uint8_t* data, int zeros) {
    count += static_cast<std::size_t>(zeros);
    data[count >> 3] |= static_cast<std::uint8_t>(0x80 >> (count & 7));
    ++count;
  }
};

// The cells of intervals from k to `to`, at tick_ns each.
void Run(const std::vector<std::uint32_t>& intervals, std::size_t& k, std::size_t to, bool keep,
         Loop& loop, CellWriter& w) {
  constexpr std::size_t kChunk = 1024;
  while (k < to) {
    const std::size_t end = std::min(to, k + kChunk);
    if (keep) w.Room(end - k);
    Loop l = loop;  // kept in registers over the chunk
    std::uint8_t* data = w.bytes.data();
    for (; k < end; ++k) {
      const int zeros = l.Zeros(intervals[k]);
      if (zeros >= 0 && keep) w.ZerosThenOne(data, zeros);
    }
    loop = l;
  }
}

}  // namespace

TrackCells CellsOf(const FluxTrack& track, double cell_ns) {
  TrackCells out;
  out.cell_ns = cell_ns > 0 ? cell_ns : CellTime(track);
  if (out.cell_ns <= 0) return out;
  // The loop locks on before the first index, then keeps every cell to the
  // last; without two index marks it keeps every cell.
  std::vector<std::size_t> ends = track.index;
  if (ends.size() < 2) ends = {0, track.intervals.size()};
  Loop loop(out.cell_ns, track.tick_ns);
  CellWriter w;
  std::size_t k = 0;
  for (const std::size_t end : ends) {
    Run(track.intervals, k, std::min(end, track.intervals.size()), !out.index_cells.empty(), loop,
        w);
    out.index_cells.push_back(w.count);
  }
  out.cells = cells::Cells::FromPacked(std::move(w.bytes), w.count);
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
  if (track.tick_ns > 0) Gather(ByTicks(track, from, to, most_ns), track.tick_ns, bin_ns, bins);
  return bins;
}

}  // namespace trivane::flux
