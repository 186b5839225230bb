// KryoFlux stream files (flux.h), byte by byte: 00-07 a two-byte flux
// (the byte's low bits high), 08-0A padding of one to three bytes, 0B 65,536
// added to the next flux, 0C a flux in the next two bytes (high first), 0D
// an out-of-band block (type, a two-byte little-endian size, its payload:
// 2 an index with the stream position of the flux it fell in, 4 text such
// as "sck=24027428.57", 0D the file's end), 0E-FF a one-byte flux. Stream
// positions count the bytes outside the out-of-band blocks.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "flux/flux.h"

namespace trivane::flux {
namespace {

constexpr double kUsualClockHz = 24027428.5714285;
constexpr std::uint8_t kNop1 = 0x08, kOvl16 = 0x0B, kFlux3 = 0x0C, kOob = 0x0D, kFlux1 = 0x0E;
constexpr std::uint8_t kOobIndex = 0x02, kOobText = 0x04, kOobEnd = 0x0D;

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// The sample clock of a text block's "sck=": 0 when it names none.
double ClockOf(std::span<const std::uint8_t> text) {
  const std::string s(text.begin(), text.end());
  const std::size_t at = s.find("sck=");
  if (at == std::string::npos) return 0;
  const double hz = std::strtod(s.c_str() + at + 4, nullptr);
  return hz > 1e6 && hz < 1e9 ? hz : 0;
}

struct Reader {
  std::span<const std::uint8_t> s;
  FluxTrack track;
  std::vector<std::uint32_t> index_positions;
  std::vector<std::size_t> starts;  // each flux's stream position
  double clock_hz = 0;
  std::size_t at = 0, position = 0;  // position: outside the out-of-band blocks
  std::uint32_t overflow = 0;
  bool ended = false;

  // An out-of-band block at `at`; false when it runs past the file.
  bool OutOfBand() {
    if (at + 4 > s.size()) return false;
    const std::uint8_t type = s[at + 1];
    if (type == kOobEnd) return ended = true;
    const std::size_t size = s[at + 2] | s[at + 3] << 8;
    if (at + 4 + size > s.size()) return false;
    const auto payload = s.subspan(at + 4, size);
    if (type == kOobIndex && size >= 4) index_positions.push_back(Le32(payload, 0));
    if (type == kOobText && clock_hz == 0) clock_hz = ClockOf(payload);
    at += 4 + size;
    return true;
  }

  void Flux(std::uint32_t value, std::size_t bytes) {
    starts.push_back(position);
    track.intervals.push_back(value + overflow);
    overflow = 0;
    at += bytes, position += bytes;
  }

  // One element at `at`; false when the file ends inside it.
  bool Step() {
    const std::uint8_t b = s[at];
    const std::size_t left = s.size() - at;
    if (b >= kFlux1) return Flux(b, 1), true;
    if (b < kNop1)
      return left >= 2 && (Flux(static_cast<std::uint32_t>(b) << 8 | s[at + 1], 2), true);
    if (b == kFlux3) return left >= 3 && (Flux(s[at + 1] << 8 | s[at + 2], 3), true);
    if (b == kOob) return OutOfBand();
    if (b == kOvl16) overflow += 0x10000, ++at, ++position;
    if (b < kOvl16 && b >= kNop1) {
      const std::size_t skip = static_cast<std::size_t>(b - kNop1) + 1;
      if (left < skip) return false;
      at += skip, position += skip;
    }
    return true;
  }
};

}  // namespace

FluxTrack ReadKryoFluxStream(std::span<const std::uint8_t> stream) {
  Reader r{stream, {}, {}, {}, 0, 0, 0, 0, false};
  while (r.at < stream.size() && !r.ended) {
    if (!r.Step()) {
      r.track.findings.push_back("the stream is cut at byte " + std::to_string(r.at));
      break;
    }
  }
  // An index block follows the flux it fell in, which it names by its
  // stream position; one past the last flux falls at the end.
  for (const std::uint32_t p : r.index_positions) {
    const auto at = std::lower_bound(r.starts.begin(), r.starts.end(), std::size_t{p});
    r.track.index.push_back(static_cast<std::size_t>(at - r.starts.begin()));
  }
  r.track.tick_ns = 1e9 / (r.clock_hz > 0 ? r.clock_hz : kUsualClockHz);
  return r.track;
}

}  // namespace trivane::flux
