// Flux: the real flux drive's dump read to the sectors of its sector image
// (and of its HFE and IMD twins); TRS-80 disks made into flux with a drive's
// speed drift and jitter and a revolution damaged, read back through SCP;
// a KryoFlux stream's elements one by one.
#include "flux/flux.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>

#include "builder/flux_images.h"
#include "disk/container.h"
#include "disk/flux_tracks.h"
#include "disk/track_writers.h"
#include "ops/convert.h"
#include "ops/open.h"
#include "present/flux_view.h"

namespace trivane::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

disk::Disk ReadFile(const fs::path& file) {
  return disk::ReadDisk(ImageBuffer(Slurp(file)));
}

void ExpectPeaks(const std::vector<double>& peaks, const std::vector<double>& expected) {
  ASSERT_EQ(peaks.size(), expected.size());
  for (std::size_t k = 0; k < peaks.size(); ++k) EXPECT_NEAR(peaks[k], expected[k], 0.25);
}

TEST(Flux, TheRealDumpReadsAsItsSectorImage) {
  const fs::path dir = TRIVANE_REAL_FLUX;
  if (!fs::exists(dir / "README.md")) GTEST_SKIP() << dir << " is not there";
  const ops::OpenedImage dump =
      ops::OpenImage(dir / "sector_test_360k.kryoflux", ops::Purpose::kWindow);
  ASSERT_EQ(dump.error, "");
  const disk::Disk& d = dump.disk;
  EXPECT_EQ(d.container, disk::Container::kKryoFlux);
  EXPECT_EQ(d.cylinders, 40);
  EXPECT_EQ(d.heads, 2);
  const std::vector<std::uint8_t> img = Slurp(dir / "sector_test_360k.img");
  const disk::FluxState* state = disk::FluxStateOf(d);
  ASSERT_NE(state, nullptr);
  ASSERT_EQ(d.sectors.size(), 720u);
  int equal = 0;
  for (std::size_t k = 0; k < d.sectors.size(); ++k) {
    const disk::Sector& s = d.sectors[k];
    const std::size_t at = ((s.cylinder * 2u + s.head) * 9u + s.id_sector - 1u) * 512u;
    const std::vector<std::uint8_t> data = disk::SectorData(d, s);
    equal += s.data_crc == disk::Check::kGood && data.size() == 512 &&
             std::equal(data.begin(), data.end(), img.begin() + static_cast<long>(at));
    // Every revolution of the real drive read every sector good.
    EXPECT_EQ(state->revolutions[k].good.size(),
              static_cast<std::size_t>(state->revolutions[k].of));
  }
  EXPECT_EQ(equal, 720);
  // The flux track view: MFM at 250 kbit/s peaks at 2, 3 and 4 cells of 2 µs.
  const present::FluxView view(d);
  ASSERT_EQ(view.TrackNames().size(), 80u);
  EXPECT_EQ(view.TrackNames()[3], "cylinder 1 head 1");
  EXPECT_EQ(view.RevolutionNames(3).size(), static_cast<std::size_t>(state->revolutions[0].of));
  ExpectPeaks(view.Peaks(3, 1), {4, 6, 8});
  EXPECT_NE(view.Caption(3, 1).find("; peaks at 4."), std::string::npos) << view.Caption(3, 1);
  EXPECT_EQ(present::RevolutionsLegend(d), "good on some revolutions 0");
  EXPECT_EQ(d.problems, std::vector<std::string>{});
  for (const char* twin : {"sector_test_360k.hfe", "sector_test_360k.imd"})
    EXPECT_EQ(ops::CompareSectors(ReadFile(dir / twin), d, {}), "") << twin;
  // One stream file names the whole dump.
  const ops::OpenedImage one =
      ops::OpenImage(dir / "sector_test_360k.kryoflux" / "track07.1.raw", ops::Purpose::kCatalogue);
  EXPECT_EQ(ops::CompareSectors(d, one.disk, {}), "");
}

// Of each real disk (an FM one from an HFE file, an MFM one from a DMK),
// every track made into three revolutions of worn flux, the first of
// cylinder 2 side 0 spoilt in its middle: read back through SCP as the
// original, the spoilt sectors good from the other revolutions.
TEST(Flux, TrsDisksAsWornFluxReadBackEveryRevolutionWeighed) {
  const fs::path disks = TRIVANE_REAL_DISKS;
  if (!fs::exists(disks / "README.md")) GTEST_SKIP() << disks << " is not there";
  std::mt19937 random(80);
  for (const char* name : {"bigmit__m1_fmg_cpm.hfe", "bigmit__TRSDOS_v13.dmk"}) {
    const disk::Disk d = ReadFile(disks / name);
    const disk::Disk back = disk::ReadDisk(ImageBuffer(build::WornScp(d, 3, random)));
    EXPECT_EQ(back.container, disk::Container::kScp);
    EXPECT_EQ(ops::CompareSectors(d, back, {}), "") << name;
    const disk::FluxState* state = disk::FluxStateOf(back);
    ASSERT_NE(state, nullptr);
    int from_others = 0;
    for (std::size_t k = 0; k < back.sectors.size(); ++k) {
      const auto& good = state->revolutions[k].good;
      EXPECT_EQ(state->revolutions[k].of, 3);
      const bool some = present::GoodOnSomeRevolutions(back, static_cast<int>(k));
      if (back.sectors[k].cylinder == 2 && back.sectors[k].head == 0 &&
          good == std::vector<int>{2, 3}) {
        ++from_others;
        EXPECT_TRUE(some);
        EXPECT_EQ(present::RevolutionsNote(back, static_cast<int>(k)),
                  "good on revolutions 2, 3 of 3");
      } else {
        EXPECT_EQ(good, (std::vector<int>{1, 2, 3})) << name << " sector " << k;
        EXPECT_FALSE(some);
      }
    }
    EXPECT_GE(from_others, 1) << name;
    EXPECT_EQ(present::RevolutionsLegend(back),
              "good on some revolutions " + std::to_string(from_others));
    // Worn flux still peaks where its cells say: FM at 2 and 4 cells, MFM
    // at 2, 3 and 4.
    const present::FluxView view(back);
    if (std::string(name).ends_with(".hfe"))
      ExpectPeaks(view.Peaks(1, 2), {4, 8});
    else
      ExpectPeaks(view.Peaks(1, 2), {4, 6, 8});
    for (const std::string& p : back.problems) ADD_FAILURE() << name << ": " << p;
  }
}

// A drive whose speed swings 8 % either way round the track (the loop
// follows up to 10 %), and flux missing for 30 cells where it runs slowest
// and fastest: the loop gives back every cell.
TEST(Flux, TheLoopFollowsASpeedSwingAndLongRuns) {
  const disk::Disk d = disk::ReadDisk(ImageBuffer(build::Jv1(1)));
  const cells::Cells track = disk::TrackCellsOf(d, 0, 0, 100000, true);
  cells::Cells made;
  for (std::size_t i = 0; i < track.size(); ++i) {
    if (i == track.size() / 4 || i == track.size() * 3 / 4)
      for (int k = 0; k < 31; ++k) made.Push(k == 30);
    made.Push(track.At(i));
  }
  flux::FluxTrack t = flux::FluxOf(made, 2000, 25, 1);
  for (std::size_t k = 0; k < t.intervals.size(); ++k) {
    const double turn =
        2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(t.intervals.size());
    t.intervals[k] =
        static_cast<std::uint32_t>(std::lround(t.intervals[k] * (1 + 0.08 * std::sin(turn))));
  }
  // Up to the last transition: the cells after it make no flux.
  std::size_t last = made.size();
  while (!made.At(last - 1)) --last;
  const flux::TrackCells back = flux::CellsOf(t);
  ASSERT_EQ(back.cells.size(), last);
  std::size_t differ = 0;
  for (std::size_t i = 0; i < last; ++i) differ += back.cells.At(i) != made.At(i);
  EXPECT_EQ(differ, 0u);
  // The flux before the first index is followed, not kept.
  flux::FluxTrack early = t;
  early.intervals.insert(early.intervals.begin(), 20, 160);
  for (std::size_t& at : early.index) at += 20;
  EXPECT_EQ(flux::CellsOf(early).cells.size(), last);
  // At a tick that does not divide the cell (a KryoFlux's), each flux
  // carries what the one before left over: the track keeps its length.
  const double tick = 1e9 / 24027428.5714285;
  double ticks = 0;
  for (const std::uint32_t v : flux::FluxOf(made, 2000, tick, 1).intervals) ticks += v;
  EXPECT_NEAR(ticks * tick, static_cast<double>(last) * 2000, tick);
}

// An SCP file's fields: a time past 65,535 ticks (values of 0 before it),
// the track table numbered by side (or, for one side alone, by cylinder),
// a revolution that the file's end cuts.
TEST(Flux, ScpFieldsAndDamage) {
  flux::ScpTrack made{1, 1, 0, {}};
  made.flux.tick_ns = 25;
  made.flux.intervals = {100, 70000, 200};
  made.flux.index = {0, 3};
  std::vector<std::uint8_t> scp = flux::WriteScp({made});
  const auto read = [](const std::vector<std::uint8_t>& bytes) {
    std::vector<flux::ScpTrack> tracks;
    const std::vector<std::string> findings =
        flux::ReadScp(ImageBuffer(bytes), [&](const flux::ScpTrack& t) { tracks.push_back(t); });
    EXPECT_TRUE(findings.empty());
    return tracks;
  };
  std::vector<flux::ScpTrack> back = read(scp);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(std::make_pair(back[0].cylinder, back[0].head), std::make_pair(1, 1));
  EXPECT_EQ(back[0].flux.intervals, made.flux.intervals);
  scp[10] = 2;  // the heads field: side 1 alone, its tracks numbered by cylinder
  back = read(scp);
  EXPECT_EQ(std::make_pair(back[0].cylinder, back[0].head), std::make_pair(3, 1));
  scp.pop_back();
  back = read(scp);
  EXPECT_EQ(back[0].flux.findings,
            std::vector<std::string>{"revolution 1 lies past the file's end"});
}

TEST(Flux, KryoFluxStreamElementsAndDamage) {
  const std::string text = "sck=24000000.0";
  std::vector<std::uint8_t> s = {0x0D, 0x04, static_cast<std::uint8_t>(text.size()), 0};
  s.insert(s.end(), text.begin(), text.end());
  // flux1 40, flux2 120, nop2, ovl16 + flux1 50, flux3 1234, an index at the
  // flux3 (stream position 7), the end.
  s.insert(s.end(), {0x40, 0x01, 0x20, 0x09, 0xAA, 0x0B, 0x50, 0x0C, 0x12, 0x34});
  s.insert(s.end(), {0x0D, 0x02, 12, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  s.insert(s.end(), {0x0D, 0x0D, 0x0D, 0x0D});
  const flux::FluxTrack t = flux::ReadKryoFluxStream(s);
  EXPECT_EQ(t.intervals, (std::vector<std::uint32_t>{0x40, 0x120, 0x10050, 0x1234}));
  EXPECT_EQ(t.index, std::vector<std::size_t>{3});
  EXPECT_NEAR(t.tick_ns, 1e9 / 24e6, 1e-9);
  EXPECT_TRUE(t.findings.empty());
  s.resize(s.size() - 22);  // inside the flux3
  const flux::FluxTrack cut = flux::ReadKryoFluxStream(s);
  EXPECT_EQ(cut.intervals.size(), 3u);
  EXPECT_EQ(cut.findings,
            std::vector<std::string>{"the stream is cut at byte " + std::to_string(s.size() - 1)});
}

}  // namespace
}  // namespace trivane::test
