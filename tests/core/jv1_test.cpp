// JV1 images, from the click to the summary, and what the driver resets.
#include "test_support.h"

namespace trivane::test {
namespace {

TEST(Jv1, PlainImageShowsItsSummary) {
  const Bytes image = build::Jv1(35);
  SCOPED_TRACE(Dump(image));
  const Session s = Identified(image);
  const RecordingWindow& w = s.window;

  EXPECT_EQ(w.text(Field::Text1), " 35 Track");
  EXPECT_EQ(w.text(Field::Text2), "   S/Density");
  EXPECT_EQ(w.field(Field::Text2).fore, colour::kBlack);
  EXPECT_EQ(w.text(Field::Text3), "  S/Sided");
  EXPECT_EQ(w.field(Field::Text3).fore, colour::kBlack);
  EXPECT_EQ(w.text(Field::Text4), "  Sec/Cyl. = 10 ( 10 * 1)");
  EXPECT_EQ(w.text(Field::Text5), "");
  EXPECT_EQ(w.text(Field::Text12), "JV1");
  EXPECT_EQ(w.field(Field::Text12).back, 0x80C0FFu);
  EXPECT_EQ(w.text(Field::Text18), "");
  EXPECT_EQ(w.text(Field::Text7), "");
  EXPECT_EQ(w.text(Field::Text17), "");
  EXPECT_EQ(w.text(Field::Text6), "");
  EXPECT_TRUE(w.messages().empty());

  ASSERT_EQ(w.drawing().size(), 3u);
  EXPECT_EQ(w.drawing()[0].kind, DrawOp::Kind::Cls);
  const DrawOp& box = w.drawing()[1];
  EXPECT_EQ(box.kind, DrawOp::Kind::Box);
  EXPECT_EQ(std::tie(box.x1, box.y1, box.x2, box.y2, box.colour),
            std::make_tuple(1200, 500, 8800, 680, colour::kButtonFace));
  const DrawOp& line = w.drawing()[2];
  EXPECT_EQ(line.text, " Dam = ");
  EXPECT_EQ(std::tie(line.x1, line.y1, line.colour), std::make_tuple(730, 1600, colour::kBlack));
  EXPECT_EQ(w.yields(), 1);

  const AnalysisRecord& r = s.record;
  EXPECT_EQ(r.jv1, 1);
  EXPECT_EQ(r.Emtype, "JV1");
  EXPECT_EQ(std::tie(r.tracks, r.sides, r.dens, r.spt), std::make_tuple(35, 1, 1, 10));
  EXPECT_EQ(r.newdosflag, 0);
  EXPECT_EQ(std::tie(r.TrkToFind, r.SideToFind, r.SecToFind), std::make_tuple(0, 0, 0));
  EXPECT_EQ(r.datamarkjv, 0);
}

TEST(Jv1, NewdosImageReportsPdriveWithoutTypeLabels) {
  Bytes image = build::Jv1(80);
  build::PutSystemSector(image, jv1::kSystemSector,
                         {.ddsl = 17, .ti_tsr = 5, .tc = 80, .spt = 10, .gpl = 2, .ddga = 2});
  SCOPED_TRACE(Dump(image, 751));
  const Session s = Identified(image);

  EXPECT_EQ(s.record.newdosflag, 1);
  EXPECT_EQ(s.record.pdrive,
            "Pdrives: TI = A   TD = A  TC = 80   SPT = 10  TSR = 1  GPL = 2  DDSL = 17  DDGA = 2");
  EXPECT_EQ(s.window.text(Field::Text5), "   Spg = 5");
  EXPECT_EQ(s.window.text(Field::Text7), "");
  EXPECT_EQ(s.window.text(Field::Text17), "");
  EXPECT_EQ(s.window.text(Field::Text12), "JV1");
  // The track count follows the file, as the PDRIVE line's TC does.
  EXPECT_EQ(s.window.text(Field::Text1), " 80 Track");
}

TEST(Jv1, TrackCountFollowsFileLengthRoundedUp) {
  for (auto [bytes, tracks] : {std::pair{2560 * 35, 35}, {2560 * 40 + 1, 41}, {3, 1}}) {
    Bytes image = build::Jv1(41);
    image.resize(bytes);
    EXPECT_EQ(Identified(image).record.tracks, tracks) << bytes << " bytes";
  }
}

TEST(Jv1, ShortImageIsSummarisedWithoutNewdos) {
  Bytes image = build::Jv1(1);
  image.resize(751);
  const Session s = Identified(image);
  EXPECT_EQ(s.record.Emtype, "JV1");
  EXPECT_EQ(s.record.newdosflag, 0);
  EXPECT_EQ(s.window.text(Field::Text1), " 1 Track");
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
