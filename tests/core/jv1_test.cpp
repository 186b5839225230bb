// JV1 images, from the click to the summary, and what the driver resets.
#include "test_support.h"

namespace trivane::test {
namespace {

TEST(Jv1, PlainImageShowsItsSummary) {
  const Bytes image = build::Jv1(35);
  SCOPED_TRACE(Dump(image));
  const Session s = Identified(image);
  const RecordingWindow& w = s.window;

  EXPECT_EQ(
      Texts(w,
            {Field::Text1, Field::Text2, Field::Text3, Field::Text4, Field::Text5, Field::Text12}),
      Lines({" 35 Track", "   S/Density", "  S/Sided", "  Sec/Cyl. = 10 ( 10 * 1)", "", "JV1"}));
  EXPECT_EQ(w.field(Field::Text2).fore, colour::kBlack);
  EXPECT_EQ(w.field(Field::Text3).fore, colour::kBlack);
  EXPECT_EQ(w.field(Field::Text12).back, 0x80C0FFu);
  EXPECT_TRUE(w.messages().empty());

  EXPECT_EQ(w.drawing().size(), 3u);  // the report tool's tests show each operation
  EXPECT_EQ(w.yields(), 1);
}

TEST(Jv1, NewdosImageReportsPdriveWithoutTypeLabels) {
  Bytes image = build::Jv1(80);
  build::PutSystemSector(image, jv1::kSystemSector,
                         {.ddsl = 17, .ti_tsr = 5, .tc = 80, .spt = 10, .gpl = 2, .ddga = 2});
  SCOPED_TRACE(Dump(image, 751));
  const Session s = Identified(image);

  EXPECT_EQ(s.record.newdosflag, 1);
  EXPECT_EQ(s.record.pdrive.substr(0, 26), "Pdrives: TI = A   TD = A  ");
  EXPECT_EQ(s.window.text(Field::Text5), "   Spg = 5");
  EXPECT_EQ(s.window.text(Field::Text7), "");
  EXPECT_EQ(s.window.text(Field::Text17), "");
  EXPECT_EQ(s.window.text(Field::Text12), "JV1");
  // The track count follows the file, as the PDRIVE line's TC does.
  EXPECT_EQ(s.window.text(Field::Text1), " 80 Track");
}

// A short image is summarised too, without Newdos/80.
TEST(Jv1, TrackCountFollowsFileLengthRoundedUp) {
  for (auto [bytes, tracks] : {std::pair{2560 * 35, 35}, {2560 * 40 + 1, 41}, {751, 1}, {3, 1}}) {
    Bytes image = build::Jv1(41);
    image.resize(bytes);
    const Session s = Identified(image);
    EXPECT_EQ(s.record.tracks, tracks) << bytes << " bytes";
    EXPECT_EQ(std::tie(s.record.Emtype, s.record.newdosflag), std::make_tuple("JV1", 0));
    EXPECT_EQ(s.window.text(Field::Text1), NumberText(tracks) + " Track");
  }
}

TEST(Jv1, AllThreeSignatureBytesDecide) {
  for (Bytes start : {Bytes{0x01, 0xFE, 0x11}, Bytes{0x00, 0xFF, 0x11}, Bytes{0x00, 0xFE, 0x12},
                      Bytes{0x00, 0xFE}}) {
    Bytes image = build::Jv1(35);
    image.resize(start.size() == 2 ? 2 : image.size());
    std::copy(start.begin(), start.end(), image.begin());
    const Session s = Identified(image);
    EXPECT_EQ(s.record.jv1, 0) << Dump(image);
    EXPECT_NE(s.record.Emtype, "JV1");
  }
}

// Nothing of an earlier image survives in the fields or the per-track table.
TEST(Driver, NothingOfThePreviousImageSurvives) {
  Session s;
  Bytes newdos = build::Dmk(dmk::kDoubleTrack, 40, 2, 18);
  build::PutSystemSector(newdos, build::DmkImage(dmk::kDoubleTrack).DataOffset(16, 2), {});
  s.Identify(newdos);
  ASSERT_EQ(s.window.text(Field::Text7), "  Newdos/80");

  s.Identify(Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'});
  ExpectResultFieldsEmpty(s.window);
  EXPECT_EQ(s.window.drawing().back().kind, DrawOp::Kind::Cls);
  for (int t = 0; t < kMinTrackTable; ++t) ASSERT_EQ(s.record.trksecs[t], 0) << "track " << t;

  // A JV3 table with its first entry free shows no sectors from the earlier disk.
  s.Identify(build::Dmk(dmk::kDoubleTrack, 40, 1, 18));
  s.Identify(build::Jv3({}));
  EXPECT_EQ(s.record.Emtype, "JV3");
  EXPECT_EQ(s.record.tracks, 2);
  EXPECT_EQ(s.record.spt, 0);
}

}  // namespace
}  // namespace trivane::test
