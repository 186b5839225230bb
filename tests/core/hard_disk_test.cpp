// Reed hard disks: the header, the drives found on their slices, new hard
// disks as LDOS formats them, changes that stay inside their drive, damage
// said and never read past; and the real FreHD image, when it is there.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "builder/cpm_images.h"
#include "builder/dos_images.h"
#include "disk/reed.h"
#include "disk/sector_store.h"
#include "formats/reed.h"
#include "ops/convert.h"
#include "ops/drives.h"
#include "ops/filesystems.h"
#include "ops/prove.h"
#include "test_support.h"

namespace trivane::test {
namespace {

namespace fs = std::filesystem;
using disk::Disk;

Disk Read(const Bytes& bytes) {
  return disk::ReadDisk(ImageBuffer(bytes));
}

Bytes Pattern(int seed, std::size_t size) {
  Bytes b(size);
  for (std::size_t k = 0; k < size; ++k) b[k] = static_cast<std::uint8_t>(k * 7 + seed);
  return b;
}

// The bytes of the image outside drive n's slice.
Bytes OutsideSlice(const Bytes& image, int n, int heads) {
  Bytes out(image.begin(), image.begin() + reed::kHeaderBytes);
  const std::size_t track = reed::kSliceSectors * reed::kSectorBytes;
  for (std::size_t at = reed::kHeaderBytes; at < image.size(); at += track) {
    if (static_cast<int>((at - reed::kHeaderBytes) / track) % heads == n) continue;
    out.insert(out.end(), image.begin() + static_cast<long>(at),
               image.begin() + static_cast<long>(at + track));
  }
  return out;
}

TEST(HardDisk, NewDrivesAreLdosOnTheirHeadsAndTheHeaderSaysTheShape) {
  const Disk d = Read(build::NewHardDisk(80, 3, 2));
  ASSERT_EQ(d.container, disk::Container::kReed);
  EXPECT_EQ(d.cylinders, 80);
  EXPECT_EQ(d.sectors.size(), 80u * 96);
  EXPECT_TRUE(d.problems.empty());
  const disk::ReedHeader h = disk::ReedHeaderOf(d.image);
  EXPECT_EQ(h.system, reed::kLdos);
  EXPECT_EQ(h.sectors_per_cylinder, 96);
  EXPECT_EQ(h.directory_cylinder, 40);
  EXPECT_EQ(h.month * 10000 + h.day * 100 + h.year % 100, 120826);
  const ops::Drives drives = ops::OpenDrives(d);
  ASSERT_EQ(drives.list.size(), 2u);  // the third head is no drive
  for (const ops::Drive& drive : drives.list) {
    const auto files = drive.fs->List(false);
    EXPECT_EQ(drive.fs->Name(), "LDOS 5.3");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[1].name, "DIR/SYS");
    EXPECT_EQ(drive.fs->DirectoryCylinder(), 40);
    EXPECT_EQ(drive.fs->WhyNotChangeable(), "");
  }
  EXPECT_EQ(drives.list[1].number, 1);
  EXPECT_NE(drives.list[1].fs->Facts()[0].find("LDOSHDB"), std::string::npos);
  EXPECT_EQ(drives.list[0].fs->Facts()[1], "623 of 640 granules free");
  // As a floppy cannot hold it, nor it a floppy.
  EXPECT_NE(ops::Convert(d, disk::Container::kDmk, {}, true).error, "");
  EXPECT_NE(ops::Convert(drives.list[0].disk, disk::Container::kJv3, {}, true).error, "");
}

// A drive's GAT gives out granules on every cylinder, past the 96 a
// floppy's GAT holds before its lock-out table.
TEST(HardDisk, AFileReachesTheLastCylinders) {
  const Disk d = ops::DiskOfDrive(Read(build::NewHardDisk(203, 1, 1)), 0).disk;
  const auto fs = ops::FilesystemToChange(d);
  const Bytes big = Pattern(5, 1640000);
  const filesystems::Changed put = ops::PutFile(*fs, "BIG/DAT", big, false, "");
  ASSERT_EQ(put.error, "");
  const auto back = ops::FilesystemToChange(put.disk);
  EXPECT_EQ(back->Read(*back->Find("BIG/DAT", false)).bytes, big);
  EXPECT_EQ(back->Facts()[1], "5 of 1624 granules free");
}

TEST(HardDisk, OnlyWhatLdosFormatsIsMade) {
  filesystems::FormatRequest q{"ldos", "", 203, 4, 0, "", "12/08/26", disk::Container::kReed, 5};
  EXPECT_EQ(ops::FormatNew(q).error, "a hard disk has 1 drive to one a head");
  q.drives = 4;
  q.cylinders = 204;
  EXPECT_EQ(ops::FormatNew(q).error, "an LDOS hard disk has 36 to 203 cylinders");
  q.cylinders = 203;
  q.heads = 9;
  EXPECT_EQ(ops::FormatNew(q).error, "a hard disk has 1 to 8 heads");
  q.heads = 8;  // 256 sectors a cylinder, which its header says as 0
  q.drives = 1;
  q.dos = "trsdos23";
  EXPECT_EQ(ops::FormatNew(q).error, "hard disks are made for LDOS only");
  q.dos = "ldos";
  q.date = "1a/08/26";
  EXPECT_EQ(ops::FormatNew(q).error, "a date is MM/DD/YY");
  q.date = "12/08/26";
  q.name = "EIGHTCHR";  // each drive adds its letter
  EXPECT_EQ(ops::FormatNew(q).error, "a disk name has at most 7 characters");
  const Disk d = Read(build::NewHardDisk(40, 8, 1));
  EXPECT_EQ(d.image.at(reed::kSectorsPerCylinder), 0);
  EXPECT_EQ(d.sectors.size(), 40u * 256);
  EXPECT_EQ(ops::OpenDrives(d).list.size(), 1u);
}

// The drives of an LDOS hard disk are read by the TRSDOS family alone: a
// slice whose tracks hold a CP/M directory is no drive.
TEST(HardDisk, SlicesOfAnLdosHardDiskAreNotReadAsCpm) {
  Bytes image = build::NewHardDisk(40, 2, 2);
  const Disk cpm = build::CpmDisk({40, 1, 32, 256, 0, 2, 2048, 128, 1, true},
                                  {{0, "PIP", "COM", Bytes(7000, 0x31)}});
  const disk::SectorStore store(cpm);
  for (int c = 0; c < 40; ++c) {
    for (int s = 0; s < 32; ++s) {
      const Bytes data = store.Get({c, 0, s}).data;
      std::copy(data.begin(), data.end(), image.begin() + 256 + ((c * 2) * 32 + s) * 256);
    }
  }
  ASSERT_GT(ops::Units()[1].open(disk::Slice(Read(image), 0), 0)->Score(), 0);
  const ops::Drives drives = ops::OpenDrives(Read(image));
  ASSERT_EQ(drives.list.size(), 1u);
  EXPECT_EQ(drives.list[0].number, 1);
}

// A thousand puts, deletes and renames over the drives, each proved; no
// change reaches past its own drive's slice.
TEST(HardDisk, RandomChangesAreProvedAndStayInTheirDrive) {
  std::mt19937 random(32);
  Bytes image = build::NewHardDisk(40, 3, 3);
  int steps = 0;
  for (int n = 0; n < 3000 && steps < 1000; ++n) {
    const int drive = static_cast<int>(random() % 3);
    const ops::DriveDisk d = ops::DiskOfDrive(Read(image), drive);
    ASSERT_EQ(d.error, "");
    const auto fs = ops::FilesystemToChange(d.disk);
    const std::string name = "R" + std::to_string(random() % 5) + "/DAT";
    const int kind = static_cast<int>(random() % 3);
    const filesystems::Changed done =
        kind == 0   ? ops::PutFile(*fs, name, Pattern(n, random() % 30000), true, "12/08/26")
        : kind == 1 ? ops::DeleteFile(*fs, name)
                    : ops::RenameFile(*fs, name, "N" + std::to_string(n % 7) + "/DAT");
    ASSERT_FALSE(done.fault) << n << ": " << done.error;
    if (!done.error.empty()) continue;
    ASSERT_EQ(disk::SliceOf(done.disk), drive);
    ASSERT_EQ(OutsideSlice(done.bytes, drive, 3), OutsideSlice(image, drive, 3)) << n;
    image = done.bytes;
    ++steps;
  }
  EXPECT_EQ(steps, 1000);
}

TEST(HardDisk, DamageIsSaidAndNeverReadPast) {
  Bytes image = build::NewHardDisk(40, 1, 1);
  image.resize(image.size() - 300);
  Disk d = Read(image);
  EXPECT_EQ(d.problems, (std::vector<std::string>{
                            "the file ends within cylinder 39: it holds 30 of its 32 sectors",
                            "the file ends within a sector, at byte 327636"}));
  EXPECT_EQ(d.sectors.size(), 39u * 32 + 30);
  image.resize(200);
  EXPECT_EQ(Read(image).container, disk::Container::kNone);
  // Write protection, and systems whose drives are not changed.
  Bytes locked = build::NewHardDisk(40, 1, 1);
  locked[reed::kFlags] = reed::kWriteProtected;
  EXPECT_EQ(ops::FilesystemToChange(ops::DiskOfDrive(Read(locked), 0).disk)->WhyNotChangeable(),
            "the image is write-protected");
  Bytes newdos = build::NewHardDisk(40, 1, 1);
  newdos[reed::kSystem] = reed::kNewdos;
  const auto fs = ops::FilesystemToChange(ops::DiskOfDrive(Read(newdos), 0).disk);
  EXPECT_EQ(fs->List(false).size(), 2u);
  EXPECT_EQ(ops::PutFile(*fs, "A/DAT", Pattern(1, 10), false, "").error,
            "a NEWDOS/80 hard disk's LDOS drives are read, not changed: no real one confirmed "
            "how it lays them out");
  // A GAT that gives out BOOT/SYS's granule: a new file takes another.
  Bytes loose = build::NewHardDisk(40, 1, 1);
  loose[reed::kHeaderBytes + 20 * 32 * 256] = 0;
  const auto on_loose = ops::FilesystemToChange(ops::DiskOfDrive(Read(loose), 0).disk);
  const filesystems::Changed put = ops::PutFile(*on_loose, "A/DAT", Pattern(2, 900), false, "");
  EXPECT_EQ(put.error, "");
  EXPECT_EQ(ops::FilesystemToChange(put.disk)->List(false).size(), 3u);
  // DIR/SYS under a damaged name is still the directory that every change
  // changes.
  Bytes renamed = build::NewHardDisk(40, 1, 1);
  renamed[reed::kHeaderBytes + (20 * 32 + 3) * 256 + 8] = 0xE3;
  const auto on_renamed = ops::FilesystemToChange(ops::DiskOfDrive(Read(renamed), 0).disk);
  EXPECT_EQ(ops::PutFile(*on_renamed, "B/DAT", Pattern(3, 900), false, "").error, "");
  Bytes cpm = build::NewHardDisk(40, 1, 1);
  cpm[reed::kSystem] = reed::kCpm;
  EXPECT_EQ(ops::DiskOfDrive(Read(cpm), 0).error,
            "a CP/M hard disk, but no grouping of its slices holds a CP/M directory");
  EXPECT_EQ(ops::DiskOfDrive(Read(build::NewHardDisk(40, 2, 2)), -1).error,
            "a hard disk of 2 drives: say which with --drive N (0, 1)");
  EXPECT_EQ(ops::DiskOfDrive(Read(build::NewHardDisk(40, 2, 2)), 2).error,
            "the hard disk has no drive 2 (its drives: 0, 1)");
}

// Each container its own size limit: a Reed image holds up to 1,024
// cylinders of 256 sectors past its header, read whole; a floppy image
// stops at 64 MiB, as the identification's.
TEST(HardDisk, ALargeImageOpensUpToWhatItsContainerHolds) {
  Bytes big = build::NewHardDisk(40, 1, 1);
  big[reed::kSectorsPerCylinder] = 0;  // 256
  big.resize(static_cast<std::size_t>(reed::kMostFileBytes));
  const Disk d = Read(big);
  EXPECT_EQ(d.error, "");
  EXPECT_EQ(d.cylinders, 1024);
  EXPECT_EQ(d.sectors.size(), 1024u * 256);
  big.push_back(0);
  EXPECT_EQ(Read(big).error, "it is larger than 67109120 bytes, too large to be a Reed image");
  const build::DosDisk trsdos = build::TrsdosDisk(0);
  Bytes floppy = build::DosDmk(trsdos, build::LayOut(trsdos));
  floppy.resize((std::size_t{64} << 20) + 1);
  EXPECT_EQ(Read(floppy).error, "it is larger than 64 MiB, too large to be a disk image");
}

// A TRSDOS 2.3 drive of 40 cylinders of 64 sectors, two granules of 32 a
// cylinder (its GAT locking the other bits out, as MULTIDOS's does), named.
build::DosSectors RunDrive(const std::string& name) {
  build::DosDisk d = build::TrsdosDisk(0);
  d.name = name;
  d.layout.spt = 64;
  d.layout.sectors_per_granule = 32;
  d.layout.dir_cylinder = 20;
  d.layout.dir_sectors = 34;
  build::DosSectors sectors = build::LayOut(d);
  std::vector<std::uint8_t>& gat = sectors[{20, 0, 0}];
  for (int c = 0; c < 40; ++c) gat[static_cast<std::size_t>(c)] |= 0xFC;
  return sectors;
}

// MULTIDOS lays a hard disk's drives out as runs of whole cylinders, each
// with its directory as far into it (the real image: runs of 140 cylinders
// of 192 sectors): found from the header's directory cylinder and the next
// GAT, read with the granules its GAT leaves unlocked, and never changed.
TEST(HardDisk, DrivesAsRunsOfWholeCylinders) {
  Bytes image(reed::kHeaderBytes, 0);
  image[0] = reed::kMagic0, image[1] = reed::kMagic1, image[reed::kVersion] = 10;
  image[reed::kCylinders] = 80, image[reed::kSectorsPerCylinder] = 64;
  image[reed::kGranulesPerCylinder] = 2, image[reed::kDirectoryCylinder] = 20;
  const build::DosSectors runs[] = {RunDrive("FIRST"), RunDrive("SECOND")};
  for (int c = 0; c < 80; ++c) {
    for (int s = 0; s < 64; ++s) {
      const auto at = runs[c / 40].find({c % 40, 0, s});
      if (at == runs[c / 40].end()) {
        image.insert(image.end(), 256, 0xE5);
      } else {
        image.insert(image.end(), at->second.begin(), at->second.end());
      }
    }
  }
  const ops::Drives drives = ops::OpenDrives(Read(image));
  ASSERT_EQ(drives.list.size(), 2u) << drives.why_none;
  EXPECT_EQ(drives.list[1].number, 1);
  EXPECT_EQ(drives.list[1].fs->Facts().front(), "disk \"SECOND\" dated \"12/06/86\"");
  const auto file = drives.list[1].fs->Find("SCATTER/BAS", false);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(drives.list[1].fs->Read(*file).bytes, build::DosFileBytes(8, 9000));
  EXPECT_TRUE(drives.list[1].fs->Check().empty());
  EXPECT_EQ(ops::PutFile(*ops::FilesystemToChange(drives.list[0].disk), "A/DAT", Pattern(1, 10),
                         false, "")
                .error,
            "a LS-DOS hard disk's TRSDOS 2.3 drives are read, not changed: no real one confirmed "
            "how it lays them out");
}

// A CP/M hard disk as the Model 4's FreHD CP/M lays one out: a drive of
// three 32-sector slices of each cylinder as its heads, its tracks head by
// head, each track's sectors 1 to 32 with sector 32 in the slice's first
// place; the other three slices empty. Found by grouping and hunting; read,
// never changed.
TEST(HardDisk, CpmDrivesOfSeveralSlices) {
  build::CpmSpec spec{40, 3, 32, 256, 1, 2, 8192, 512, 1};
  spec.side0_first = true;
  const std::vector<build::CpmFile> files = {
      {0, "PIP", "COM", Pattern(1, 7424)}, {0, "BIG", "DAT", Pattern(2, 800000)}};  // into slice 2
  const Disk cpm = build::CpmDisk(spec, files);
  Bytes image(reed::kHeaderBytes, 0);
  image[0] = reed::kMagic0, image[1] = reed::kMagic1, image[reed::kVersion] = 10;
  image[reed::kSystem] = reed::kCpm, image[reed::kCylinders] = 40;
  image[reed::kSectorsPerCylinder] = 192;
  image.resize(reed::kHeaderBytes + 40 * 192 * 256, 0xE5);
  for (const disk::Sector& s : cpm.sectors) {
    const std::size_t at =
        reed::kHeaderBytes + (s.cylinder * 192u + s.head * 32u + s.id_sector % 32u) * 256u;
    const Bytes& data = cpm.written[static_cast<std::size_t>(s.written)];
    std::copy(data.begin(), data.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
  }
  const ops::Drives drives = ops::OpenDrives(Read(image));
  ASSERT_EQ(drives.list.size(), 1u) << drives.why_none;
  const auto& fs = *drives.list[0].fs;
  EXPECT_EQ(fs.Facts()[1],
            "32 x 256, 2 reserved tracks, 8 KiB blocks, 512 entries, head by head, no skew");
  EXPECT_EQ(fs.Read(*fs.Find("BIG.DAT", false)).bytes, files[1].bytes);
  EXPECT_EQ(fs.Read(*fs.Find("PIP.COM", false)).bytes, files[0].bytes);
  EXPECT_EQ(ops::PutFile(*ops::FilesystemToChange(drives.list[0].disk), "A.DAT", Pattern(3, 10),
                         false, "")
                .error,
            "a CP/M hard disk's drives are read, not changed: their parameters were hunted, and "
            "no second real one confirmed them");
}

Bytes Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Each drive of the real image whole but for BOOT/SYS, whose one granule of
// four sectors holds four of its five; its JCL files text; an empty drive
// as LDOS made it, and as a new one is made.
TEST(HardDisk, RealImageEveryDrive) {
  const fs::path file = fs::path(TRIVANE_REAL_DISKS) / "frehdbr__ldos3.hdv";
  if (!fs::exists(file)) GTEST_SKIP() << file << " is not there";
  const Bytes real = Slurp(file);
  const ops::Drives drives = ops::OpenDrives(Read(real));
  ASSERT_EQ(drives.list.size(), 4u);
  const std::size_t counts[] = {65, 60, 67, 2};
  for (const ops::Drive& d : drives.list) {
    const auto files = d.fs->List(false);
    EXPECT_EQ(files.size(), counts[d.number]);
    for (const auto& f : files) {
      EXPECT_EQ(f.complete, f.name != "BOOT/SYS") << d.number << " " << f.name;
      // JCL is text; some end in the 00s their editor wrote.
      Bytes text = d.fs->Read(f).bytes;
      while (f.name.ends_with("/JCL") && !text.empty() && text.back() == 0) text.pop_back();
      for (std::uint8_t b : f.name.ends_with("/JCL") ? text : Bytes{}) {
        EXPECT_TRUE(b == 13 || (b >= 32 && b < 127)) << f.name;
      }
    }
    ASSERT_EQ(d.fs->Check().size(), 1u);
    EXPECT_EQ(d.fs->Check()[0].kind, "short-allocation");
  }
  // The directory cylinder of the real empty drive 3 and of a new drive 3:
  // alike but for the name and date, GAT byte CD and the driver's drive byte.
  const Bytes made = build::NewHardDisk(203, 4, 4);
  const std::size_t dir = reed::kHeaderBytes + (101 * 128 + 3 * 32) * 256;
  std::vector<std::size_t> differ;
  for (std::size_t k = 0; k < 32 * 256; ++k) {
    if (real[dir + k] != made[dir + k]) differ.push_back(k);
  }
  // "LDM3HDD 08/27/13" and "LDOSHDD 12/08/26".
  const std::vector<std::size_t> expected = {0xCD, 0xD2, 0xD3, 0xD8, 0xD9, 0xDB, 0xDC, 0xDE, 0xDF};
  EXPECT_EQ(differ, expected);
}

}  // namespace
}  // namespace trivane::test
