// Flux dumps built in code (flux_images.h).
#include "builder/flux_images.h"

#include <string>

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
