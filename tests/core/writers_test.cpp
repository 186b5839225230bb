// The container writers: every image the builder makes, read and written
// back by its own container, byte for byte; conversions between containers
// that keep every sector the target can hold and list the rest; data put
// into a disk's sectors, written and read back.
#include <algorithm>

#include "builder/samples.h"
#include "builder/sector_images.h"
#include "disk/container.h"
#include "disk/sector_store.h"
#include "fs/trsdos/catalogue.h"
#include "fs/trsdos/format.h"
#include "ops/convert.h"
#include "test_support.h"

namespace trivane::test {
namespace {

using disk::Check;
using disk::Container;
using disk::Disk;
using disk::Sector;

disk::Written WriteAs(const Disk& d, Container to, bool twice = true) {
  return disk::FormatOf(to).write(d, {.single_density_twice = twice});
}

// What a sector is as read: place, ID, size, density, mark, CRC states, data.
std::string Shown(const Disk& d, const Sector& s) {
  const std::vector<std::uint8_t> data = disk::SectorData(d, s);
  return disk::PlaceText({s.cylinder, s.head, s.id_sector}) + " id " +
         std::to_string(s.id_cylinder) + "/" + std::to_string(s.id_head) + " size " +
         std::to_string(s.size) + (s.density == disk::Density::kDouble ? " DD" : " SD") + " mark " +
         HexByte(s.dam) + " crc " + std::to_string(int(s.id_crc == Check::kBad)) +
         std::to_string(int(disk::DataCrc(d, s) == Check::kBad)) + " data " +
         std::to_string(std::count(data.begin(), data.end(), 0xE5)) + "/" +
         std::to_string(data.empty() ? -1 : data[0] + data[data.size() / 2] * 7 + data.back() * 13);
}

std::vector<std::string> AllShown(const Disk& d) {
  std::vector<std::string> all;
  for (const Sector& s : d.sectors) all.push_back(Shown(d, s));
  std::sort(all.begin(), all.end());
  return all;
}

TEST(Writers, EveryBuiltImageWrittenBackByteForByte) {
  int same = 0;
  for (const auto& sets : {build::Samples(), build::Seeds()}) {
    for (const build::Sample& sample : sets) {
      const ImageBuffer image(sample.bytes);
      const Disk d = disk::ReadDisk(image);
      if (d.container == Container::kNone || !d.error.empty()) continue;
      const disk::Written w = WriteAs(d, d.container, disk::OptionsAsRead(d).single_density_twice);
      // A JV3 whose data the file does not hold cannot be written as it was.
      if (sample.name == "jv3-header-only") continue;
      EXPECT_EQ(w.bytes, sample.bytes) << sample.name;
      EXPECT_TRUE(w.losses.empty()) << sample.name << ": " << w.losses.front();
      ++same;
    }
  }
  EXPECT_GT(same, 40);
}

// Converted to each other container and read back: the same sectors, the
// same catalogue and file bytes, where nothing was listed as lost.
TEST(Writers, ConversionsKeepWhatTheTargetHolds) {
  int converted = 0;
  for (const build::Sample& sample : build::Samples()) {
    const ImageBuffer image(sample.bytes);
    const Disk d = disk::ReadDisk(image);
    if (d.container == Container::kNone || !d.error.empty()) continue;
    const trsdos::Catalogue before = trsdos::ReadCatalogue(d);
    for (const disk::ContainerFormat* row : disk::Containers()) {
      const disk::ContainerFormat& format = *row;
      const Container to = format.kind;
      for (bool twice : {true, false}) {
        if (!twice && to != Container::kDmk) continue;  // a DMK option only
        const disk::Written w = WriteAs(d, to, twice);
        if (!w.losses.empty()) continue;
        ++converted;
        const Disk back = disk::ReadDisk(ImageBuffer(w.bytes));
        ASSERT_EQ(back.container, to) << sample.name;
        EXPECT_EQ(AllShown(back), AllShown(d)) << sample.name << " as " << disk::ContainerName(to);
        const trsdos::Catalogue after = trsdos::ReadCatalogue(back);
        EXPECT_EQ(after.family, before.family) << sample.name;
        ASSERT_EQ(after.files.size(), before.files.size()) << sample.name;
        for (std::size_t f = 0; f < after.files.size(); ++f) {
          EXPECT_EQ(trsdos::ReadFile(back, after, after.files[f]).bytes,
                    trsdos::ReadFile(d, before, before.files[f]).bytes);
        }
      }
    }
  }
  EXPECT_GT(converted, 70);
}

// There and back: each bench image, converted to every container that holds
// it all and back to its own, is proved both ways (sector for sector, the
// catalogue file for file) and comes back with the sectors it had.
TEST(Writers, BenchImagesThereAndBack) {
  int both_ways = 0;
  for (int n = 0; n < 60; n += 3) {
    const build::Sample image = build::BenchImage(n);
    const Disk d = disk::ReadDisk(ImageBuffer(image.bytes));
    for (const disk::ContainerFormat* format : disk::Offered()) {
      const Container to = format->kind;
      const ops::Proved there = ops::Convert(d, to, {}, false);
      if (!there.losses.empty()) continue;
      ASSERT_EQ(there.error, "") << image.name << " to " << disk::ContainerName(to);
      const Disk middle = disk::ReadDisk(ImageBuffer(there.bytes));
      const ops::Proved back = ops::Convert(middle, d.container, {}, false);
      ASSERT_EQ(back.error, "") << image.name << " from " << disk::ContainerName(to);
      EXPECT_EQ(ops::CompareSectors(d, disk::ReadDisk(ImageBuffer(back.bytes)), {}), "")
          << image.name;
      ++both_ways;
    }
  }
  EXPECT_GT(both_ways, 70);
}

// What JV1 and JV3 cannot hold is listed, a line a track and reason; a JV1
// file whose first bytes are not a boot sector's would not read as JV1.
TEST(Writers, LossesAreListed) {
  const char* kNotJv1 =
      "the boot sector does not start 00 FE, by which a JV1 file is known: it would not read as "
      "one";
  const Bytes dd = build::DmkWithFields(6400, 2, 1, 0, [](int c, int) {
    std::vector<build::DmkField> fields;
    for (int n = 0; n < 18; ++n) fields.push_back({.cylinder = c, .sector = n});
    fields[2].bad_data_crc = c == 1;
    fields[3].cylinder = c == 1 ? 9 : c;
    fields[4].dam = c == 1 ? 0 : 0xFB;
    return fields;
  });
  const Disk d = disk::ReadDisk(ImageBuffer(dd));
  EXPECT_EQ(
      WriteAs(d, Container::kJv1).losses,
      (std::vector<std::string>{
          "cylinder 0 head 0 sectors 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, "
          "17: double density; JV1 holds single density only",
          "cylinder 1 head 0 sectors 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, "
          "17: double density; JV1 holds single density only",
          kNotJv1}));
  const disk::Written jv3 = WriteAs(d, Container::kJv3);
  EXPECT_EQ(jv3.losses, (std::vector<std::string>{
                            "cylinder 1 head 0 sector 3: an ID field that names cylinder 9 "
                            "head 0; JV3 keeps the place only",
                            "cylinder 1 head 0 sector 4: no data field; JV3 holds sectors "
                            "with data only"}));
  const Disk back = disk::ReadDisk(ImageBuffer(jv3.bytes));
  EXPECT_EQ(back.sectors.size(), 35u);
  EXPECT_EQ(disk::SectorStore(back).Get({1, 0, 2}).crc_error, true);

  const Bytes sd = build::DmkWithFields(6400, 1, 2, dmk::kOptionSingleDensity, [](int c, int h) {
    std::vector<build::DmkField> fields;
    for (int n = 0; n < 10; ++n)
      fields.push_back({.cylinder = c, .head = h, .sector = n, .double_density = false});
    if (h == 0) fields.push_back({.cylinder = c, .sector = 4, .double_density = false});
    return fields;
  });
  EXPECT_EQ(
      WriteAs(disk::ReadDisk(ImageBuffer(sd)), Container::kJv1).losses,
      (std::vector<std::string>{"cylinder 0 head 0 sector 4: a second copy; JV1 holds one",
                                "cylinder 0 head 1 sectors 0, 1, 2, 3, 4, 5, 6, 7, 8, 9: head 1; "
                                "JV1 holds head 0 only",
                                kNotJv1}));
}

// The containers' flags: JV3's write protection, and single-density bytes
// stored once when asked, even from a DMK that stored them twice.
TEST(Writers, FlagsAreKept) {
  const Bytes jv3 = build::Jv3(build::Jv3Disk(2, 1, 10, false));
  const Disk protected_disk = disk::ReadDisk(ImageBuffer(jv3));
  EXPECT_TRUE(protected_disk.write_protected);
  EXPECT_EQ(WriteAs(protected_disk, Container::kDmk).bytes[0], 0xFF);
  const Disk writable =
      disk::ReadDisk(ImageBuffer(WriteAs(protected_disk, Container::kDmk, true).bytes));
  EXPECT_EQ(WriteAs(writable, Container::kJv3).bytes[jv3::kWriteProtect], 0x00);
  const Bytes doubled = build::DmkWithFields(6400, 2, 1, 0, [](int c, int) {
    std::vector<build::DmkField> fields;
    for (int n = 0; n < 10; ++n)
      fields.push_back({.cylinder = c, .sector = n, .double_density = false});
    return fields;
  });
  const Bytes once = WriteAs(disk::ReadDisk(ImageBuffer(doubled)), Container::kDmk, false).bytes;
  EXPECT_EQ(once[dmk::kOptionsAt] & dmk::kOptionSingleDensity, dmk::kOptionSingleDensity);
  EXPECT_EQ(once.size(), 16u + 2 * 3264);
}

// Data put into sectors of every container and density, written by each
// writer and read back: the new data with a good CRC, every other sector
// as it was.
TEST(Writers, PutDataReadsBack) {
  const Bytes mixed = build::DmkWithFields(6400, 2, 1, 0, [](int c, int) {
    std::vector<build::DmkField> fields;
    for (int n = 0; n < 10; ++n)
      fields.push_back({.cylinder = c, .sector = n, .double_density = c > 0});
    fields[5].bad_data_crc = true;
    fields[3].bad_id_crc = c == 1;
    fields[9].at = 6400 - 200;  // its data runs round the block's end
    return fields;
  });
  const Disk from_mixed = disk::ReadDisk(ImageBuffer(mixed));
  const Disk from_jv3 = disk::ReadDisk(ImageBuffer(build::Jv3(build::Jv3Disk(2, 2, 18, true))));
  int bad_ids = 0;
  for (const Bytes& bytes :
       {mixed, build::Jv1(3), build::Jv3(build::Jv3Disk(2, 2, 18, true)),
        WriteAs(from_mixed, Container::kHfe).bytes, WriteAs(from_jv3, Container::kImd).bytes}) {
    Disk d = disk::ReadDisk(ImageBuffer(bytes));
    const std::vector<std::string> before = AllShown(d);
    disk::SectorStore store(d);
    const std::vector<std::uint8_t> data(256, 0x3C);
    for (int c = 0; c < 2; ++c) {
      for (int id : {5, 9}) EXPECT_TRUE(store.Put({c, 0, id}, data)) << c << " " << id;
    }
    EXPECT_FALSE(store.Put({0, 0, 1}, std::vector<std::uint8_t>(255)));
    EXPECT_FALSE(store.Put({7, 0, 1}, data));
    // No controller finds a sector whose ID fails its CRC to write it.
    if (const Sector* bad = store.At({1, 0, 3}); bad != nullptr && bad->id_crc == Check::kBad) {
      EXPECT_FALSE(store.Put({1, 0, 3}, data));
      ++bad_ids;
    }
    EXPECT_FALSE(disk::SectorStore(static_cast<const Disk&>(d)).Put({0, 0, 1}, data));
    const Bytes written = WriteAs(d, d.container).bytes;
    const Disk back = disk::ReadDisk(ImageBuffer(written));
    const disk::SectorStore read(back);
    // Where single density is stored twice, both copies of each byte.
    const Sector* doubled = read.At({0, 0, 9});
    if (back.container == disk::Container::kDmk && doubled->density == disk::Density::kSingle &&
        disk::OptionsAsRead(back).single_density_twice) {
      EXPECT_EQ(written[doubled->data_offset], 0x3C);
      EXPECT_EQ(written[doubled->data_offset + 1], 0x3C);
    }
    for (int c = 0; c < 2; ++c) {
      for (int id : {5, 9}) {
        EXPECT_EQ(read.Get({c, 0, id}).data, data);
        EXPECT_FALSE(read.Get({c, 0, id}).crc_error);
      }
    }
    const auto put = [](const std::string& s) {
      return s.find(" sector 5 ") != std::string::npos || s.find(" sector 9 ") != std::string::npos;
    };
    std::vector<std::string> others = AllShown(back), unchanged = before;
    std::erase_if(others, put);
    std::erase_if(unchanged, put);
    EXPECT_EQ(others, unchanged);
    EXPECT_EQ(back.sectors.size(), d.sectors.size());
  }
  EXPECT_GE(bad_ids, 1);
}

// A header that names more cylinders than a drive has is not a DMK: the
// file of zeros behind a JV1 boot sector's first bytes is a JV1.
TEST(Writers, ScoresDecideTheContainer) {
  Bytes jv1(8960, 0);
  jv1[1] = 0xFE;
  jv1[2] = 0x11;
  jv1[3] = 0x19;
  EXPECT_EQ(disk::Detect(ImageBuffer(jv1))->kind, Container::kJv1);
  jv1[1] = 40;
  EXPECT_EQ(disk::Detect(ImageBuffer(jv1))->kind, Container::kDmk);
}

}  // namespace
}  // namespace trivane::test
