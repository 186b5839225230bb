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

struct LengthCase {
  int trklength;
  int dens, spg, damindex;
  const char* dd;
};

TEST(Dmk, EachTrackLengthGivesItsDensity) {
  for (const LengthCase& c :
       {LengthCase{6400, 2, 6, 44, "   D/Density"}, LengthCase{6528, 2, 6, 44, "   D/Density"},
        LengthCase{3264, 1, 5, 24, "   S/Density"}}) {
    const int spt = c.dens == 2 ? 18 : 10;
    const Bytes image = build::Dmk(c.trklength, 40, 1, spt);
    SCOPED_TRACE(Dump(image));
    const Session s = Identified(image);
    const AnalysisRecord& r = s.record;
    EXPECT_EQ(std::make_tuple(r.dmkflag, r.dens, r.spg, r.damindex),
              std::make_tuple(1, c.dens, c.spg, c.damindex));
    EXPECT_EQ(std::tie(r.tracks, r.sides, r.spt, r.firstsecnum), std::make_tuple(40, 1, spt, 0));
    EXPECT_EQ(s.window.text(Field::Text12), "DMK");
    EXPECT_EQ(s.window.field(Field::Text12).back, 0xC0C0FFu);
    EXPECT_EQ(s.window.text(Field::Text2), c.dd);
    EXPECT_EQ(s.window.text(Field::Text1), " 40 Track");
    EXPECT_TRUE(s.window.messages().empty());
  }
}

TEST(Dmk, OtherTrackLengthIsNotDmk) {
  const Bytes image = build::Dmk(6272, 40, 1, 18);
  const Session s = Identified(image);
  EXPECT_EQ(s.record.dmkflag, 0);
  EXPECT_EQ(s.record.trklength, 6272);
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
  // The summary asks the locator for the boot sector.
  EXPECT_EQ(std::tie(s.record.TrkToFind, s.record.SideToFind, s.record.SecToFind),
            std::make_tuple(0, 0, 0));
  EXPECT_EQ(s.record.errflg, 0);
  EXPECT_EQ(s.record.datamarkDmk, 0xFB);
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

// When the system sector is missing, identification ends with fpa at the
// start of the file's last block, a partial one included.
TEST(Dmk, ScanLeavesLastBlockStart) {
  for (int first : {0, 1}) {
    DmkImage dmk(dmk::kDoubleTrack);
    for (int t = 0; t < 12; ++t) dmk.AddBlock(Track(t, 0, 2, first));
    Bytes image = dmk.bytes();
    image.resize(image.size() + 100, 0);
    const Session s = Identified(image);
    EXPECT_EQ(s.record.fpa, 16 + 12 * 6400) << first;
    EXPECT_EQ(s.record.firstsecnum, first);
    EXPECT_EQ(s.window.text(Field::Text1), "");
  }
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
    EXPECT_EQ(s.record.fpa, 16 + 2 * doubled);
    EXPECT_EQ(s.record.idamptr[doubled], dmk.IdOffset(doubled));
  }
}

// The zero pointer that ends the list takes part in the double-byte test: it
// reads file offsets 16 and 17.
TEST(Dmk, TerminatingZeroPointerTakesPartInDoubleByteTest) {
  DmkImage dmk(dmk::kSingleTrack);
  dmk.AddBlock({});
  dmk.bytes()[16] = dmk.bytes()[17] = 0xFE;
  const Session s = Identified(dmk.bytes());
  ASSERT_EQ(s.window.messages().size(), 1u) << Dump(dmk.bytes());
  EXPECT_EQ(s.window.messages()[0].title, "Read Error");
}

// A single-sided image whose block byte 2 (the low byte of the second
// pointer) is 1 stays single-sided.
TEST(Dmk, SideScanReadsIdFieldsNotPointerBytes) {
  DmkImage dmk(dmk::kDoubleTrack);
  for (int t = 0; t < 40; ++t) dmk.AddBlock(Track(t, 0, 18));
  // Track 3's second ID field moves to 0x301, so its pointer's low byte is 1.
  Bytes& b = dmk.bytes();
  const Offset block3 = 16 + 3 * 6400;
  const int moved = 0x301;
  b[block3 + 2] = 0x01;
  b[block3 + 3] = 0x80 | 0x03;
  for (int k = 0; k < 4; ++k) b[block3 + moved + k] = b[block3 + dmk.IdOffset(1) + k];
  SCOPED_TRACE(Dump(b, block3));
  const Session s = Identified(b);
  EXPECT_EQ(s.record.sides, 1);
  EXPECT_EQ(s.record.tracks, 40);
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

TEST(Dmk, NewdosImageReportsPdrive) {
  DmkImage dmk(dmk::kDoubleTrack, 40, true);
  for (int t = 0; t < 40; ++t)
    for (int side = 0; side < 2; ++side) dmk.AddBlock(Track(t, side, 18, 1));
  build::PutSystemSector(dmk.bytes(), dmk.DataOffset(16, 2),
                         {.ddsl = 17, .ti_tsr = 0x25, .tc = 40, .spt = 36, .gpl = 2, .ddga = 3});
  const Session s = Identified(dmk.bytes());
  EXPECT_EQ(s.record.newdosflag, 1);
  EXPECT_EQ(s.window.text(Field::Text7), "  Newdos/80");
  EXPECT_EQ(s.window.field(Field::Text7).fore, colour::kRed);
  EXPECT_EQ(s.window.text(Field::Text17),
            "Pdrives: TI = AM  TD = G  TC = 40   SPT = 36  TSR = 1  GPL = 2  DDSL = 17  DDGA = 3");
  EXPECT_EQ(s.window.field(Field::Text17).fore, colour::kBlue);
  EXPECT_EQ(s.window.text(Field::Text5), "   Spg = 5");
}

}  // namespace
}  // namespace trivane::test
