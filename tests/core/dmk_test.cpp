// DMK images: recognition by track length, the refusals, the side scan, the
// track count and the lowest sector number.
#include "test_support.h"

namespace trivane::test {
namespace {

using build::DmkId;
using build::DmkImage;

std::vector<DmkId> Track(int track, int side, int spt, int first = 0) {
  std::vector<DmkId> ids;
  for (int n = 0; n < spt; ++n) ids.push_back({track, side, first + n});
  return ids;
}

TEST(Dmk, EachTrackLengthGivesItsDensity) {
  for (const int trklength : {6400, 6528, 3264}) {
    const bool dd = trklength != 3264;
    const Bytes image = build::Dmk(trklength, 40, 1, dd ? 18 : 10);
    const Session s = Identified(image);
    const AnalysisRecord& r = s.record;
    EXPECT_EQ(std::make_tuple(r.dmkflag, r.dens, r.spg, r.damindex, r.tracks, r.sides, r.spt),
              std::make_tuple(1, dd ? 2 : 1, dd ? 6 : 5, dd ? 44 : 24, 40, 1, dd ? 18 : 10))
        << Dump(image);
    EXPECT_EQ(s.window.text(Field::Text2), dd ? "   D/Density" : "   S/Density");
  }
}

TEST(Dmk, OtherTrackLengthIsNotDmk) {
  const Bytes image = build::Dmk(6272, 40, 1, 18);
  const Session s = Identified(image);
  EXPECT_EQ(s.record.spg, 5);
  ASSERT_EQ(s.window.messages().size(), 1u);
  EXPECT_EQ(s.window.messages()[0].prompt, kNoHeader);
}

TEST(Dmk, DoubleSidedSummary) {
  const Bytes image = build::Dmk(dmk::kDoubleTrack, 40, 2, 18);
  SCOPED_TRACE(Dump(image));
  const Session s = Identified(image);
  EXPECT_EQ(std::tie(s.record.tracks, s.record.sides), std::make_tuple(40, 2));
  EXPECT_EQ(s.window.text(Field::Text3), "  D/Sided");
  EXPECT_EQ(s.window.field(Field::Text3).fore, colour::kRed);
  EXPECT_EQ(s.window.field(Field::Text2).fore, colour::kRed);
  EXPECT_EQ(s.window.text(Field::Text4), "  Sec/Cyl. = 36 ( 18 * 2)");
  EXPECT_EQ(s.record.datamarkDmk, 0xFB);  // of the boot sector, the summary's present sector
}

TEST(Dmk, TrackCountRoundsHalfToEven) {
  for (auto [extra, tracks] : {std::pair{3200, 2}, {3201, 3}, {9600, 4}}) {
    Bytes image = build::Dmk(dmk::kDoubleTrack, 2, 1, 18);
    image.resize(2 * 6400 + extra);  // 16 header bytes fall inside the extra
    EXPECT_EQ(Identified(image).record.tracks, tracks) << image.size() << " bytes";
  }
}

TEST(Dmk, SectorsNumberedFromOne) {
  const Bytes image = build::Dmk(dmk::kSingleTrack, 35, 1, 10, 1);
  const Session s = Identified(image);
  EXPECT_EQ(s.record.firstsecnum, 1);
  EXPECT_EQ(s.window.text(Field::Text18), "This files Track Sectors start at 1");
  EXPECT_EQ(s.record.SecToFind, 1);
  EXPECT_EQ(s.record.dirstartsec, 170);
  EXPECT_EQ(s.window.drawing().back().text, "Data Sec. Dam = ");
}

// The whole image decides, not the first track.
TEST(Dmk, LaterSectorZeroLowersFirstSector) {
  DmkImage dmk(dmk::kDoubleTrack);
  dmk.AddBlock(Track(0, 0, 18, 1));
  for (int t = 1; t < 10; ++t) dmk.AddBlock(Track(t, 0, 18, t == 7 ? 0 : 1));
  EXPECT_EQ(Identified(dmk.bytes()).record.firstsecnum, 0);
}

TEST(Dmk, HighSectorNumbersGiveThirty) {
  EXPECT_EQ(Identified(build::Dmk(dmk::kDoubleTrack, 10, 1, 5, 40)).record.firstsecnum, 30);
}

TEST(Dmk, RealDiskIsRefusedWhateverTheTracksHold) {
  for (Bytes image : {build::Dmk(dmk::kDoubleTrack, 40, 1, 18), Bytes(16, 0)}) {
    if (image.size() == 16) image[2] = 0x00, image[3] = 0x19;
    image[12] = 0x78, image[13] = 0x56, image[14] = 0x34, image[15] = 0x12;
    const Session s = Identified(image);
    ASSERT_EQ(s.window.messages().size(), 1u) << Dump(image);
    EXPECT_EQ(s.window.messages()[0].prompt,
              "** ERROR **  This file is a DMK type REAL disk format,\r"
              "                     used to access REAL Disks");
    EXPECT_EQ(s.window.messages()[0].title, "Error");
    ExpectResultFieldsEmpty(s.window);
    EXPECT_EQ(s.record.dmkflag, 1);
  }
}

constexpr const char* kDoubleByte =
    "This file is a   Model 1,Single Density, Double Byte   file\r\n"
    "   It cannot be decoded at this stage\r\n\r\n"
    "  The Hex Editor Mode will read and show the file format";

TEST(Dmk, DoubledIdMarkIsRefusedAtFirstOrThirdPointer) {
  for (int doubled : {0, 2}) {
    DmkImage dmk(dmk::kSingleTrack);
    const Offset block = dmk.AddBlock(Track(0, 0, 10));
    for (int t = 1; t < 10; ++t) dmk.AddBlock(Track(t, 0, 10));
    dmk.bytes()[block + dmk.IdOffset(doubled) + 1] = 0xFE;
    SCOPED_TRACE(Dump(dmk.bytes(), block + dmk.IdOffset(doubled)));
    const Session s = Identified(dmk.bytes());
    ASSERT_EQ(s.window.messages().size(), 1u);
    EXPECT_EQ(s.window.messages()[0].prompt, kDoubleByte);
    EXPECT_EQ(s.window.messages()[0].title, "Read Error");
    ExpectResultFieldsEmpty(s.window);
  }
}

// A copy of a real disk: the ID marks sit at other offsets on every track.
TEST(Dmk, SideScanFollowsEachBlocksPointers) {
  Bytes image(16, 0);
  image[2] = 0x00, image[3] = 0x19;  // 6400
  for (int t = 0; t < 20; ++t) {
    for (int side = 0; side < 2; ++side) {
      const Offset block = static_cast<Offset>(image.size());
      image.resize(block + 6400, 0x4E);
      std::fill_n(image.begin() + block, 128, 0);
      for (int n = 0; n < 18; ++n) {
        const int mark = 200 + 17 * (2 * t + side) + 330 * n;
        image[block + 2 * n] = mark & 0xFF;
        image[block + 2 * n + 1] = 0x80 | (mark >> 8);
        image[block + mark] = 0xFE;
        image[block + mark + 1] = t;
        image[block + mark + 2] = side;
        image[block + mark + 3] = n;
        image[block + mark + 44] = 0xFB;
      }
    }
  }
  const Session s = Identified(image);
  EXPECT_EQ(s.record.sides, 2) << Dump(image, 16 + 6400);
  EXPECT_EQ(s.record.tracks, 20);
}

TEST(Dmk, TracksBeyondTheTableGrowIt) {
  const Bytes image = build::Dmk(dmk::kSingleTrack, 300, 1, 3);
  const Session s = Identified(image);
  EXPECT_EQ(s.record.tracks, 300);
  EXPECT_GE(s.record.trksecs.size(), 301u);
  EXPECT_EQ(s.window.text(Field::Text1), " 300 Track");
}

}  // namespace
}  // namespace trivane::test
