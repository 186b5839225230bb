// HFE and IMD, each as its own container: the header a Gotek reads, a
// version 3 file's opcodes, what a revolution cannot hold; IMD's records,
// maps and sizes, what it cannot keep; damage in either said, never read
// past.
#include "builder/sector_images.h"
#include "disk/container.h"
#include "disk/hfe_state.h"
#include "disk/sector_store.h"
#include "formats/hfe.h"
#include "ops/convert.h"
#include "test_support.h"

namespace trivane::test {
namespace {

using build::DmkField;
using disk::Check;
using disk::Container;
using disk::Disk;

Disk Read(const Bytes& bytes) {
  return disk::ReadDisk(ImageBuffer(bytes));
}

Bytes WriteAs(const Disk& d, Container to) {
  return disk::FormatOf(to).write(d, {}).bytes;
}

// Two heads; FM on cylinder 0, MFM after; every kind of field a controller
// meets on cylinder 1.
Disk Mixed() {
  return Read(build::DmkWithFields(6400, 3, 2, 0, [](int c, int h) {
    std::vector<DmkField> f;
    for (int n = 0; n < (c == 0 ? 10 : 16); ++n)
      f.push_back({.cylinder = c, .head = h, .sector = n, .double_density = c > 0});
    if (c == 1) {
      f[1].size_code = 0;
      f[2].size_code = 3;
      f[3].dam = 0xF8;
      f[4].bad_id_crc = true;
      f[5].bad_data_crc = true;
      f[6].dam = 0;
      f[7].cylinder = 9;
    }
    if (c == 0) f[2].dam = 0xFA;
    return f;
  }));
}

TEST(DiskHfe, HeaderAndTrackTableAsAGotekReadsThem) {
  const Bytes hfe = WriteAs(Mixed(), Container::kHfe);
  const Bytes header(hfe.begin(), hfe.begin() + 26);
  EXPECT_EQ(header,
            (Bytes{'H', 'X',  'C', 'P', 'I', 'C', 'F', 'E',  0,    3,    2,    0,    0xFA,
                   0,   0x2C, 1,   7,   1,   1,   0,   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  // Each cylinder one revolution of 12,500 bytes a side, in 49 blocks.
  for (int c = 0; c < 3; ++c) {
    const Offset e = hfe::kBlockBytes + 4 * c;
    EXPECT_EQ(hfe[e] | hfe[e + 1] << 8, 2 + 49 * c);
    EXPECT_EQ(hfe[e + 2] | hfe[e + 3] << 8, 25000);
  }
  EXPECT_EQ(hfe.size(), static_cast<std::size_t>((2 + 3 * 49) * hfe::kBlockBytes));
  Disk protected_disk = Mixed();
  protected_disk.write_protected = true;
  EXPECT_EQ(WriteAs(protected_disk, Container::kHfe)[hfe::kWriteAllowedAt], 0);
  EXPECT_TRUE(Read(WriteAs(protected_disk, Container::kHfe)).write_protected);
}

// Version 3: opcodes put among a sector's cells are acted on (read as
// version 1, the same bytes spoil the sector).
TEST(DiskHfe, Version3OpcodesAreActedOn) {
  const Disk d = Mixed();
  Bytes v3 = WriteAs(d, Container::kHfe);
  const Offset first = 2 + 2 * 49;  // cylinder 2, side 0
  Bytes side;
  for (Offset k = 0; k < 12500; ++k) side.push_back(v3[disk::HfeSideOffset(first, 0, k)]);
  // An index, a nothing, a bit rate and its byte, a skip of all eight bits
  // of its byte, in the middle of a sector's data.
  Bytes ops = {0xF1, 0xF0, 0xF2, 0x40, 0xF3, 0x08, 0xAA};
  for (Bytes::value_type& b : ops) b = hfe::ReverseBits(b);
  side.insert(side.begin() + 3000, ops.begin(), ops.end());
  for (Offset k = 0; k < 12500; ++k) v3[disk::HfeSideOffset(first, 0, k)] = side[k];
  std::copy(hfe::kVersion3.begin(), hfe::kVersion3.end(), v3.begin());
  const Disk back = Read(v3);
  EXPECT_EQ(ops::CompareSectors(d, back, {}), "");
  EXPECT_TRUE(back.problems.empty());
  std::copy(hfe::kVersion1.begin(), hfe::kVersion1.end(), v3.begin());
  EXPECT_NE(ops::CompareSectors(d, Read(v3), {}), "");
}

// A file cut short, a side count no drive has, a table past the end: said,
// and every track that is there read.
TEST(DiskHfe, DamageIsSaid) {
  Bytes hfe = WriteAs(Mixed(), Container::kHfe);
  hfe.resize(60000);  // within cylinder 2
  const Disk cut = Read(hfe);
  EXPECT_EQ(cut.problems,
            (std::vector<std::string>{"cylinder 2 side 0: its cells lie past the file's end",
                                      "cylinder 2 side 1: its cells lie past the file's end"}));
  EXPECT_EQ(cut.sectors.size(), 2u * 10 + 2 * 16);
  hfe[hfe::kSidesAt] = 7;
  hfe[hfe::kTableAt] = 0xFF;
  const Disk odd = Read(hfe);
  EXPECT_EQ(odd.problems, (std::vector<std::string>{"the header says 7 sides",
                                                    "the track table ends at cylinder 0"}));
  EXPECT_TRUE(odd.sectors.empty());
}

// Written again, a track keeps its cells and its own length while its
// sectors hold what was read; a sector whose bytes are put again, its CRC
// now good, writes its track afresh.
TEST(DiskHfe, KeptTracksAndTracksWrittenAgain) {
  Bytes hfe = WriteAs(Mixed(), Container::kHfe);
  const Offset entry = hfe::kBlockBytes;  // cylinder 0: 12,400 bytes a side
  hfe[entry + 2] = 24800 & 0xFF;
  hfe[entry + 3] = 24800 >> 8;
  Disk d = Read(hfe);
  const Bytes again = WriteAs(d, Container::kHfe);
  EXPECT_EQ(again[entry + 2] | again[entry + 3] << 8, 24800);
  EXPECT_EQ(again, hfe);
  const disk::SectorStore store(d);
  const disk::Sector* bad = store.At({1, 0, 5});
  ASSERT_NE(bad, nullptr);
  ASSERT_EQ(bad->data_crc, Check::kBad);
  const std::size_t index = static_cast<std::size_t>(bad - d.sectors.data());
  disk::PutSectorData(d, index, disk::SectorData(d, *bad));
  const Disk back = Read(WriteAs(d, Container::kHfe));
  EXPECT_EQ(disk::SectorStore(back).At({1, 0, 5})->data_crc, Check::kGood);
  EXPECT_EQ(ops::CompareSectors(d, back, {}), "");
}

// What one revolution at 250 kbit/s cannot hold is a loss; a track that
// fits only with its gaps closed up is kept whole: eighteen FM sectors of
// 128 bytes, or sixteen and four MFM ones, which fit with 16 bytes of gap 1
// and not with 32.
TEST(DiskHfe, WhatARevolutionCannotHoldIsLost) {
  const Disk d = Read(build::DmkWithFields(12000, 3, 1, 0, [](int c, int) {
    std::vector<DmkField> f;
    const int count = c == 0 ? 18 : c == 1 ? 24 : 20;
    for (int n = 0; n < count; ++n) {
      const bool mfm = c == 1 || (c == 2 && n >= 16);
      f.push_back({.cylinder = c, .sector = n, .size_code = c == 1 ? 1 : 0, .double_density = mfm});
    }
    return f;
  }));
  const disk::Written w = disk::FormatOf(Container::kHfe).write(d, {});
  EXPECT_EQ(w.losses,
            (std::vector<std::string>{
                "cylinder 1 head 0 sectors 23, 22, 21, 20, 19, 18: past the 100,000 cells "
                "of a track at 250 kbit/s and 300 rpm"}));
  EXPECT_EQ(ops::CompareSectors(d, Read(w.bytes), w.lost), "");
}

// An IMD file built byte by byte: every record type, both maps, a size table.
Bytes ImdFile() {
  Bytes f = {'I', 'M', 'D', ' ', '1', '.', '1', '8', ':', ' ', 'x', '\r', '\n', 0x1A};
  // Cylinder 0 head 0, MFM 300 kbit/s, 4 sectors of 256 with a cylinder map.
  Bytes t0 = {4, 0, 0x80, 4, 1, 1, 2, 3, 4, 0, 0, 7, 0};
  f.insert(f.end(), t0.begin(), t0.end());
  f.push_back(1);
  for (int k = 0; k < 256; ++k) f.push_back(static_cast<std::uint8_t>(k));
  f.insert(f.end(), {2, 0xE5, 4, 0x11, 0});  // filled; deleted and filled; no data
  // Cylinder 0 head 1, FM, a head map and a table of sizes; data errors.
  Bytes t1 = {2, 0, 0x41, 2, 0xFF, 1, 2, 0, 0, 128, 0, 0, 2};
  f.insert(f.end(), t1.begin(), t1.end());
  f.push_back(5);
  f.insert(f.end(), 128, 0x42);
  f.insert(f.end(), {8, 0x24});
  return f;
}

TEST(DiskImd, RecordsMapsAndSizes) {
  const Disk d = Read(ImdFile());
  ASSERT_EQ(d.container, Container::kImd);
  EXPECT_TRUE(d.problems.empty());
  ASSERT_EQ(d.sectors.size(), 6u);
  const disk::SectorStore store(d);
  EXPECT_EQ(d.sectors[2].id_cylinder, 7);
  EXPECT_EQ(store.Get({0, 0, 1}).data[255], 255);
  EXPECT_EQ(store.Get({0, 0, 2}).data, Bytes(256, 0xE5));
  EXPECT_EQ(store.At({0, 0, 3})->dam, 0xF8);
  EXPECT_EQ(store.Get({0, 0, 3}).data, Bytes(256, 0x11));
  EXPECT_FALSE(store.At({0, 0, 4})->has_data());
  EXPECT_EQ(d.sectors[4].id_head, 0);
  EXPECT_EQ(d.sectors[4].density, disk::Density::kSingle);
  EXPECT_EQ(d.sectors[4].size, 128);
  EXPECT_EQ(d.sectors[4].data_crc, Check::kBad);
  EXPECT_EQ(d.sectors[5].size, 512);
  EXPECT_EQ(d.sectors[5].dam, 0xF8);
  EXPECT_EQ(disk::SectorData(d, d.sectors[5]), Bytes(512, 0x24));
  // Written back as it was, modes, maps, sizes and all.
  EXPECT_EQ(WriteAs(d, Container::kImd), ImdFile());
}

TEST(DiskImd, DamageEndsTheReading) {
  const auto problems = [](Bytes f) { return Read(f).problems; };
  Bytes f = ImdFile();
  f.resize(f.size() - 1);
  EXPECT_EQ(problems(f),
            (std::vector<std::string>{"the track record at byte 289: sector 2's data runs past the "
                                      "file's end"}));
  f = ImdFile();
  f[289] = 9;
  EXPECT_EQ(problems(f), (std::vector<std::string>{"the track record at byte 289 has mode 9"}));
  f = ImdFile();
  f[302] = 9;
  EXPECT_EQ(
      problems(f),
      (std::vector<std::string>{"sector 1 of cylinder 0 head 1: it cannot be read (byte 302)"}));
  EXPECT_EQ(problems(Bytes{'I', 'M', 'D', ' ', '1'}),
            (std::vector<std::string>{"the header's comment never ends (no 1A)"}));
  EXPECT_EQ(Read(Bytes{'I', 'M', 'D', ' ', '1'}).sectors.size(), 0u);
}

// What IMD cannot keep is listed: FA and F9 kept as F8, an ID that failed
// its CRC, the other density on a track; a convert refuses without --force.
TEST(DiskImd, LossesAreListed) {
  const Disk d = Mixed();
  const disk::Written w = disk::FormatOf(Container::kImd).write(d, {});
  EXPECT_EQ(w.losses, (std::vector<std::string>{
                          "cylinder 0 head 0 sector 2: data mark FA, kept as deleted data (F8)",
                          "cylinder 0 head 1 sector 2: data mark FA, kept as deleted data (F8)",
                          "cylinder 1 head 0 sector 4: an ID field that failed its CRC; IMD "
                          "keeps none",
                          "cylinder 1 head 1 sector 4: an ID field that failed its CRC; IMD "
                          "keeps none"}));
  const Disk back = Read(w.bytes);
  EXPECT_EQ(ops::CompareSectors(d, back, w.lost), "");
  EXPECT_EQ(disk::SectorStore(back).At({0, 0, 2})->dam, 0xF8);
  EXPECT_EQ(ops::Convert(d, Container::kImd, {}, false).error, "IMD cannot hold all of the disk");
  EXPECT_EQ(ops::Convert(d, Container::kImd, {}, true).error, "");
  const Disk two = Read(build::DmkWithFields(6400, 1, 1, 0, [](int, int) {
    return std::vector<DmkField>{{.sector = 1}, {.sector = 2, .double_density = false}};
  }));
  EXPECT_EQ(disk::FormatOf(Container::kImd).write(two, {}).losses,
            (std::vector<std::string>{"cylinder 0 head 0 sector 2: single and double density on "
                                      "one track; an IMD track has one mode"}));
}

}  // namespace
}  // namespace trivane::test
