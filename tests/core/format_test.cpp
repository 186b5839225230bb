// New disks as each DOS formats them, and images proved before they are
// kept: every geometry a DOS formats, in every container that holds it,
// reads back as that DOS with its free space, name and date; what a DOS or
// a container cannot make is refused.
#include "fs/trsdos/format.h"

#include "disk/sector_store.h"
#include "ops/convert.h"
#include "test_support.h"

namespace trivane::test {
namespace {

using disk::Container;
using trsdos::Family;

struct Shape {
  Family dos;
  int cylinders, heads, density;
  int free, total;  // granules, as the DOS's FREE shows them
};

// Free: all granules but the boot granule and the directory's.
constexpr Shape kShapes[] = {
    {Family::kTrsdos23, 35, 1, 1, 67, 70},   {Family::kTrsdos23, 40, 1, 1, 77, 80},
    {Family::kLdos, 35, 1, 1, 67, 70},       {Family::kLdos, 40, 1, 1, 77, 80},
    {Family::kLdos, 80, 2, 1, 315, 320},     {Family::kLdos, 40, 1, 2, 116, 120},
    {Family::kLdos, 40, 2, 2, 233, 240},     {Family::kLdos, 80, 2, 2, 473, 480},
    {Family::kNewdos80, 40, 1, 1, 77, 80},   {Family::kNewdos80, 35, 2, 1, 137, 140},
    {Family::kNewdos80, 40, 1, 2, 140, 144}, {Family::kNewdos80, 80, 2, 2, 572, 576},
    {Family::kTrsdos13, 40, 1, 2, 233, 240},
};

TEST(Format, EveryShapeReadsBackAsItsDos) {
  int made = 0;
  for (const Shape& s : kShapes) {
    for (Container to : {Container::kJv1, Container::kJv3, Container::kDmk}) {
      const trsdos::NewDiskRequest q{s.dos,   s.cylinders, s.heads, s.density,
                                     "games", "03/04/85",  to};
      const ops::Proved p = ops::NewImage(trsdos::FormatDisk(q), to, {});
      const std::string what = std::string(trsdos::FamilyName(s.dos)) + " " +
                               std::to_string(s.cylinders) + "x" + std::to_string(s.heads) + " " +
                               disk::ContainerName(to);
      // JV1 holds one head of single density with the directory on 17.
      const bool jv1 =
          s.heads == 1 && s.density == 1 && !(s.dos == Family::kLdos && s.cylinders != 35);
      if (to == Container::kJv1 && !jv1) {
        EXPECT_FALSE(p.losses.empty()) << what;
        continue;
      }
      ASSERT_EQ(p.error, "") << what;
      const disk::Disk back = disk::ReadDisk(ImageBuffer(p.bytes));
      const trsdos::Catalogue c = trsdos::ReadCatalogue(back);
      EXPECT_EQ(c.granules_free, s.free) << what;
      EXPECT_EQ(c.granules_total, s.total) << what;
      EXPECT_EQ(c.disk_name, "GAMES");
      EXPECT_EQ(back.cylinders, s.cylinders) << what;
      ++made;
    }
  }
  EXPECT_EQ(made, 30);
}

TEST(Format, WhatADosDoesNotFormatIsRefused) {
  const auto refused = [](Family dos, int cylinders, int heads, int density, std::string name,
                          std::string date = "12/31/99") {
    return trsdos::FormatDisk({dos, cylinders, heads, density, name, date, Container::kDmk}).error;
  };
  EXPECT_EQ(refused(Family::kTrsdos23, 0, 0, 2, ""), "TRSDOS 2.3 formats single density only");
  EXPECT_EQ(refused(Family::kTrsdos23, 0, 2, 0, ""), "TRSDOS 2.3 formats one head only");
  EXPECT_EQ(refused(Family::kTrsdos13, 35, 0, 0, ""),
            "Model III TRSDOS 1.3 formats 40 cylinders, not 35");
  EXPECT_EQ(refused(Family::kTrsdos13, 0, 0, 1, ""),
            "Model III TRSDOS 1.3 formats double density only");
  EXPECT_EQ(refused(Family::kLdos, 81, 0, 0, ""), "LDOS formats 35 to 80 cylinders, not 81");
  EXPECT_EQ(refused(Family::kNewdos80, 0, 3, 0, ""), "NEWDOS/80 formats one or two heads");
  EXPECT_EQ(refused(Family::kLdos, 0, 0, 0, "NINELONGS"), "a disk name has at most 8 characters");
  EXPECT_EQ(refused(Family::kLdos, 0, 0, 0, "A B"),
            "a disk name is letters, digits and signs, no blanks");
  EXPECT_EQ(refused(Family::kLdos, 0, 0, 0, "", "1/2/85"), "a date is MM/DD/YY");
  EXPECT_EQ(refused(Family::kGdos, 0, 0, 0, ""), "no FORMAT for that DOS");
  // The usual disks: NEWDOS/80 and LDOS 40 single-density cylinders, TRSDOS 2.3 35.
  const trsdos::NewDisk usual = trsdos::FormatDisk({Family::kTrsdos23, 0, 0, 0, "", "12/31/99"});
  EXPECT_EQ(usual.disk.cylinders, 35);
  EXPECT_EQ(usual.disk.sectors.size(), 350u);
}

// The bytes FORMAT writes where the DOSes look: boot byte 2, the directory
// marks, the GAT's DOS bytes and lock-out table, the HIT, the PDRIVE entry.
TEST(Format, BytesWhereTheDosesLook) {
  const auto made = [](Family dos, int heads, int density) {
    return trsdos::FormatDisk({dos, 40, heads, density, "", "12/31/99", Container::kDmk}).disk;
  };
  const disk::Disk ldos = made(Family::kLdos, 2, 2);
  const disk::SectorStore store(ldos);
  EXPECT_EQ(store.Get({0, 0, 0}).data[2], 20);
  EXPECT_EQ(store.At({20, 1, 15})->dam, 0xF8);
  EXPECT_EQ(store.At({20, 1, 16})->dam, 0xFB);  // the 35th and 36th sectors are not the directory's
  const std::vector<std::uint8_t> gat = store.Get({20, 0, 0}).data;
  EXPECT_EQ(std::vector<std::uint8_t>(gat.begin() + 0xCB, gat.begin() + 0xD0),
            (std::vector<std::uint8_t>{0x53, 0x05, 0xEA, 0xE0, 0x42}));
  EXPECT_EQ(gat[0], 0xC1);
  EXPECT_EQ(gat[1], 0xC0);
  EXPECT_EQ(gat[20], 0xFF);
  EXPECT_EQ(gat[40], 0xFF);
  EXPECT_EQ(gat[0x60 + 39], 0xC0);
  EXPECT_EQ(gat[0x60 + 40], 0xFF);
  const std::vector<std::uint8_t> hit = store.Get({20, 0, 1}).data;
  EXPECT_EQ(hit[0], 0xA2);
  EXPECT_EQ(hit[1], 0xC4);
  const std::vector<std::uint8_t> dir_sys = store.Get({20, 0, 3}).data;
  EXPECT_EQ(dir_sys[20], 34);
  EXPECT_EQ(dir_sys[22], 20);
  EXPECT_EQ(dir_sys[23], 5);

  const disk::Disk newdos = made(Family::kNewdos80, 1, 1);
  const std::vector<std::uint8_t> system = disk::SectorStore(newdos).Get({0, 0, 2}).data;
  EXPECT_EQ(std::vector<std::uint8_t>(system.begin(), system.begin() + 10),
            (std::vector<std::uint8_t>{17, 40, 4, 40, 10, 2, 0, 0, 17, 2}));
  EXPECT_EQ(system[239], 0xA5);
  const disk::Disk m3 = made(Family::kTrsdos13, 1, 2);
  const disk::SectorStore m3s(m3);
  EXPECT_EQ(m3s.Get({0, 0, 1}).data[1], 17);
  EXPECT_EQ(m3s.At({17, 0, 5})->dam, 0xFB);
  EXPECT_EQ(m3s.At({16, 0, 5})->dam, 0xF8);
  EXPECT_EQ(m3.sectors[1].id_sector, 4);  // 1 4 7 ... as TRSDOS 1.3 lays a track out
}

// A conversion that loses something is refused unless forced, and a forced
// one still proves every sector it kept.
TEST(Format, ConversionsAreProved) {
  const trsdos::NewDisk dd = trsdos::FormatDisk({Family::kLdos, 40, 1, 2, "", "12/31/99"});
  const ops::Proved refused = ops::Convert(dd.disk, Container::kJv1, {}, false);
  EXPECT_EQ(refused.error, "JV1 cannot hold all of the disk");
  EXPECT_TRUE(refused.bytes.empty());
  EXPECT_FALSE(refused.losses.empty());
  const trsdos::NewDisk sd = trsdos::FormatDisk({Family::kLdos, 40, 1, 1, "", "12/31/99"});
  const ops::Proved forced = ops::Convert(sd.disk, Container::kJv1, {}, true);
  EXPECT_EQ(forced.error, "");
  EXPECT_EQ(forced.losses.size(), 2u);  // the marks of cylinders 17 and 20
  EXPECT_EQ(forced.bytes.size(), 40u * 2560);

  disk::Disk changed = sd.disk;
  const disk::Disk back =
      disk::ReadDisk(ImageBuffer(ops::Convert(sd.disk, Container::kJv3, {}, false).bytes));
  changed.written[changed.sectors[7].written][9] ^= 1;
  EXPECT_EQ(ops::CompareSectors(changed, back, {}),
            "cylinder 0 head 0 sector 8 reads back otherwise");
  EXPECT_EQ(ops::CompareSectors(changed, back, {{0, 0, 8}}), "");
}

}  // namespace
}  // namespace trivane::test
