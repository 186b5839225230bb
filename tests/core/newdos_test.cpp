// Newdos/80: the system-sector probes and the PDRIVE report's letters.
#include "test_support.h"

namespace trivane::test {
namespace {

using build::DmkId;
using build::DmkImage;
using build::Pdrive;

std::string TiLetters(int b2, int option = 0) {
  const std::string text = PdriveText(
      {.ti_tsr = static_cast<std::uint8_t>(b2), .option = static_cast<std::uint8_t>(option)});
  return text.substr(text.find("TI = ") + 5, 2);
}

char TdLetter(int spt) {
  const std::string text = PdriveText({.spt = static_cast<std::uint8_t>(spt)});
  return text[text.find("TD = ") + 5];
}

// The first TI letter's two equality tests come before its bit tests.
TEST(Pdrive, Letters) {
  std::string first, second, td;
  for (int b2 : {20, 12, 28, 5, 8, 16, 0, 3}) first += TiLetters(b2)[0];
  EXPECT_EQ(first, "EBAADC??");
  for (auto [b2, option] : {std::pair{32 | 64, 4}, {64, 4}, {4, 4}, {4, 0xFB}}) {
    second += TiLetters(b2, option)[1];
  }
  EXPECT_EQ(second, "MKL ");
  for (int spt : {10, 20, 18, 36, 0}) td += TdLetter(spt);
  EXPECT_EQ(td, "ACEGG");
}

TEST(Pdrive, NumbersAndTsr) {
  EXPECT_EQ(PdriveText({.ddsl = 255, .ti_tsr = 0xFF, .tc = 0, .spt = 5, .gpl = 8, .ddga = 9}),
            "Pdrives: TI = AM  TD = G  TC = 0   SPT = 5  TSR = 3  GPL = 8  DDSL = 255  DDGA = 9");
}

std::vector<DmkId> Track(int track, std::vector<int> sectors) {
  std::vector<DmkId> ids;
  for (int n : sectors) ids.push_back({track, 0, n});
  return ids;
}

TEST(SystemProbe, TrackOneIsTriedWhenTrackZeroLacksTheSignature) {
  DmkImage dmk(dmk::kDoubleTrack);
  dmk.AddBlock(Track(0, {0, 1, 2, 3}));
  const Offset track1 = dmk.AddBlock(Track(1, {0, 1, 2, 3}));
  for (int t = 2; t < 10; ++t) dmk.AddBlock(Track(t, {0, 1, 2, 3}));
  build::PutSystemSector(dmk.bytes(), dmk.DataOffset(track1, 2), {.tc = 77});
  const Session s = Identified(dmk.bytes());
  EXPECT_EQ(s.record.newdosflag, 1);
  EXPECT_NE(s.window.text(Field::Text17).find("TC = 77"), std::string::npos);
}

TEST(SystemProbe, MissingSystemSectorEndsSilentlyWithoutTryingTrackOne) {
  DmkImage dmk(dmk::kDoubleTrack);
  dmk.AddBlock(Track(0, {0, 1}));
  const Offset track1 = dmk.AddBlock(Track(1, {0, 1, 2}));
  build::PutSystemSector(dmk.bytes(), dmk.DataOffset(track1, 2), {});
  const Session s = Identified(dmk.bytes());
  EXPECT_EQ(s.record.TrkToFind, 0);
  EXPECT_EQ(s.record.newdosflag, 0);
  EXPECT_TRUE(s.window.messages().empty());
  ExpectResultFieldsEmpty(s.window);
}

TEST(SystemProbe, DisksNumberedFromOneUseSectorThree) {
  DmkImage dmk(dmk::kSingleTrack);
  const Offset track0 = dmk.AddBlock(Track(0, {1, 2, 3, 4}));
  build::PutSystemSector(dmk.bytes(), dmk.DataOffset(track0, 1), {.tc = 11});  // sector 2
  build::PutSystemSector(dmk.bytes(), dmk.DataOffset(track0, 2), {.tc = 33});  // sector 3
  const Session s = Identified(dmk.bytes());
  EXPECT_EQ(s.record.firstsecnum, 1);
  EXPECT_NE(s.record.pdrive.find("TC = 33"), std::string::npos) << s.record.pdrive;
}

TEST(SystemProbe, MissingBootSectorEndsWithoutReport) {
  DmkImage dmk(dmk::kDoubleTrack);
  const Offset track0 = dmk.AddBlock(Track(0, {5, 2}));
  build::PutSystemSector(dmk.bytes(), dmk.DataOffset(track0, 1), {});
  Session s;
  s.record.pdrive = "earlier report";
  s.Identify(dmk.bytes());
  EXPECT_EQ(s.record.newdosflag, 1);
  EXPECT_EQ(s.record.pdrive, "earlier report");
  EXPECT_EQ(s.window.text(Field::Text17), "");
  EXPECT_EQ(s.window.text(Field::Text1), "");
}

// The granule text follows the branch; the earlier report is kept, not shown.
TEST(SystemProbe, PlainDiskKeepsEarlierReportHidden) {
  Session s;
  Bytes newdos = build::Jv1(35);
  build::PutSystemSector(newdos, jv1::kSystemSector, {});
  s.Identify(newdos);
  const std::string report = s.record.pdrive;
  s.Identify(build::Jv3(build::Jv3Disk(40, 1, 18, true)));
  EXPECT_EQ(s.record.newdosflag, 0);
  EXPECT_EQ(s.record.pdrive, report);
  EXPECT_EQ(s.record.spgaa, "   Spg = 6");
  EXPECT_EQ(s.window.text(Field::Text5), "");
  EXPECT_EQ(s.window.text(Field::Text17), "");
}

}  // namespace
}  // namespace trivane::test
