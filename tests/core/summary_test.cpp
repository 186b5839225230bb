// The geometry summary on prepared records: the present sector's place, the
// sector label and the locator's failure.
#include "test_support.h"

namespace trivane::test {
namespace {

// A record as identification leaves a regular scanned image.
Session Scanned(const Bytes& image) {
  Session s = Identified(image);
  s.record.PresSecnum = 0;
  return s;
}

std::tuple<int, int, int> PlaceOf(Session& s, Offset present) {
  s.record.PresSecnum = present;
  GetDispSector(s.record, s.window);
  return {s.record.TrkToFind, s.record.SideToFind, s.record.SecToFind};
}

TEST(Summary, Jv1PresentSector) {
  Session s = Scanned(build::Jv1(35));
  EXPECT_EQ(PlaceOf(s, 175), std::make_tuple(17, 0, 5));
  EXPECT_EQ(s.record.datamarkjv, 32);
  EXPECT_EQ(PlaceOf(s, 180), std::make_tuple(18, 0, 0));
  EXPECT_EQ(s.record.datamarkjv, 0);
  EXPECT_EQ(s.record.spt, 10);
}

TEST(Summary, DoubleSidedPresentSector) {
  Session s = Scanned(build::Jv3(build::Jv3Disk(40, 2, 18, true)));
  EXPECT_EQ(PlaceOf(s, 20), std::make_tuple(0, 1, 2));
  EXPECT_EQ(PlaceOf(s, 36), std::make_tuple(1, 0, 0));
  s.record.tracksideflag = 1;
  EXPECT_EQ(PlaceOf(s, 20), std::make_tuple(1, 0, 2));
}

TEST(Summary, DirectorySectorsOnDisksNumberedFromOne) {
  Session s = Scanned(build::Dmk(dmk::kSingleTrack, 35, 1, 10, 1));
  for (Offset present : {170, 187}) {
    PlaceOf(s, present);
    EXPECT_EQ(s.record.dirstartsec, 170);
    EXPECT_EQ(s.window.drawing().back().text, "Dir Sec. Dam = ") << present;
    EXPECT_EQ(s.window.drawing().back().colour, colour::kRed);
  }
  PlaceOf(s, 188);
  EXPECT_EQ(s.window.drawing().back().text, "Data Sec. Dam = ");
  EXPECT_EQ(s.window.drawing().back().colour, colour::kBlack);
  EXPECT_EQ(s.record.SecToFind, 9);  // track 18, position 8, numbered from 1
}

}  // namespace
}  // namespace trivane::test
