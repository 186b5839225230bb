// Tapes in WAV recordings: read through the decoders (wav_decode.h) on each
// channel, the channel that reads better kept; written as a clean signal:
// at 500 and 250 baud a pulse (one cycle of 250 us) at each cell's start
// and another in the middle of a 1, at 1500 baud one cycle a bit (a 1 at
// 2800 Hz, a 0 at 1400 Hz).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <tuple>

#include "tape/tape.h"
#include "tape/wav_decode.h"
#include "tape/wav_file.h"

namespace trivane::tape {
namespace {

constexpr float kLevel = 0.8f;

std::string Seconds(std::int64_t sample, int rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", static_cast<double>(sample) / rate);
  return text;
}

// What holds the program's byte: its block, or the header or end record.
std::string PartAt(const Program& p, std::size_t byte) {
  for (std::size_t k = 0; k < p.blocks.size(); ++k) {
    const Block& b = p.blocks[k];
    if (byte >= b.offset && byte < b.offset + 5 + b.data.size())
      return "block " + std::to_string(k + 1);
  }
  return "byte " + std::to_string(byte);
}

Program ProgramOf(const Segment& s, int rate) {
  Program p;
  SetBaud(p, s.baud);
  p.sync = s.sync;
  p.leader = (s.leader_bits + 4) / 8;  // the first cycle or two may go unheard
  p.bytes = s.bytes;
  p.at = s.start;
  Parse(p);
  for (const auto& [byte, sample] : s.dropouts)
    p.findings.push_back("a drop-out at " + Seconds(sample, rate) + " cut " + PartAt(p, byte));
  for (std::size_t byte : s.unframed)
    p.findings.push_back("byte " + std::to_string(byte) + " after the sync has no 0 start bit");
  return p;
}

std::vector<Program> ProgramsOf(const std::vector<float>& channel, int rate) {
  std::vector<Segment> segments = DecodePulses(channel, rate);
  for (Segment& s : DecodeCycles(channel, rate)) segments.push_back(std::move(s));
  std::sort(segments.begin(), segments.end(),
            [](const Segment& a, const Segment& b) { return a.start < b.start; });
  std::vector<Program> out;
  for (const Segment& s : segments) out.push_back(ProgramOf(s, rate));
  return out;
}

// Better: more programs without findings, then fewer findings, then more bytes.
std::tuple<int, int, std::size_t> Worth(const std::vector<Program>& programs) {
  int clean = 0, findings = 0;
  std::size_t bytes = 0;
  for (const Program& p : programs) {
    clean += p.findings.empty();
    findings += static_cast<int>(p.findings.size());
    bytes += p.bytes.size();
  }
  return {clean, -findings, bytes};
}

void Wave(std::vector<float>& out, double from, double period) {
  const auto first = static_cast<std::size_t>(std::ceil(from));
  const double end = from + period;
  if (out.size() < static_cast<std::size_t>(end) + 1) out.resize(static_cast<std::size_t>(end) + 1);
  for (std::size_t n = first; static_cast<double>(n) < end; ++n) {
    out[n] += kLevel * static_cast<float>(std::sin(2 * std::numbers::pi * (n - from) / period));
  }
}

// The program's bits: the leader, the sync, then its bytes (at 1500 baud
// each with its 0 start bit).
std::vector<int> Bits(const Program& p) {
  std::vector<int> bits;
  const auto byte = [&bits](std::uint8_t b) {
    for (int k = 7; k >= 0; --k) bits.push_back((b >> k) & 1);
  };
  for (int k = 0; k < p.leader; ++k) byte(p.leader_byte);
  byte(p.sync);
  for (std::uint8_t b : p.bytes) {
    if (p.baud == 1500) bits.push_back(0);
    byte(b);
  }
  return bits;
}

void Render(const Program& p, int rate, std::vector<float>& out) {
  double t = static_cast<double>(out.size());
  if (p.baud == 1500) {
    for (int bit : Bits(p)) {
      const double period = rate / (bit ? 2800.0 : 1400.0);
      Wave(out, t, period);
      t += period;
    }
    return;
  }
  const double cell = rate * (p.baud == 250 ? 0.004 : 0.002), pulse = rate * 0.00025;
  for (int bit : Bits(p)) {
    Wave(out, t, pulse);
    if (bit) Wave(out, t + cell / 2, pulse);
    t += cell;
  }
  out.resize(static_cast<std::size_t>(t));
}

}  // namespace

bool IsWav(std::span<const std::uint8_t> file) {
  return file.size() >= 12 && std::equal(file.begin(), file.begin() + 4, "RIFF") &&
         std::equal(file.begin() + 8, file.begin() + 12, "WAVE");
}

Tape ReadWav(std::span<const std::uint8_t> file) {
  Tape t;
  t.container = Container::kWav;
  const Samples s = ReadSamples(file);
  if (!s.error.empty()) {
    t.error = s.error;
    return t;
  }
  for (const std::vector<float>& channel : s.channels) {
    std::vector<Program> programs = ProgramsOf(channel, s.rate);
    if (t.programs.empty() || Worth(programs) > Worth(t.programs)) t.programs = std::move(programs);
  }
  if (t.programs.empty()) t.error = "no leader and sync were heard: no tape in the recording";
  return t;
}

std::vector<std::uint8_t> WriteWav(const Tape& tape, int rate) {
  std::vector<float> out(static_cast<std::size_t>(rate / 2), 0.0f);
  for (const Program& p : tape.programs) {
    Render(p, rate, out);
    out.resize(out.size() + static_cast<std::size_t>(rate / 2), 0.0f);
  }
  return WriteSamples(out, rate);
}

bool IsTape(std::span<const std::uint8_t> file) {
  return IsCas(file) || IsWav(file);
}

Tape ReadTape(std::span<const std::uint8_t> file) {
  if (IsWav(file)) return ReadWav(file);
  if (IsCas(file)) return ReadCas(file);
  Tape t;
  t.error = "neither a CAS file nor a WAV recording";
  return t;
}

}  // namespace trivane::tape
