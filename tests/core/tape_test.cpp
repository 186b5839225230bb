// Tapes: the real CAS files and the WAV recordings made from them, tapes
// made in the test and recorded with drift, noise, a reversed signal and a
// drop-out, and CAS and WAV written and read back.
#include "tape/tape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
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

}  // namespace
}  // namespace trivane::tape
