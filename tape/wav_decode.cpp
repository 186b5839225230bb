// Samples to the bytes on the tape (what is read is in wav_decode.h).
#include "tape/wav_decode.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace trivane::tape {
namespace {

constexpr int kLeaderRun = 64;  // cells (or cycles) alike before a leader is believed
constexpr int kLeastLeaderBits = 32;

// The signal with its slow drift taken out (a mean over about 4 ms) and
// smoothed over a tenth of a millisecond, how loud it is around each
// sample (the peak, halving in 20 ms), and the least a pulse must reach.
struct Signal {
  std::vector<float> y, loud;
  float floor = 0;
};

Signal Condition(const std::vector<float>& x, int rate) {
  Signal s;
  const float follow = 1.0f / (static_cast<float>(rate) * 0.004f);
  const std::size_t smooth = std::max(1, rate / 10000);
  const float decay = std::exp(-0.693f / (static_cast<float>(rate) * 0.02f));
  s.y.resize(x.size());
  s.loud.resize(x.size());
  float mean = x.empty() ? 0 : x[0], sum = 0, loud = 0;
  std::vector<float> centred(x.size());
  for (std::size_t n = 0; n < x.size(); ++n) {
    mean += (x[n] - mean) * follow;
    centred[n] = x[n] - mean;
    sum += centred[n] - (n >= smooth ? centred[n - smooth] : 0.0f);
    s.y[n] = sum / static_cast<float>(smooth);
    loud = std::max(std::fabs(s.y[n]), loud * decay);
    s.loud[n] = loud;
  }
  std::vector<float> a(s.y.size());
  std::transform(s.y.begin(), s.y.end(), a.begin(), [](float v) { return std::fabs(v); });
  if (!a.empty()) {
    const auto at = a.begin() + static_cast<std::ptrdiff_t>(a.size() * 999 / 1000);
    std::nth_element(a.begin(), at, a.end());
    s.floor = *at * 0.12f;
  }
  return s;
}

// Where each pulse starts: loud enough, after a quiet spell and at least
// 0.4 ms after the last (a pulse's two halves are one pulse).
std::vector<double> PulseStarts(const Signal& s, int rate) {
  const int quiet_needed = std::max(1, static_cast<int>(rate * 0.00015));
  const auto dead = static_cast<std::int64_t>(rate * 0.0004);
  std::vector<double> out;
  std::int64_t last = -dead - 1;
  int quiet = quiet_needed;
  for (std::size_t n = 0; n < s.y.size(); ++n) {
    const float threshold = std::max(0.3f * s.loud[n], s.floor);
    if (std::fabs(s.y[n]) <= threshold) {
      ++quiet;
      continue;
    }
    const auto at = static_cast<std::int64_t>(n);
    if (quiet >= quiet_needed && at - last >= dead)
      out.push_back(static_cast<double>(at)), last = at;
    quiet = 0;
  }
  return out;
}

// The first run of intervals alike (within an eighth) at or after `from`,
// each a cell of 1.2 to 6 ms: its first pulse and the mean interval.
std::optional<std::pair<std::size_t, double>> FindLeader(const std::vector<double>& t,
                                                         std::size_t from, int rate) {
  std::size_t start = from;
  double sum = 0;
  int n = 0;
  for (std::size_t k = from; k + 1 < t.size(); ++k) {
    const double d = t[k + 1] - t[k];
    const bool cell = d >= rate * 0.0012 && d <= rate * 0.006;
    if (!cell || (n > 0 && std::fabs(d - sum / n) > sum / n / 8)) {
      sum = 0, n = 0;
      if (!cell) continue;
    }
    if (n == 0) start = k;
    sum += d;
    if (++n >= kLeaderRun) return std::make_pair(start, sum / n);
  }
  return std::nullopt;
}

// Bit cells from a clock pulse on: a pulse near the middle is a 1; the
// next clock is the pulse nearest a cell on, or where it should have been
// when there is none (a drop-out).
class PulseCells {
 public:
  PulseCells(const std::vector<double>& t, std::size_t first, double cell)
      : t_(t), next_(first + 1), clock_(t[first]), cell_(cell), base_(cell) {}
  // The next bit, -1 where the pulses end; `lost` when its clock was missing.
  int Next(bool& lost);
  double clock() const { return clock_; }
  double last_real() const { return last_real_; }
  std::size_t next() const { return next_; }

 private:
  const std::vector<double>& t_;
  std::size_t next_;
  double clock_, cell_, base_;
  double last_real_ = clock_;
  int missing_ = 0;
};

int PulseCells::Next(bool& lost) {
  lost = false;
  if (missing_ > 3) return -1;
  while (next_ < t_.size() && t_[next_] < clock_ + 0.25 * cell_) ++next_;
  if (next_ >= t_.size() || t_[next_] > clock_ + 3 * cell_) {
    missing_ = 4;
    return 0;  // the last cell
  }
  int bit = 0;
  while (next_ < t_.size() && t_[next_] < clock_ + 0.75 * cell_) bit = 1, ++next_;
  if (next_ < t_.size() && t_[next_] <= clock_ + 1.25 * cell_) {
    const double d = t_[next_] - clock_;
    if (missing_ == 0) cell_ = std::clamp(cell_ + (d - cell_) / 8, 0.75 * base_, 1.25 * base_);
    clock_ = last_real_ = t_[next_++];
    missing_ = 0;
  } else {
    clock_ += cell_;
    lost = true;
    ++missing_;
  }
  return bit;
}

// The bits of one leader on: the sync once it follows 32 0 bits or more,
// then bytes to the pulses' end.
Segment ReadPulseSegment(const std::vector<double>& t, std::size_t first, double cell,
                         std::size_t& resume) {
  Segment seg;
  seg.start = static_cast<std::int64_t>(t[first]);
  PulseCells cells(t, first, cell);
  std::uint64_t history = 0;
  int seen = 0, bits = -1;  // bits after the sync; -1 before it
  bool lost = false;
  for (int bit = cells.Next(lost); bit >= 0; bit = cells.Next(lost)) {
    if (bits < 0) {
      history = history << 1 | static_cast<unsigned>(bit);
      ++seen;
      if ((history & 0xFFFFFFFFFFull) == 0xA5 && seen >= kLeastLeaderBits + 8) {
        bits = 0;
        seg.leader_bits = seen - 8;
      }
      continue;
    }
    if (bits % 8 == 0) seg.bytes.push_back(0);
    seg.bytes.back() = static_cast<std::uint8_t>(seg.bytes.back() << 1 | bit);
    if (lost)
      seg.dropouts.emplace_back(seg.bytes.size() - 1, static_cast<std::int64_t>(cells.clock()));
    ++bits;
  }
  if (bits > 0 && bits % 8 != 0) seg.bytes.pop_back();
  // A clock missing after the last is the recording's end, not a drop-out.
  std::erase_if(seg.dropouts, [&](const auto& d) {
    return d.first >= seg.bytes.size() || static_cast<double>(d.second) >= cells.last_real();
  });
  resume = cells.next();
  return seg;
}

}  // namespace

std::vector<Segment> DecodePulses(const std::vector<float>& samples, int rate) {
  const std::vector<double> t = PulseStarts(Condition(samples, rate), rate);
  std::vector<Segment> out;
  std::size_t from = 0;
  while (const auto leader = FindLeader(t, from, rate)) {
    std::size_t resume = leader->first + 1;
    Segment seg = ReadPulseSegment(t, leader->first, leader->second, resume);
    seg.baud = leader->second > rate * 0.003 ? 250 : 500;
    if (!seg.bytes.empty()) out.push_back(std::move(seg));
    from = std::max(resume, leader->first + 1);
  }
  return out;
}

namespace {

// Rising crossings of the middle (after the signal was below it by the
// hysteresis), between samples.
std::vector<double> Crossings(const Signal& s) {
  std::vector<double> out;
  bool low = false;
  for (std::size_t n = 1; n < s.y.size(); ++n) {
    const float h = std::max(0.25f * s.loud[n], s.floor);
    if (s.y[n] < -h) low = true;
    if (low && s.y[n - 1] < 0 && s.y[n] >= 0) {
      const double f = s.y[n - 1] / static_cast<double>(s.y[n - 1] - s.y[n]);
      out.push_back(static_cast<double>(n - 1) + f);
      low = false;
    }
  }
  return out;
}

// The first run of cycles short and long by turns (a 55 leader), each of
// 0.2 to 1.2 ms: its first crossing and the short and long cycles' mean.
std::optional<std::size_t> FindCycleLeader(const std::vector<double>& c, std::size_t from, int rate,
                                           double& shortest, double& longest) {
  int n = 0;
  double s = 0, l = 0;
  for (std::size_t k = from; k + 2 < c.size(); ++k) {
    const double a = c[k + 1] - c[k], b = c[k + 2] - c[k + 1];
    const double lo = std::min(a, b), hi = std::max(a, b), ratio = lo > 0 ? hi / lo : 0;
    const bool pair = lo >= rate * 0.0002 && hi <= rate * 0.0012 && ratio > 1.5 && ratio < 2.6;
    if (!pair || (n > 0 && (std::fabs(lo - s / n) > s / n / 6))) {
      n = 0, s = 0, l = 0;
      if (!pair) continue;
    }
    s += lo, l += hi;
    if (++n >= kLeaderRun) {
      shortest = s / n, longest = l / n;
      return k + 2 - static_cast<std::size_t>(n);
    }
  }
  return std::nullopt;
}

Segment ReadCycleSegment(const std::vector<double>& c, std::size_t first, double shortest,
                         double longest, std::size_t& resume) {
  Segment seg;
  seg.baud = 1500;
  seg.sync = 0x7F;
  seg.start = static_cast<std::int64_t>(c[first]);
  std::uint32_t history = 0;
  int seen = 0, bits = -1;
  std::size_t k = first;
  for (; k + 1 < c.size(); ++k) {
    const double d = c[k + 1] - c[k];
    if (d > 3 * longest) break;
    const int bit = d < (shortest + longest) / 2 ? 1 : 0;
    if (d < 1.5 * longest) {
      (bit ? shortest : longest) += (d - (bit ? shortest : longest)) / 8;
    } else if (bits >= 0) {
      seg.dropouts.emplace_back(static_cast<std::size_t>(bits / 9),
                                static_cast<std::int64_t>(c[k]));
    }
    if (bits < 0) {
      history = history << 1 | static_cast<unsigned>(bit);
      ++seen;
      if ((history & 0xFFFF) == 0x557F && seen >= kLeastLeaderBits + 8)
        bits = 0, seg.leader_bits = seen - 8;
      continue;
    }
    if (bits % 9 == 0) {
      if (bit != 0) seg.unframed.push_back(seg.bytes.size());
      seg.bytes.push_back(0);
    } else {
      seg.bytes.back() = static_cast<std::uint8_t>(seg.bytes.back() << 1 | bit);
    }
    ++bits;
  }
  if (bits > 0 && bits % 9 != 0) seg.bytes.pop_back();
  resume = k + 1;
  return seg;
}

}  // namespace

std::vector<Segment> DecodeCycles(const std::vector<float>& samples, int rate) {
  const std::vector<double> c = Crossings(Condition(samples, rate));
  std::vector<Segment> out;
  std::size_t from = 0;
  double shortest = 0, longest = 0;
  while (const auto first = FindCycleLeader(c, from, rate, shortest, longest)) {
    std::size_t resume = *first + 1;
    // The run was believed some cycles in: its start is where cycles of
    // either length begin.
    std::size_t start = *first;
    const auto alike = [&](double d) {
      return std::fabs(d - shortest) < shortest / 4 || std::fabs(d - longest) < longest / 4;
    };
    while (start > from && alike(c[start] - c[start - 1])) --start;
    Segment seg = ReadCycleSegment(c, start, shortest, longest, resume);
    if (!seg.bytes.empty()) out.push_back(std::move(seg));
    from = std::max(resume, *first + 1);
  }
  return out;
}

}  // namespace trivane::tape
