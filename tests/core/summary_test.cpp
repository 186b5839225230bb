// The geometry summary on prepared records: the present sector's place, the
// sector label and the locator's failure.
#include <filesystem>
#include <fstream>

#include "builder/samples.h"
#include "disk/container.h"
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
  EXPECT_EQ(PlaceOf(s, 17), std::make_tuple(0, 0, 17));
  EXPECT_EQ(PlaceOf(s, 18), std::make_tuple(0, 1, 0));
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

namespace trivane::test {
namespace {

// Where the identification names a container and a geometry, the disk
// model read from the same bytes agrees: the same container, as many
// cylinders as tracks, as many heads as sides. On the built images and the
// real disks beside the project.
bool Agree(const Bytes& bytes, const std::string& what) {
  const Session session = Identified(bytes);
  const AnalysisRecord& r = session.record;
  if (r.Emtype.empty() || !session.window.messages().empty()) return false;
  const disk::Disk d = disk::ReadDisk(ImageBuffer(bytes));
  EXPECT_EQ(r.Emtype, disk::ContainerName(d.container)) << what;
  EXPECT_EQ(r.tracks, d.cylinders) << what;
  EXPECT_EQ(r.sides, d.heads) << what;
  return true;
}

TEST(IdentificationAndDiskModel, AgreeOnEveryImageNotRefused) {
  int built = 0, real = 0;
  for (const auto& list : {build::Samples(), build::Seeds()}) {
    for (const build::Sample& s : list) built += Agree(s.bytes, s.name);
  }
  EXPECT_GT(built, 25);
  const std::filesystem::path disks = TRIVANE_REAL_DISKS;
  if (!std::filesystem::exists(disks / "README.md")) return;
  for (const auto& e : std::filesystem::directory_iterator(disks)) {
    if (!e.is_regular_file() || e.path().extension() == ".md") continue;
    std::ifstream in(e.path(), std::ios::binary);
    real += Agree(Bytes((std::istreambuf_iterator<char>(in)), {}), e.path().filename().string());
  }
  EXPECT_GE(real, 10);
  std::printf("identification and disk model agree on %d built and %d real images\n", built, real);
}

}  // namespace
}  // namespace trivane::test
