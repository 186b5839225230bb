// The sector locator on JV3 and DMK images, asked directly.
#include "test_support.h"

namespace trivane::test {
namespace {

using build::DmkImage;
using build::Jv3Entry;

Session Loaded(const Bytes& image) {
  Session s;
  s.record.filebuf = ImageBuffer(image);
  s.record.fileend = static_cast<Offset>(image.size());
  return s;
}

Session LoadedDmk(const Bytes& image, int trklength, int sides) {
  Session s = Loaded(image);
  s.record.dmkflag = 1;
  s.record.trklength = trklength;
  s.record.sides = sides;
  s.record.damindex = trklength == dmk::kSingleTrack ? 24 : 44;
  return s;
}

TEST(LocatorJv3, FirstMatchOnTheWantedSideWins) {
  const int dir = jv3::kDirectoryMark;
  const Bytes image = build::Jv3({{0, 0, 0}, {3, 7, 0x10 | dir}, {3, 7, 0}, {3, 7, 0}, {3, 8, 0}});
  Session s = Loaded(image);
  ASSERT_TRUE(s.Find(3, 0, 7));
  EXPECT_EQ(s.record.fpa, 8704 + 256 * 2);
  EXPECT_EQ(s.record.datamarkjv, 0);

  ASSERT_TRUE(s.Find(3, 1, 7));
  EXPECT_EQ(s.record.fpa, 8704 + 256 * 1);
  EXPECT_EQ(s.record.datamarkjv, 32);
}

TEST(LocatorJv3, RunningOffTheEndIsTheOnlyMessage) {
  Bytes image = build::Jv3(build::Jv3Disk(40, 1, 10, false));
  image.resize(jv3::kDataStart);
  Session s = Loaded(image);
  EXPECT_FALSE(s.Find(0, 0, 2));  // found, but its data lies past the end
  EXPECT_EQ(s.record.fpa, 8704 + 512);
  EXPECT_FALSE(s.Find(99, 0, 0));  // no entry matches
  EXPECT_TRUE(s.window.messages().empty());

  // A table cut after four entries: the fifth is not read as zeros.
  Bytes cut = build::Jv3({{5, 1, 0}, {5, 2, 0}, {5, 3, 0}, {5, 4, 0}});
  cut.resize(12);
  s = Loaded(cut);
  EXPECT_FALSE(s.Find(0, 0, 0));
  EXPECT_EQ(s.window.messages().size(), 1u);

  image.resize(600);
  s = Loaded(image);
  EXPECT_FALSE(s.Find(99, 0, 0));
  ASSERT_EQ(s.window.messages().size(), 1u);
  EXPECT_EQ(s.window.messages()[0].prompt, kNotFound);
  EXPECT_EQ(s.window.messages()[0].title, "Error");
}

TEST(LocatorDmk, DataMarkWindow) {
  for (int distance : {41, 44, 46, 47}) {
    DmkImage dmk(dmk::kDoubleTrack);
    const Offset block = dmk.AddBlock({{0, 0, 9}});
    const Offset id = block + dmk.IdOffset(0);
    dmk.bytes()[id + 44] = 0x4E;
    dmk.bytes()[id + distance] = 0xF8;
    Session s = LoadedDmk(dmk.bytes(), dmk::kDoubleTrack, 1);
    SCOPED_TRACE(Dump(dmk.bytes(), id));
    ASSERT_TRUE(s.Find(0, 0, 9)) << distance;
    EXPECT_EQ(s.record.fpa, id + std::min(distance, 47) + 1) << distance;
    EXPECT_EQ(s.record.datamarkDmk, distance <= 46 ? 0xF8 : dmk.bytes()[id + 47]);
  }
}

TEST(LocatorDmk, ReadsAtMost31Pointers) {
  Bytes image(16 + 6400, 0);
  image[2] = 0x00, image[3] = 0x19;
  for (int i = 0; i < 40; ++i) {
    const int mark = 128 + 100 * i;
    image[16 + 2 * i] = mark & 0xFF;
    image[16 + 2 * i + 1] = 0x80 | (mark >> 8);
    image[16 + mark] = 0xFE;
    image[16 + mark + 3] = 100 + i;
  }
  Session s = LoadedDmk(image, 6400, 1);
  EXPECT_TRUE(s.Find(0, 0, 130));
  EXPECT_EQ(s.record.spt, 31);
  EXPECT_FALSE(s.Find(0, 0, 131));
  EXPECT_TRUE(s.window.messages().empty());
}

TEST(LocatorDmk, PointerBit14IsKept) {
  Bytes image(16 + 16384 + 600, 0);
  image[2] = 0x00, image[3] = 0x19;
  const int pointer = 0xC000 | 200;
  image[16] = pointer & 0xFF;
  image[17] = pointer >> 8;
  const Offset id = 16 + 16384 + 200;
  image[id] = 0xFE;
  image[id + 3] = 7;
  image[id + 44] = 0xFA;
  Session s = LoadedDmk(image, 6400, 1);
  ASSERT_TRUE(s.Find(0, 0, 7)) << Dump(image, id);
  EXPECT_EQ(s.record.fpa, id + 45);
  EXPECT_EQ(s.record.datamarkDmk, 0xFA);
}

TEST(LocatorDmk, SideOneOfSingleSidedImageIsNextTrack) {
  DmkImage dmk(dmk::kDoubleTrack);
  for (int t = 0; t < 3; ++t) dmk.AddBlock({{t, 0, 0}, {t, 0, 1}});
  Session s = LoadedDmk(dmk.bytes(), dmk::kDoubleTrack, 1);
  ASSERT_TRUE(s.Find(0, 1, 1));
  EXPECT_EQ(s.record.fpa, dmk.DataOffset(16 + 6400, 1));
  ASSERT_TRUE(s.Find(0, 2, 1));  // any other side is side 0
  EXPECT_EQ(s.record.fpa, dmk.DataOffset(16, 1));
}

// Only the sector number is compared, and the first pointer that names it wins.
TEST(LocatorDmk, FirstMatchInPointerOrderWins) {
  DmkImage dmk(dmk::kDoubleTrack);
  const Offset block = dmk.AddBlock({{9, 1, 4}, {0, 0, 5}, {7, 1, 5}});
  Session s = LoadedDmk(dmk.bytes(), dmk::kDoubleTrack, 1);
  ASSERT_TRUE(s.Find(0, 0, 5));
  EXPECT_EQ(s.record.fpa, dmk.DataOffset(block, 1));
  EXPECT_EQ(s.record.spt, 3);
  ASSERT_TRUE(s.Find(0, 0, 4));  // the ID field's track and side are not compared
  EXPECT_EQ(s.record.fpa, dmk.DataOffset(block, 0));
}

TEST(LocatorDmk, NotFoundCases) {
  DmkImage dmk(dmk::kDoubleTrack);
  dmk.AddBlock({});
  dmk.AddBlock({{1, 0, 0}});
  Session s = LoadedDmk(dmk.bytes(), dmk::kDoubleTrack, 1);
  EXPECT_FALSE(s.Find(0, 0, 0));  // first pointer 0
  EXPECT_EQ(s.record.spt, 0);
  EXPECT_FALSE(s.Find(1, 0, 5));  // no such sector number
  EXPECT_EQ(s.record.spt, 1);
  for (int track : {2, 500, 40000, -3, 2147483647}) {
    EXPECT_FALSE(s.Find(track, 0, 0)) << track;  // blocks beyond the file read as empty
  }
  EXPECT_TRUE(s.window.messages().empty());
}

}  // namespace
}  // namespace trivane::test
