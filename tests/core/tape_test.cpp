// Tapes: the real CAS files and the WAV recordings made from them, tapes
// made in the test and recorded with drift, noise, a reversed signal and a
// drop-out, and CAS and WAV written and read back.
#include "tape/tape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "tape/wav_file.h"

namespace trivane::tape {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), {});
}

std::vector<fs::path> RealCas() {
  std::vector<fs::path> out;
  const fs::path folder = TRIVANE_REAL_TAPES;
  if (!fs::exists(folder / "README.md")) return out;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().extension() == ".cas") out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(Tape, RealTapesReadAlikeFromTheirCasAndTheirWav) {
  const std::vector<fs::path> tapes = RealCas();
  if (tapes.empty()) GTEST_SKIP() << "the real tapes are not there";
  for (const fs::path& cas : tapes) {
    SCOPED_TRACE(cas.filename().string());
    const Bytes bytes = FileBytes(cas);
    const Tape a = ReadCas(bytes);
    fs::path wav = cas;
    const Tape b = ReadWav(FileBytes(wav.replace_extension(".wav")));
    ASSERT_EQ(a.programs.size(), 1u);
    ASSERT_EQ(b.programs.size(), 1u) << b.error;
    const Program& p = a.programs[0];
    EXPECT_EQ(p.kind, Kind::kSystem);
    EXPECT_TRUE(p.findings.empty()) << p.findings[0];
    EXPECT_EQ(p.BadChecksums(), 0);
    EXPECT_EQ(b.programs[0].bytes, p.bytes);
    EXPECT_EQ(b.programs[0].leader, p.leader);
    EXPECT_TRUE(b.programs[0].findings.empty()) << b.programs[0].findings[0];
    EXPECT_EQ(WriteCas(a), bytes);
    EXPECT_EQ(WriteCas(ReadWav(WriteWav(a))), bytes);
  }
}

// A SYSTEM program of a few blocks of varied bytes, and a BASIC one.
Tape Built(int baud) {
  std::vector<LoadBlock> blocks;
  std::mt19937 random(7);
  for (int k = 0; k < 4; ++k) {
    LoadBlock b{0x6000 + 256 * k, {}};
    for (int n = 0; n < (k == 3 ? 77 : 256); ++n)
      b.data.push_back(static_cast<std::uint8_t>(random()));
    blocks.push_back(b);
  }
  Tape t;
  t.programs.push_back(SystemProgram("GAME", blocks, 0x6003, baud));
  const Bytes basic = {0x0A, 0x68, 0x0A, 0x00, 0xB2, ' ', '"', 'H', 'I', '"', 0x00, 0x00, 0x00};
  t.programs.push_back(BasicProgram("A", basic, baud));
  return t;
}

// The tapes of the test: the real ones where they are, and one made here.
std::vector<Tape> Tapes() {
  std::vector<Tape> out = {Built(500)};
  for (const fs::path& cas : RealCas()) out.push_back(ReadCas(FileBytes(cas)));
  return out;
}

using Distort = std::function<void(std::vector<float>&, int rate)>;

Tape Recorded(const Tape& tape, const Distort& distort) {
  Samples s = ReadSamples(WriteWav(tape, 22050));
  distort(s.channels[0], s.rate);
  return ReadWav(WriteSamples(s.channels[0], s.rate));
}

// The speed from `from` to `to` times the written one across the tape.
Distort Speed(double from, double to) {
  return [=](std::vector<float>& x, int) {
    std::vector<float> out;
    for (double at = 0; at + 1 < static_cast<double>(x.size());) {
      const auto n = static_cast<std::size_t>(at);
      out.push_back(static_cast<float>(x[n] + (x[n + 1] - x[n]) * (at - static_cast<double>(n))));
      at += from + (to - from) * at / static_cast<double>(x.size());
    }
    x = std::move(out);
  };
}

void ExpectReadAsMade(const Tape& made, const Tape& read) {
  ASSERT_EQ(read.programs.size(), made.programs.size()) << read.error;
  for (std::size_t k = 0; k < made.programs.size(); ++k) {
    EXPECT_EQ(read.programs[k].bytes, made.programs[k].bytes) << "program " << k;
    EXPECT_TRUE(read.programs[k].findings.empty()) << read.programs[k].findings[0];
    EXPECT_EQ(read.programs[k].baud, made.programs[k].baud);
    EXPECT_EQ(read.programs[k].leader, made.programs[k].leader);
  }
}

TEST(Tape, RecordingsReadThroughDriftNoiseAndAReversedSignal) {
  const std::vector<std::pair<const char*, Distort>> ways = {
      {"4% fast", Speed(1.04, 1.04)},
      {"4% slow", Speed(0.96, 0.96)},
      {"drifting from 4% slow to 4% fast", Speed(0.96, 1.04)},
      {"noise 20 dB below the signal",
       [](std::vector<float>& x, int) {
         double power = 0;
         for (float v : x) power += v * v;
         std::mt19937 random(3);
         std::normal_distribution<float> noise(
             0, static_cast<float>(std::sqrt(power / x.size()) / 10));
         for (float& v : x) v += noise(random);
       }},
      {"reversed", [](std::vector<float>& x, int) {
         for (float& v : x) v = -v;
       }}};
  for (const Tape& tape : Tapes()) {
    for (const auto& [name, distort] : ways) {
      SCOPED_TRACE(name);
      ExpectReadAsMade(tape, Recorded(tape, distort));
    }
  }
}

TEST(Tape, ADropOutIsNamedAsTheBlockItCut) {
  for (const Tape& tape : Tapes()) {
    const Program& p = tape.programs[0];
    ASSERT_GE(p.blocks.size(), 2u);
    // At 500 baud every bit takes 2 ms: the middle of block 2 lies here.
    const std::size_t byte = p.blocks[1].offset + p.blocks[1].data.size() / 2;
    const Tape read = Recorded(tape, [&](std::vector<float>& x, int rate) {
      const auto at = static_cast<std::size_t>(rate / 2 + (p.leader + 1 + byte) * 8 * rate * 0.002);
      std::fill(x.begin() + static_cast<std::ptrdiff_t>(at),
                x.begin() + static_cast<std::ptrdiff_t>(at + rate / 1000), 0.0f);
    });
    ASSERT_EQ(read.programs.size(), tape.programs.size());
    const Program& q = read.programs[0];
    ASSERT_FALSE(q.findings.empty());
    for (const std::string& f : q.findings) EXPECT_NE(f.find("block 2"), std::string::npos) << f;
    EXPECT_EQ(q.blocks.size(), p.blocks.size());
    EXPECT_EQ(q.entry, p.entry);
  }
}

TEST(Tape, EverySpeedRoundTripsThroughCasAndWav) {
  for (int baud : {250, 500, 1500}) {
    SCOPED_TRACE(baud);
    const Tape made = Built(baud);
    const Bytes cas = WriteCas(made);
    const Tape read = ReadCas(cas);
    ASSERT_EQ(read.programs.size(), 2u);
    EXPECT_EQ(read.programs[0].bytes, made.programs[0].bytes);
    EXPECT_TRUE(read.programs[0].findings.empty()) << read.programs[0].findings[0];
    EXPECT_EQ(read.programs[1].kind, Kind::kBasic);
    for (int rate : {22050, 44100}) ExpectReadAsMade(made, ReadWav(WriteWav(made, rate)));
  }
  // A CAS does not tell 250 baud from 500.
  EXPECT_EQ(ReadCas(WriteCas(Built(250))).programs[0].baud, 500);
}

}  // namespace
}  // namespace trivane::tape
