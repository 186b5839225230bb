// Zip archives: members stored and deflated read in place, through the one
// way in as files are, a zip in a zip one level down; damage (a CRC error,
// a cut archive, a damaged directory, a method not read) said and nothing
// passed off as read; an archive never changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "archive/zip.h"
#include "builder/image_builder.h"
#include "builder/zip_images.h"
#include "ops/archives.h"
#include "ops/convert.h"
#include "ops/filesystems.h"
#include "ops/open.h"
#include "ops/tapes.h"
#include "present/changes.h"

namespace trivane::test {
namespace {

namespace fs = std::filesystem;
using build::Bytes;

class Archives : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("trivane-zips-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }
  static fs::path Put(const std::string& name, const Bytes& bytes) {
    EXPECT_TRUE(build::WriteFile(dir_ / name, bytes));
    return dir_ / name;
  }
  static inline fs::path dir_;
};

Bytes FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(Archives, MembersReadInPlaceStoredDeflatedAndOneLevelDown) {
  const Bytes jv1 = build::Jv1(35), text = {'h', 'i', '\n'};
  const Bytes inner = build::Zip({{"deep.dsk", jv1}, {"deeper.zip", build::Zip({{"x.dsk", jv1}})}});
  const fs::path zip = Put("shelf.zip", build::Zip({{"games/a.dsk", jv1, false},
                                                    {"games/", {}},
                                                    {"readme.txt", text},
                                                    {"b.dsk", jv1},
                                                    {"inner.zip", inner, false}},
                                                   "a comment after the end record"));
  EXPECT_TRUE(ops::InArchive(zip));
  EXPECT_TRUE(ops::InArchive(zip / "b.dsk"));
  EXPECT_FALSE(ops::InArchive(dir_));
  // The images, in order; a zip member's own in its place, no deeper.
  const ops::ArchiveImages images = ops::ImagesInArchive(zip);
  EXPECT_EQ(images.error, "");
  const std::string z = zip.string();
  EXPECT_EQ(images.paths, (std::vector<std::string>{z + "/games/a.dsk", z + "/b.dsk",
                                                    z + "/inner.zip/deep.dsk"}));
  const disk::Disk plain = disk::ReadDisk(ImageBuffer(jv1));
  for (const std::string& path : images.paths) {
    const ops::OpenedImage r = ops::OpenImage(PathFromUtf8(path), ops::Purpose::kCatalogue);
    EXPECT_EQ(r.error, "") << path;
    EXPECT_EQ(ops::CompareSectors(plain, r.disk, {}), "") << path;
  }
  EXPECT_EQ(ops::OpenImage(zip / "none.dsk", ops::Purpose::kSectors).error,
            "the archive holds no member none.dsk");
  EXPECT_NE(ops::OpenImage(zip / "readme.txt", ops::Purpose::kSectors).error, "");
  EXPECT_EQ(ops::OpenImage(zip, ops::Purpose::kSectors).error,
            "a zip archive of 3 images: name one as ARCHIVE.zip/MEMBER");
  // One image: the archive names it.
  const fs::path one = Put("one.zip", build::Zip({{"readme.txt", text}, {"only.dsk", jv1}}));
  const ops::OpenedImage only = ops::OpenImage(one, ops::Purpose::kWindow);
  EXPECT_EQ(only.error, "");
  EXPECT_EQ(only.file, one.string());
  EXPECT_EQ(ops::CompareSectors(plain, only.disk, {}), "");
  EXPECT_EQ(ops::WithArchiveMembers({one.string(), "x.dsk"}),
            (std::vector<std::string>{one.string() + "/only.dsk", "x.dsk"}));
  // Never changed, whether named or holding the image.
  const std::string why = "This image is inside a zip archive: nothing here changes it.";
  const auto fs = ops::FilesystemToChange(only.disk);
  EXPECT_EQ(present::WhyReadOnly(only.disk, fs.get(), true, one), why);
  EXPECT_EQ(present::WhyReadOnly(only.disk, fs.get(), true, zip / "b.dsk"), why);
}

TEST_F(Archives, DamageIsSaidNeverPassedOffAsRead) {
  const Bytes jv1 = build::Jv1(35);
  const Bytes good = build::Zip({{"a.dsk", jv1, false}, {"b.dsk", jv1}});
  Bytes bad = good;
  bad[30 + 5 + 100] ^= 0x01;  // a byte of a.dsk's data
  const fs::path hurt = Put("hurt.zip", bad);
  EXPECT_EQ(ops::OpenImage(hurt / "a.dsk", ops::Purpose::kCatalogue).error,
            "CRC error: its bytes are not those the archive stored");
  EXPECT_EQ(ops::OpenImage(hurt / "b.dsk", ops::Purpose::kCatalogue).error, "");
  // The damaged member is still listed, so that its reader says why.
  EXPECT_EQ(ops::ImagesInArchive(hurt).paths.size(), 2u);
  // Cut anywhere: the end record is lost; cut in the directory's place.
  const Bytes cut(good.begin(), good.end() - 10);
  EXPECT_EQ(ops::ImagesInArchive(Put("cut.zip", cut)).error,
            "the archive is cut short: its directory's end record is missing");
  Bytes wrong = good;
  wrong[wrong.size() - 6] ^= 0x40;  // the directory's offset, past the end record
  EXPECT_EQ(archive::ReadZipDirectory(ImageBuffer(wrong)).error,
            "the archive's directory lies outside it (cut short?)");
  std::fill(wrong.end() - 6, wrong.end() - 2, 0xFF);  // the offset a zip64 archive puts there
  EXPECT_EQ(archive::ReadZipDirectory(ImageBuffer(wrong)).error,
            "a zip64 archive, which this version does not read");
  // Deflated data cut short, a method this reader does not take.
  Bytes deflated = build::Zip({{"b.dsk", jv1}});
  const archive::ZipDirectory d = archive::ReadZipDirectory(ImageBuffer(deflated));
  ASSERT_EQ(d.members.size(), 1u);
  archive::ZipMember m = d.members[0];
  EXPECT_EQ(archive::ReadZipMember(ImageBuffer(deflated), m, 1 << 20).bytes, jv1);
  EXPECT_EQ(archive::ReadZipMember(ImageBuffer(deflated), m, jv1.size() - 1).error,
            "larger than any image (" + std::to_string(jv1.size()) + " bytes)");
  for (std::size_t k = 30 + 5; k < 30 + 5 + m.packed; ++k) deflated[k] = 0xFF;
  EXPECT_EQ(archive::ReadZipMember(ImageBuffer(deflated), m, 1 << 20).error,
            "its deflated data are damaged");
  m.method = 12;
  EXPECT_EQ(archive::ReadZipMember(ImageBuffer(deflated), m, 1 << 20).error,
            "packed by method 12, which this version does not read");
  m.method = 8;
  m.packed = 10;
  EXPECT_EQ(archive::ReadZipMember(ImageBuffer(good), m, 1 << 20).error.substr(0, 16),
            "its deflated dat");
  // A stored member whose sizes differ; an encrypted one (bit 0 of its flags).
  const archive::ZipDirectory g = archive::ReadZipDirectory(ImageBuffer(good));
  m = g.members[0];
  --m.packed;
  EXPECT_EQ(archive::ReadZipMember(ImageBuffer(good), m, 1 << 20).error,
            "stored, but its sizes differ (the archive is damaged)");
  Bytes locked = good;
  const std::string central = "PK\x01\x02";
  locked[static_cast<std::size_t>(
             std::search(locked.begin(), locked.end(), central.begin(), central.end()) -
             locked.begin()) +
         8] |= 1;
  m = archive::ReadZipDirectory(ImageBuffer(locked)).members[0];
  EXPECT_EQ(archive::ReadZipMember(ImageBuffer(locked), m, 1 << 20).error,
            "encrypted, which this version does not read");
}

// A local header with an extra field (as archivers write the file's times):
// the data begin after it.
TEST_F(Archives, LocalExtraFieldsAreSteppedOver) {
  const Bytes jv1 = build::Jv1(35);
  Bytes zip = build::Zip({{"a.dsk", jv1, false}});
  const std::size_t name = 5;
  zip.insert(zip.begin() + 30 + name, {0x55, 0x54, 0, 0});  // "UT", no bytes
  zip[28] = 4;
  // The directory lies 4 bytes later: its offset in the end record.
  const std::size_t offset_at = zip.size() - 22 + 16;
  std::uint32_t at = 0;
  for (std::size_t k = 4; k-- > 0;) at = at << 8 | zip[offset_at + k];
  at += 4;
  for (std::size_t k = 0; k < 4; ++k) zip[offset_at + k] = static_cast<std::uint8_t>(at >> (8 * k));
  const archive::ZipDirectory d = archive::ReadZipDirectory(ImageBuffer(zip));
  ASSERT_EQ(d.error, "");
  EXPECT_EQ(archive::ReadZipMember(ImageBuffer(zip), d.members[0], 1 << 20).bytes, jv1);
}

// Real disks and tapes inside a zip read as their files do.
TEST_F(Archives, RealDisksAndTapesInAZip) {
  const fs::path disks = TRIVANE_REAL_DISKS, tapes = TRIVANE_REAL_TAPES;
  if (!fs::exists(disks / "README.md") || !fs::exists(tapes / "README.md"))
    GTEST_SKIP() << "the real files are not there";
  std::vector<build::ZipEntry> entries;
  for (const char* name : {"bigmit__TRSDOS_v13.dmk", "bigmit__m1_fmg_cpm.hfe", "g3s__egcpm02.imd"})
    entries.push_back({name, FileBytes(disks / name)});
  fs::path cas;
  for (const auto& e : fs::directory_iterator(tapes))
    if (e.path().extension() == ".cas") cas = e.path();
  entries.push_back({"tape.cas", FileBytes(cas)});
  const fs::path zip = Put("real.zip", build::Zip(entries));
  EXPECT_EQ(ops::ImagesInArchive(zip).paths.size(), 4u);
  for (std::size_t k = 0; k + 1 < entries.size(); ++k) {
    const ops::OpenedDos in = ops::OpenDos(zip / entries[k].name);
    const ops::OpenedDos file = ops::OpenDos(disks / entries[k].name);
    ASSERT_TRUE(in.known()) << entries[k].name;
    EXPECT_EQ(in.fs->List(true).size(), file.fs->List(true).size());
    EXPECT_EQ(ops::CompareSectors(file.sectors.disk, in.sectors.disk, {}), "");
  }
  const ops::OpenedTape t = ops::OpenTape(zip / "tape.cas");
  EXPECT_TRUE(t.is_tape);
  EXPECT_EQ(t.error, "");
  EXPECT_EQ(t.tape.programs.size(), ops::OpenTape(cas).tape.programs.size());
}

}  // namespace
}  // namespace trivane::test
