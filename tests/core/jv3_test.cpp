// JV3 images: geometry from the header table, its orders and its damage.
#include "test_support.h"

namespace trivane::test {
namespace {

using build::Jv3Entry;

TEST(Jv3, SingleSidedInEachDensity) {
  for (const bool dd : {false, true}) {
    const Session s = Identified(build::Jv3(build::Jv3Disk(40, 1, dd ? 18 : 10, dd)));
    const AnalysisRecord& r = s.record;
    EXPECT_EQ(std::make_tuple(r.tracks, r.sides, r.dens, r.spt, r.spg, r.tracksideflag),
              std::make_tuple(40, 1, dd ? 2 : 1, dd ? 18 : 10, dd ? 6 : 5, 0));
    EXPECT_EQ(Texts(s.window, {Field::Text2, Field::Text6}),
              Lines({dd ? "   D/Density" : "   S/Density", ""}));
  }
}

TEST(Jv3, DualDensityShowsItsNote) {
  auto entries = build::Jv3Disk(40, 1, 18, true);
  for (int n = 0; n < 18; ++n) entries[n] = {0, n, build::Jv3Flags(0, false)};
  const Session s = Identified(build::Jv3(entries));
  EXPECT_EQ(s.record.dens, 3);
  EXPECT_EQ(s.record.dd, "   Dual/Density");
  EXPECT_EQ(s.window.text(Field::Text6), "    This Disk has Dual Density");
  EXPECT_EQ(s.window.field(Field::Text2).fore, colour::kRed);
}

TEST(Jv3, DoubleSidedInBothOrders) {
  for (bool apart : {false, true}) {
    const Session s = Identified(build::Jv3(build::Jv3Disk(40, 2, 18, true, apart)));
    const AnalysisRecord& r = s.record;
    EXPECT_EQ(std::make_tuple(r.tracks, r.sides, r.spt, r.tracksideflag),
              std::make_tuple(40, 2, 18, apart ? 1 : 0));
    EXPECT_EQ(r.trksecs[39], 18);
    EXPECT_EQ(s.window.text(Field::Text4), "  Sec/Cyl. = 36 ( 18 * 2)");
    EXPECT_EQ(s.window.text(Field::Text3), "  D/Sided");
  }
}

TEST(Jv3, FirstEntryFree) {
  Bytes image = build::Jv3(build::Jv3Disk(40, 1, 10, false));
  image[0] = image[3] = image[6] = image[9] = 0xFF;
  const Session s = Identified(image);
  EXPECT_EQ(std::make_tuple(s.record.tracks, s.record.sides, s.record.dens, s.record.spt),
            std::make_tuple(2, 1, 0, 0));
}

TEST(Jv3, HeaderOnlyFileEndsSilently) {
  Bytes image = build::Jv3(build::Jv3Disk(40, 1, 10, false));
  image.resize(jv3::kDataStart);
  const Session s = Identified(image);
  EXPECT_EQ(s.record.tracks, 40);
  EXPECT_TRUE(s.window.messages().empty());
  EXPECT_EQ(s.window.text(Field::Text1), "");  // the system sector lies past the end
}

// Zeros past the end are not read as track-0 sectors; the locator's walk
// still reports running off the end.
TEST(Jv3, TruncatedTableStopsAtFileEnd) {
  Bytes image = build::Jv3(build::Jv3Disk(40, 1, 10, false));
  image.resize(30);
  Session s = Identified(image);
  EXPECT_EQ(s.record.spt, 10);
  EXPECT_EQ(s.record.tracks, 1);

  image = build::Jv3(std::vector<Jv3Entry>(100, {5, 1, 0}));
  image.resize(300);
  s = Identified(image);
  EXPECT_EQ(s.record.tracks, 6);
  ASSERT_EQ(s.window.messages().size(), 1u);
  EXPECT_EQ(s.window.messages()[0].prompt, kNotFound);
  EXPECT_EQ(s.window.text(Field::Text1), "");
}

TEST(Jv3, FullTableEndsAfterLastEntry) {
  auto entries = build::Jv3Disk(80, 2, 18, true);
  for (int n = 0; n < 21; ++n) entries.push_back({80, n, build::Jv3Flags(0, true)});
  ASSERT_EQ(entries.size(), 2901u);
  const Session s = Identified(build::Jv3(entries));
  EXPECT_EQ(s.record.tracks, 81);
  EXPECT_EQ(s.record.trksecs[80], 21);
  EXPECT_EQ(s.window.text(Field::Text1), " 81 Track");
}

TEST(Jv3, TableOrderDoesNotChangeGeometry) {
  auto appended = build::Jv3Disk(41, 2, 10, false);
  for (int n = 10; n < 15; ++n) appended.push_back({0, n, build::Jv3Flags(0, false)});
  Session s = Identified(build::Jv3(appended));
  EXPECT_EQ(std::make_tuple(s.record.tracks, s.record.spt, s.record.tracksideflag),
            std::make_tuple(41, 15, 1));

  std::vector<Jv3Entry> side1_first;
  for (int t = 0; t < 40; ++t)
    for (int side : {1, 0})
      for (int n = 0; n < 10; ++n) side1_first.push_back({t, n, build::Jv3Flags(side, false)});
  s = Identified(build::Jv3(side1_first));
  EXPECT_EQ(std::make_tuple(s.record.tracks, s.record.spt, s.record.sides),
            std::make_tuple(40, 10, 2));
}

// Files with no emulator header, and what each refusal leaves.
TEST(Refusal, ShortAndTextFilesHaveNoHeader) {
  std::vector<Bytes> files;
  for (std::size_t n = 0; n <= 9; ++n) {
    files.push_back(Bytes(n, 'x'));
    files.push_back(Bytes(n, 0));  // a JV3's first entries alike, but too short to hold them
  }
  const std::string text = "10 PRINT \"HELLO\"\r\n20 GOTO 10\r\n";
  files.emplace_back(text.begin(), text.end());
  for (const Bytes& file : files) {
    Session s;
    s.Identify(build::Jv1(35));
    s.Identify(file);
    ASSERT_EQ(s.window.messages().size(), 1u) << Dump(file);
    EXPECT_EQ(s.window.messages()[0].prompt, kNoHeader);
    EXPECT_EQ(s.window.messages()[0].title, "Error");
    ExpectResultFieldsEmpty(s.window);
    EXPECT_EQ(s.window.drawing().back().kind, DrawOp::Kind::Cls);
  }
}

}  // namespace
}  // namespace trivane::test
