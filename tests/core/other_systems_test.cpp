// The systems read and never changed: UCSD p-System volumes in a CP/M
// format's data area, MS-DOS (FAT12) disks; found with their evidence,
// listed, read, damage said, every change refused; and the real disks of
// each, when they are there.
#include <filesystem>
#include <fstream>

#include "builder/cpm_images.h"
#include "builder/fat_images.h"
#include "fs/fat/unit.h"
#include "ops/filesystems.h"
#include "ops/prove.h"
#include "test_support.h"

namespace trivane::test {
namespace {

namespace fs = std::filesystem;

void Word(Bytes& b, std::size_t at, int v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Name(Bytes& b, std::size_t at, const std::string& name) {
  b[at] = static_cast<std::uint8_t>(name.size());
  std::copy(name.begin(), name.end(), b.begin() + static_cast<std::ptrdiff_t>(at) + 1);
}

// A p-System entry at `at` of the directory's bytes (block 2 on).
void Entry(Bytes& dir, std::size_t at, int first, int next, int kind, const std::string& name,
           int last) {
  std::fill_n(dir.begin() + static_cast<std::ptrdiff_t>(at), 26, 0);
  Word(dir, at, first);
  Word(dir, at + 2, next);
  Word(dir, at + 4, kind);
  Name(dir, at + 6, name);
  Word(dir, at + 22, last);
  Word(dir, at + 24, 5 | 17 << 4 | 83 << 9);  // 05/17/83
}

// A Montezuma system disk (18 x 256, 2 reserved tracks, skew 2) whose data
// area is a p-System volume of 300 blocks: HELLO.TEXT in blocks 8 to 10
// (its editor's two blocks, then a page), PROG.CODE in 11 and 12 (700 bytes).
disk::Disk PsystemDisk(int prog_next = 13) {
  Bytes text(3 * 512, 0);
  const std::string page = "PROGRAM HELLO;\r\x10\x24WRITELN('HI')\rEND.\r";
  std::copy(page.begin(), page.end(), text.begin() + 1024);
  Bytes code(1024);
  for (std::size_t k = 0; k < code.size(); ++k) code[k] = static_cast<std::uint8_t>(k * 5);
  Bytes area = text;
  area.insert(area.end(), code.begin(), code.end());
  // The CP/M builder lays the area from block 2 of 2 KiB (byte 4,096, the
  // volume's block 8) out as one file; its entry is then cleared.
  return build::CpmDisk({40, 1, 18, 256, 1, 2, 2048, 128, 2}, {{0, "AREA", "", area}},
                        [&](Bytes& d) {
                          std::fill_n(d.begin(), 32, 0xE5);
                          std::fill(d.begin() + 1024, d.begin() + 3072, 0);
                          Bytes dir(2048, 0);
                          Word(dir, 2, 6);
                          Name(dir, 6, "TESTVOL");
                          Word(dir, 14, 300);
                          Word(dir, 16, 2);
                          Entry(dir, 26, 8, 11, 3, "HELLO.TEXT", 512);
                          Entry(dir, 52, 11, prog_next, 2, "PROG.CODE", 188);
                          std::copy(dir.begin(), dir.end(), d.begin() + 1024);
                        });
}

TEST(Psystem, AVolumeInACpmDataArea) {
  const auto fs = ops::OpenFilesystem(PsystemDisk());
  ASSERT_NE(fs, nullptr);
  EXPECT_EQ(fs->Family(), "UCSD p-System");
  EXPECT_EQ(fs->Evidence().front(),
            "a p-System volume directory in block 2 of the data area as Montezuma system 170K "
            "lays it out (18 x 256, 2 reserved tracks, 2 KiB blocks, 128 entries, skew 2)");
  EXPECT_EQ(fs->Facts(),
            (std::vector<std::string>{"volume \"TESTVOL\"", "289 of 300 blocks free"}));
  const auto listed = fs->List(false);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].name, "HELLO.TEXT");
  EXPECT_EQ(listed[0].size, 3 * 512);
  EXPECT_EQ(filesystems::CellOf(listed[0], "date"), "05/17/83");
  EXPECT_EQ(filesystems::CellOf(listed[1], "kind"), "code");
  EXPECT_EQ(listed[1].host_name, "PROG.CODE");
  const filesystems::FileBytes prog = fs->Read(*fs->Find("prog.code", false));
  ASSERT_TRUE(prog.whole());
  ASSERT_EQ(prog.bytes.size(), 700u);
  EXPECT_EQ(prog.bytes[699], static_cast<std::uint8_t>(699 * 5));
  const Bytes text = fs->HostText(fs->Read(listed[0]).bytes);
  EXPECT_EQ(std::string(text.begin(), text.end()), "PROGRAM HELLO;\n    WRITELN('HI')\nEND.\n");
  EXPECT_TRUE(fs->Check().empty());
  EXPECT_EQ(ops::PutFile(*fs, "NEW.TEXT", {1, 2}, false, "").error,
            "a UCSD p-System volume is read, not changed");
  // A file past the volume's end is said, and not whole.
  const auto damaged = ops::OpenFilesystem(PsystemDisk(400));
  ASSERT_EQ(
      damaged->CheckLines(),
      (std::vector<std::string>{"block-outside PROG.CODE: block 399 is past the volume's 300"}));
  EXPECT_FALSE(damaged->List(false)[1].complete);
}

TEST(Psystem, RealVolumes) {
  const fs::path disks = TRIVANE_REAL_DISKS;
  if (!fs::exists(disks / "README.md")) GTEST_SKIP() << disks << " is not there";
  const std::pair<const char*, std::size_t> volumes[] = {{"gmesoft__CPM230_softech-sys.JV3", 19},
                                                         {"gmesoft__CPM230_ucsd-games.JV3", 9}};
  for (const auto& [name, files] : volumes) {
    std::ifstream in(disks / name, std::ios::binary);
    const auto fs = ops::OpenFilesystem(
        disk::ReadDisk(ImageBuffer(Bytes{std::istreambuf_iterator<char>(in), {}})));
    ASSERT_NE(fs, nullptr) << name;
    EXPECT_EQ(fs->Family(), "UCSD p-System");
    EXPECT_EQ(fs->List(false).size(), files);
    EXPECT_TRUE(fs->Check().empty()) << name;
    for (const auto& f : fs->List(false)) EXPECT_TRUE(fs->Read(f).whole()) << f.name;
  }
  // A program's source reads as Pascal.
  std::ifstream in(disks / "gmesoft__CPM230_ucsd-games.JV3", std::ios::binary);
  const auto games = ops::OpenFilesystem(
      disk::ReadDisk(ImageBuffer(Bytes{std::istreambuf_iterator<char>(in), {}})));
  const Bytes chase = games->HostText(games->Read(*games->Find("CHASE.TEXT", false)).bytes);
  EXPECT_EQ(std::string(chase.begin(), chase.begin() + 30), "\nPROGRAM CHASE;\nCONST   MAN   ");
}

TEST(Fat, AnMsDosDiskListedAndRead) {
  const build::FatImage image(40);
  const auto fs = ops::OpenFilesystem(image.Disk());
  ASSERT_NE(fs, nullptr);
  EXPECT_EQ(fs->Family(), "MS-DOS");
  EXPECT_EQ(
      fs->Evidence().front(),
      "a DOS boot sector at cylinder 0 head 0 sector 1: 512-byte sectors, 2 a cluster, 2 FATs "
      "of 2 sectors, 112 root entries, media FD");
  EXPECT_EQ(fs->Facts(), (std::vector<std::string>{"348 of 354 clusters free"}));
  const auto listed = fs->List(false);
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[2].name, "SUB\\INNER.DAT");
  EXPECT_EQ(listed[2].host_name, "SUB/INNER.DAT");
  EXPECT_EQ(filesystems::CellOf(listed[1], "attr"), "R--A");
  EXPECT_EQ(filesystems::CellOf(listed[1], "date"), "1986-09-01");
  const filesystems::FileBytes big = fs->Read(*fs->Find("big.bin", false));
  ASSERT_TRUE(big.whole());
  EXPECT_EQ(Bytes(big.bytes.begin(), big.bytes.end()),
            Bytes(image.sectors.begin() + 12 * 512, image.sectors.begin() + 12 * 512 + 3000));
  EXPECT_EQ(fs->Read(*fs->Find("sub/inner.dat", false)).bytes.size(), 100u);
  const Bytes hello = fs->HostText(fs->Read(listed[0]).bytes);
  EXPECT_EQ(std::string(hello.begin(), hello.end()), "HI\nTHERE\n");
  EXPECT_TRUE(fs->Check().empty());
  EXPECT_EQ(ops::DeleteFile(*fs, "HELLO.TXT").error, "an MS-DOS disk is read, not changed");
  // A chain that comes round, and one that runs into another file's.
  build::FatImage looped(40);
  looped.Link(4, 2);
  looped.Link(7, 6);
  const auto damaged = ops::OpenFilesystem(looped.Disk());
  EXPECT_EQ(
      damaged->CheckLines(),
      (std::vector<std::string>{"chain BIG.BIN: its chain comes round to cluster 2 again",
                                "cluster-twice SUB\\INNER.DAT: cluster 6 is also HELLO.TXT's"}));
  EXPECT_FALSE(damaged->List(false)[1].complete);
}

// The real Genie IIIs MS-DOS disk: its cylinder 0 is gone; said so.
TEST(Fat, RealDiskWithoutItsBootSector) {
  const fs::path disks = TRIVANE_REAL_DISKS;
  if (!fs::exists(disks / "README.md")) GTEST_SKIP() << disks << " is not there";
  std::ifstream in(disks / "g3s__5dos211.dmk", std::ios::binary);
  const auto fs = ops::OpenFilesystem(
      disk::ReadDisk(ImageBuffer(Bytes{std::istreambuf_iterator<char>(in), {}})));
  ASSERT_NE(fs, nullptr);
  EXPECT_EQ(fs->Family(), "MS-DOS");
  EXPECT_TRUE(fs->List(false).empty());
  ASSERT_EQ(fs->Check().size(), 1u);
  EXPECT_EQ(fs->Check()[0].kind, "boot-sector-missing");
}

// Without its boot sector a disk is taken as MS-DOS only when DOS directory
// entries lie in two sectors or more: one such sector is no directory to go
// by, and what is missing is said with the cylinders that hold data.
TEST(Fat, WithoutItsBootSectorTwoDirectorySectorsAreNeeded) {
  build::FatImage image(40);
  std::fill(image.At(0), image.At(18), std::uint8_t{0xE5});  // cylinder 0 as formatted
  const auto entries_in = [&](int n) {
    std::fill(image.At(n), image.At(n + 1), std::uint8_t{0});
    for (int slot = 0; slot < 4; ++slot) {
      const std::string name = "FILE" + std::to_string(slot) + "   TXT";
      image.Put(image.At(n), slot, name.c_str(), 0, 2 + slot, 100);
    }
  };
  entries_in(100);
  EXPECT_EQ(fat::OpenFat(image.Disk())->Score(), 0);
  entries_in(200);
  const auto fs = fat::OpenFat(image.Disk());
  EXPECT_EQ(fs->Score(), 1);
  EXPECT_EQ(
      fs->Evidence().back(),
      "DOS directory entries in 2 sectors, the first at cylinder 5 head 1 sector 2 (FILE0.TXT, "
      "FILE1.TXT, FILE2.TXT)");
  EXPECT_TRUE(fs->List(false).empty());
  // Any other unit's reading outranks it.
  EXPECT_EQ(fat::OpenFat(image.Disk(), 1)->Score(), 0);
}

}  // namespace
}  // namespace trivane::test
