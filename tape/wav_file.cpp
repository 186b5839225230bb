// WAV files read to samples and written from them (layout in wav_file.h).
#include "tape/wav_file.h"

#include <algorithm>
#include <cstring>

namespace trivane::tape {
namespace {

constexpr int kPcm = 1, kExtensible = 0xFFFE;

std::uint32_t U32(std::span<const std::uint8_t> f, std::size_t at) {
  if (at + 4 > f.size()) return 0;
  return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<std::uint32_t>(f[at + 3]) << 24;
}

int U16(std::span<const std::uint8_t> f, std::size_t at) {
  return at + 2 > f.size() ? 0 : f[at] | f[at + 1] << 8;
}

bool Id(std::span<const std::uint8_t> f, std::size_t at, const char* id) {
  return at + 4 <= f.size() && std::memcmp(f.data() + at, id, 4) == 0;
}

struct Format {
  int tag = 0, channels = 0, rate = 0, bits = 0;
};

std::string WhyNot(const Format& f) {
  if (f.tag != kPcm && f.tag != kExtensible) return "not PCM samples";
  if (f.channels < 1 || f.channels > 2) return std::to_string(f.channels) + " channels";
  if (f.bits != 8 && f.bits != 16) return std::to_string(f.bits) + "-bit samples";
  if (f.rate < 4000 || f.rate > 192000) return "a sample rate of " + std::to_string(f.rate);
  return "";
}

void Frames(std::span<const std::uint8_t> data, const Format& f, Samples& out) {
  const std::size_t bytes = static_cast<std::size_t>(f.bits / 8);
  const std::size_t frame = bytes * static_cast<std::size_t>(f.channels);
  const std::size_t frames = data.size() / frame;
  out.channels.assign(static_cast<std::size_t>(f.channels), std::vector<float>(frames));
  for (std::size_t n = 0; n < frames; ++n) {
    for (std::size_t c = 0; c < out.channels.size(); ++c) {
      const std::size_t at = n * frame + c * bytes;
      out.channels[c][n] = bytes == 1
                               ? (data[at] - 128) / 128.0f
                               : static_cast<std::int16_t>(data[at] | data[at + 1] << 8) / 32768.0f;
    }
  }
}

}  // namespace

Samples ReadSamples(std::span<const std::uint8_t> file) {
  Samples out;
  if (!Id(file, 0, "RIFF") || !Id(file, 8, "WAVE")) {
    out.error = "not a WAV file";
    return out;
  }
  Format f;
  bool have_format = false;
  for (std::size_t at = 12; at + 8 <= file.size();) {
    const std::size_t size = U32(file, at + 4);
    const std::size_t body = at + 8, held = std::min(size, file.size() - body);
    if (Id(file, at, "fmt ")) {
      f = {U16(file, body), U16(file, body + 2), static_cast<int>(U32(file, body + 4)),
           U16(file, body + 14)};
      have_format = true;
    } else if (Id(file, at, "data")) {
      out.error = have_format ? WhyNot(f) : "no format before the samples";
      if (!out.error.empty()) return out;
      out.rate = f.rate;
      Frames(file.subspan(body, held), f, out);
      return out;
    }
    at = body + held + (held % 2);
  }
  out.error = "no samples in the WAV file";
  return out;
}

std::vector<std::uint8_t> WriteSamples(const std::vector<float>& samples, int rate) {
  const auto u32 = [](std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int k = 0; k < 4; ++k) v.push_back(static_cast<std::uint8_t>(x >> (8 * k)));
  };
  std::vector<std::uint8_t> out = {'R', 'I', 'F', 'F'};
  u32(out, static_cast<std::uint32_t>(36 + samples.size() + samples.size() % 2));
  for (char c : std::string("WAVEfmt ")) out.push_back(static_cast<std::uint8_t>(c));
  u32(out, 16);
  out.insert(out.end(), {1, 0, 1, 0});  // PCM, one channel
  u32(out, static_cast<std::uint32_t>(rate));
  u32(out, static_cast<std::uint32_t>(rate));
  out.insert(out.end(), {1, 0, 8, 0});  // a byte a frame, 8 bits
  for (char c : std::string("data")) out.push_back(static_cast<std::uint8_t>(c));
  u32(out, static_cast<std::uint32_t>(samples.size()));
  for (float s : samples) {
    out.push_back(static_cast<std::uint8_t>(std::clamp(128.0f + s * 127.0f, 0.0f, 255.0f)));
  }
  if (samples.size() % 2 != 0) out.push_back(128);
  return out;
}

}  // namespace trivane::tape
