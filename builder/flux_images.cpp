// Flux dumps built in code (flux_images.h).
#include "builder/flux_images.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "disk/track_writers.h"

namespace trivane::build {
namespace {

void OutOfBand(Bytes& out, std::uint8_t type, const Bytes& payload) {
  out.insert(out.end(), {0x0D, type, static_cast<std::uint8_t>(payload.size() & 0xFF),
                         static_cast<std::uint8_t>(payload.size() >> 8)});
  out.insert(out.end(), payload.begin(), payload.end());
}

// A flux value as the stream stores it.
void Value(Bytes& out, std::uint32_t v) {
  for (; v >= 0x10000; v -= 0x10000) out.push_back(0x0B);
  const auto high = static_cast<std::uint8_t>(v >> 8), low = static_cast<std::uint8_t>(v & 0xFF);
  if (v >= 0x0E && v <= 0xFF) {
    out.push_back(low);
  } else if (v < 0x0800) {
    out.insert(out.end(), {high, low});  // 00-07: the value's high bits
  } else {
    out.insert(out.end(), {0x0C, high, low});
  }
}

}  // namespace

Bytes KryoFluxStream(const flux::FluxTrack& track) {
  Bytes out;
  const std::string text = "sck=" + std::to_string(1e9 / track.tick_ns);
  OutOfBand(out, 0x04, Bytes(text.begin(), text.end()));
  std::size_t position = 0, next_index = 0;
  std::vector<Bytes> blocks;  // the index blocks due after the next flux
  for (std::size_t k = 0; k <= track.intervals.size(); ++k) {
    for (; next_index < track.index.size() && track.index[next_index] == k; ++next_index) {
      Bytes payload(12, 0);
      for (int b = 0; b < 4; ++b)
        payload[static_cast<std::size_t>(b)] = (position >> (8 * b)) & 0xFF;
      blocks.push_back(payload);
    }
    if (k < track.intervals.size()) {
      const std::size_t before = out.size();
      Value(out, track.intervals[k]);
      position += out.size() - before;
    }
    for (const Bytes& b : blocks) OutOfBand(out, 0x02, b);
    blocks.clear();
  }
  out.insert(out.end(), {0x0D, 0x0D, 0x0D, 0x0D});
  return out;
}

}  // namespace trivane::build

namespace trivane::build {

flux::FluxTrack Worn(const cells::Cells& cells, int revolutions, std::mt19937& random) {
  flux::FluxTrack t = flux::FluxOf(cells, 2000, 25, revolutions);
  std::normal_distribution<double> jitter(0, 60);
  for (int r = 0; r < revolutions; ++r) {
    const std::size_t from = t.index[static_cast<std::size_t>(r)],
                      to = t.index[static_cast<std::size_t>(r) + 1];
    for (std::size_t k = from; k < to; ++k) {
      const double turn =
          2 * std::numbers::pi * static_cast<double>(k - from) / static_cast<double>(to - from);
      const double ns = t.intervals[k] * 25.0 * (1 + 0.03 * std::sin(turn + r)) + jitter(random);
      t.intervals[k] = static_cast<std::uint32_t>(std::max(25.0, ns) / 25);
    }
  }
  return t;
}

Bytes WornScp(const disk::Disk& disk, int revolutions, std::mt19937& random) {
  std::vector<flux::ScpTrack> tracks;
  for (int c = 0; c < disk.cylinders; ++c) {
    for (int h = 0; h < disk.heads; ++h)
      tracks.push_back(
          {c, h, 0, Worn(disk::TrackCellsOf(disk, c, h, 100000, true), revolutions, random)});
  }
  if (tracks.size() > static_cast<std::size_t>(2 * disk.heads)) {
    flux::FluxTrack& spoilt = tracks[static_cast<std::size_t>(2 * disk.heads)].flux;
    const std::size_t middle = (spoilt.index[0] + spoilt.index[1]) / 2;
    for (std::size_t k = middle; k < middle + 2000 && k < spoilt.intervals.size(); ++k)
      spoilt.intervals[k] += 40;
  }
  return flux::WriteScp(tracks);
}

}  // namespace trivane::build
