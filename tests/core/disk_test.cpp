// The sector reader, by container: images built as a controller writes them,
// good ones beside damaged, truncated and contradictory ones.
#include "builder/sector_images.h"
#include "disk/container.h"
#include "disk/sector_store.h"
#include "test_support.h"

namespace trivane::test {
namespace {

using build::DmkField;
using disk::Check;
using disk::Container;
using disk::Density;
using disk::Disk;

struct Read {
  ImageBuffer image;
  Disk disk;
  std::vector<std::uint8_t> Data(const disk::Sector& s) const { return disk::SectorData(disk, s); }
  // The sector the DOS code reaches at the place: the first good copy.
  const disk::Sector* Find(int c, int h, int id) const {
    return disk::SectorStore(disk).At({c, h, id});
  }
};

Read ReadOf(const Bytes& bytes) {
  Read r{ImageBuffer(bytes), {}};
  r.disk = disk::ReadDisk(r.image);
  return r;
}

std::vector<DmkField> Fields(int c, int count, bool dd, int first = 0) {
  std::vector<DmkField> fields;
  for (int n = 0; n < count; ++n)
    fields.push_back({.cylinder = c, .sector = first + n, .double_density = dd});
  return fields;
}

// Every sector as written: place, id, density, mark, both CRCs good, data.
void ExpectAsWritten(const Read& r, const std::vector<DmkField>& fields, const Bytes& image) {
  ASSERT_EQ(r.disk.sectors.size(), fields.size()) << Dump(image);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const disk::Sector& s = r.disk.sectors[i];
    const DmkField& f = fields[i];
    SCOPED_TRACE("sector " + std::to_string(i) + Dump(image, s.data_offset));
    EXPECT_EQ(std::make_tuple(int(s.id_sector), int(s.size), s.density, int(s.dam)),
              std::make_tuple(f.sector, 128 << f.size_code,
                              f.double_density ? Density::kDouble : Density::kSingle, int(f.dam)));
    EXPECT_EQ(std::make_tuple(s.id_crc, s.data_crc), std::make_tuple(Check::kGood, Check::kGood));
    EXPECT_EQ(r.Data(s), build::FieldData(f));
    EXPECT_EQ(image[s.data_offset], build::FieldByte(f.cylinder, f.sector, 0));
  }
}

TEST(DiskDmk, DoubledSingleDensityIsReadUndoubled) {
  const auto track = [](int c, int) { return Fields(c, 10, false); };
  const Bytes image = build::DmkWithFields(6400, 3, 1, 0, track);
  const Read r = ReadOf(image);
  EXPECT_EQ(r.disk.container, Container::kDmk);
  EXPECT_EQ(std::tie(r.disk.cylinders, r.disk.heads), std::make_tuple(3, 1));
  EXPECT_TRUE(r.disk.problems.empty());
  std::vector<DmkField> all;
  for (int c = 0; c < 3; ++c)
    for (const DmkField& f : track(c, 0)) all.push_back(f);
  ExpectAsWritten(r, all, image);
  EXPECT_TRUE(disk::OptionsAsRead(r.disk).single_density_twice);
  EXPECT_EQ(image[r.disk.sectors[0].data_offset + 1], image[r.disk.sectors[0].data_offset]);
  // A doubled field's CRC checked late reads the first of each two bytes,
  // as the data is read: a spoilt second copy changes neither.
  Bytes spoilt = image;
  spoilt[r.disk.sectors[4].data_offset + 1] ^= 0xFF;
  const Disk lazy = disk::ReadDisk(ImageBuffer(spoilt), false);
  EXPECT_EQ(disk::DataCrc(lazy, lazy.sectors[4]), Check::kGood);
  // Identification still refuses such an image, as it always has.
  EXPECT_EQ(Identified(image).window.messages().at(0).title, "Read Error");
}

TEST(DiskDmk, MixedDensityOnATrackAndSingleBytes) {
  std::vector<DmkField> mixed = Fields(0, 2, false);
  for (const DmkField& f : Fields(0, 8, true, 2)) mixed.push_back(f);
  const auto one = [&](int, int) { return mixed; };
  ExpectAsWritten(ReadOf(build::DmkWithFields(6400, 1, 1, 0, one)), mixed,
                  build::DmkWithFields(6400, 1, 1, 0, one));
  // Option 0x40: single density in single bytes.
  const Bytes single = build::DmkWithFields(3264, 1, 1, dmk::kOptionSingleDensity,
                                            [](int c, int) { return Fields(c, 10, false); });
  const Read r = ReadOf(single);
  ExpectAsWritten(r, Fields(0, 10, false), single);
  EXPECT_FALSE(disk::OptionsAsRead(r.disk).single_density_twice);
}

// Two heads; sizes 128 to 1024; an ID naming another cylinder; CRC errors in
// ID and data; an ID without data; the deleted marks; a field that runs round
// the block's end and goes on at offset 128.
TEST(DiskDmk, EverythingAControllerMeets) {
  const Bytes image = build::DmkWithFields(6400, 2, 2, 0, [](int c, int h) {
    std::vector<DmkField> f = {
        {.cylinder = c, .head = h, .sector = 1, .size_code = 0, .at = 600},
        {.cylinder = c, .head = h, .sector = 2, .size_code = 2},
        {.cylinder = c, .head = h, .sector = 3, .size_code = 3},
        {.cylinder = 9, .head = h, .sector = 4, .dam = 0xF8},
        {.cylinder = c, .head = h, .sector = 5, .dam = 0xFA, .bad_id_crc = true},
        {.cylinder = c, .head = h, .sector = 6, .bad_data_crc = true},
        {.cylinder = c, .head = h, .sector = 7, .dam = 0},
        {.cylinder = c, .head = h, .sector = 8, .at = 6250}};
    return f;
  });
  const Read r = ReadOf(image);
  ASSERT_EQ(r.disk.sectors.size(), 32u) << Dump(image);
  const disk::Sector* s = r.Find(1, 1, 4);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(std::make_tuple(int(s->id_cylinder), int(s->cylinder), int(s->dam)),
            std::make_tuple(9, 1, 0xF8));
  EXPECT_EQ(r.Find(1, 1, 1)->size, 128);
  EXPECT_EQ(r.Data(*r.Find(1, 1, 3)),
            build::FieldData({.cylinder = 1, .sector = 3, .size_code = 3}));
  EXPECT_EQ(r.Find(1, 1, 5)->id_crc, Check::kBad);
  EXPECT_EQ(r.Find(1, 1, 5)->dam, 0xFA);
  EXPECT_EQ(r.Find(1, 1, 6)->data_crc, Check::kBad);
  EXPECT_FALSE(r.Find(1, 1, 7)->has_data());
  EXPECT_TRUE(r.Data(*r.Find(1, 1, 7)).empty());
  const disk::Sector* wrapped = r.Find(1, 1, 8);
  EXPECT_EQ(wrapped->data_crc, Check::kGood) << Dump(image, wrapped->data_offset);
  EXPECT_EQ(r.Data(*wrapped), build::FieldData({.cylinder = 1, .sector = 8}));
  // Data CRCs left unchecked are checked alike when asked for.
  const Disk lazy = disk::ReadDisk(r.image, false);
  ASSERT_EQ(lazy.sectors.size(), r.disk.sectors.size());
  for (std::size_t i = 0; i < lazy.sectors.size(); ++i) {
    EXPECT_EQ(disk::DataCrc(lazy, lazy.sectors[i]), r.disk.sectors[i].data_crc) << i;
  }
}

TEST(DiskDmk, OneIdTwiceTheFirstGoodCopyWins) {
  const Read r = ReadOf(build::DmkWithFields(6400, 1, 1, 0, [](int, int) {
    return std::vector<DmkField>{{.sector = 3, .bad_data_crc = true},
                                 {.sector = 3},
                                 {.sector = 4, .dam = 0},
                                 {.sector = 4, .bad_id_crc = true}};
  }));
  EXPECT_EQ(r.Find(0, 0, 3), &r.disk.sectors[1]);
  EXPECT_EQ(r.Find(0, 0, 4), &r.disk.sectors[2]);
  EXPECT_EQ(r.Find(0, 0, 5), nullptr);
  EXPECT_EQ(r.Find(0, 1, 3), nullptr);
}

// Damaged pointers are skipped and said; a short file, an odd track length
// and a header naming more cylinders than the file holds are read as far as
// they go.
TEST(DiskDmk, DamagedTablesAndShortFiles) {
  Bytes image = build::DmkWithFields(6378, 4, 1, 0, [](int c, int) { return Fields(c, 18, true); });
  const Offset block = dmk::kHeaderBytes;
  image[block + 2] = 0x10, image[block + 3] = 0x80;  // pointer 1 below the table's end
  image[block + 4] = 0xFF, image[block + 5] = 0xBF;  // pointer 2 past the block
  image[block + 6] = image[block + 6] + 1;           // pointer 3 off its mark
  image[block + 6378 + 2 * 17] = 0xFF, image[block + 6378 + 2 * 17 + 1] = 0xFF;  // ends cyl 1
  image[dmk::kCylindersAt] = 9;
  image.resize(dmk::kHeaderBytes + 3 * 6378 + 6100);  // inside the last sector's data
  const Read r = ReadOf(image);
  EXPECT_EQ(r.disk.cylinders, 4);
  ASSERT_EQ(r.disk.problems.size(), 5u) << Dump(image);
  EXPECT_EQ(r.disk.problems[0], "the header names 9 cylinders; the file holds 4 track blocks");
  EXPECT_EQ(r.disk.problems[2],
            "cylinder 0 head 0: pointer 1 (8010) does not lead to an ID address mark");
  EXPECT_EQ(r.Find(0, 0, 1), nullptr);
  EXPECT_NE(r.Find(0, 0, 4), nullptr);
  EXPECT_EQ(r.Find(1, 0, 17), nullptr);
  EXPECT_EQ(r.Find(2, 0, 17)->data_crc, Check::kGood);
  EXPECT_EQ(r.Find(3, 0, 16)->data_crc, Check::kGood);
  EXPECT_EQ(r.Find(3, 0, 17)->data_crc, Check::kBad);  // its data runs past the file's end
}

TEST(DiskDmk, RealDriveFileHasNoSectors) {
  Bytes image = build::DmkWithFields(6400, 2, 1, 0, [](int c, int) { return Fields(c, 18, true); });
  image[12] = 0x78, image[13] = 0x56, image[14] = 0x34, image[15] = 0x12;
  const Read r = ReadOf(image);
  EXPECT_EQ(r.disk.container, Container::kDmk);
  EXPECT_TRUE(r.disk.sectors.empty());
  EXPECT_EQ(r.disk.error, "a DMK file that stands for a real drive: it holds no sectors");
}

// Used and free entries with every size code, the marks by density, the CRC
// error flag, a second header block after the first's 2901 data blocks.
TEST(DiskJv3, SizesFreeEntriesMarksAndASecondBlock) {
  std::vector<build::Jv3Entry> entries = {
      {0, 1, 0x01}, {0xFF, 0xFF, 0x00},  {0, 2, 0x02},        {0xFF, 0, 0x02},
      {0, 3, 0x03}, {0, 4, 0x80 | 0x20}, {0, 5, 0x40 | 0x10}, {1, 6, 0x08}};
  while (entries.size() < 2901) entries.push_back({0xFF, 0xFF, 0xFF});
  entries.push_back({2, 7, 0x80});
  const Bytes image = build::Jv3Blocks(entries);
  const Read r = ReadOf(image);
  ASSERT_EQ(r.disk.sectors.size(), 7u) << Dump(image);
  EXPECT_EQ(std::tie(r.disk.cylinders, r.disk.heads), std::make_tuple(3, 2));
  const std::tuple<int, int, int, Check> expected[] = {
      {1, 128, 0xFB, Check::kNotKept}, {2, 1024, 0xFB, Check::kNotKept},
      {3, 512, 0xFB, Check::kNotKept}, {4, 256, 0xF8, Check::kNotKept},
      {5, 256, 0xF9, Check::kNotKept}, {6, 256, 0xFB, Check::kBad},
      {7, 256, 0xFB, Check::kNotKept}};
  for (std::size_t i = 0; i < 7; ++i) {
    const disk::Sector& s = r.disk.sectors[i];
    EXPECT_EQ(std::make_tuple(int(s.id_sector), int(s.size), int(s.dam), s.data_crc), expected[i])
        << i;
    std::vector<std::uint8_t> data(s.size);
    for (int k = 0; k < s.size; ++k) data[k] = build::FieldByte(s.cylinder, s.id_sector, k);
    EXPECT_EQ(r.Data(s), data) << i;
  }
  EXPECT_EQ(r.disk.sectors[4].head, 1);
  EXPECT_EQ(r.disk.sectors[3].density, Density::kDouble);
}

TEST(DiskJv3, DataPastTheEndIsSaid) {
  Bytes image = build::Jv3(build::Jv3Disk(2, 1, 10, false));
  image.resize(jv3::DataOffset(15) + 100);
  const Read r = ReadOf(image);
  ASSERT_EQ(r.disk.sectors.size(), 20u);
  EXPECT_TRUE(r.disk.sectors[14].has_data());
  EXPECT_FALSE(r.disk.sectors[15].has_data());
  EXPECT_EQ(
      r.disk.problems,
      Lines{"the file ends before the data of 5 sectors, the first cylinder 1 head 0 sector 5"});
}

// The container is decided by content: a JV1 disk whose directory is not on
// cylinder 17, trailing bytes, text.
TEST(Disk, ContainerByContent) {
  Bytes jv1 = build::Jv1(20);
  jv1[2] = 20;
  jv1.resize(jv1.size() + 100);
  const Read r = ReadOf(jv1);
  EXPECT_EQ(r.disk.container, Container::kJv1);
  EXPECT_EQ(r.disk.sectors.size(), 200u);
  EXPECT_EQ(r.Find(17, 0, 3)->dam, 0xFA);
  EXPECT_EQ(r.Find(16, 0, 3)->dam, 0xFB);
  EXPECT_EQ(r.disk.problems.size(), 1u);

  const std::string text = "10 PRINT \"HELLO\"\r\n";
  EXPECT_EQ(ReadOf(Bytes(text.begin(), text.end())).disk.container, Container::kNone);
  Bytes jv3 = build::Jv3(build::Jv3Disk(2, 1, 10, false));
  jv3[jv3::kWriteProtect] = 0x12;
  EXPECT_EQ(ReadOf(jv3).disk.container, Container::kNone);
}

}  // namespace
}  // namespace trivane::test
