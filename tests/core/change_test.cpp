// Putting, deleting and renaming files on disks of every DOS, container and
// geometry: each change reads back as its DOS would list it (bytes, size,
// EOF, ERN, free space), random sequences of changes prove themselves step
// by step, and what must be refused is refused with the image unchanged.
#include "fs/trsdos/change.h"

#include <functional>
#include <random>

#include "builder/dos_images.h"
#include "disk/container.h"
#include "fs/trsdos/directory.h"
#include "fs/trsdos/format.h"
#include "ops/filesystems.h"
#include "ops/prove.h"
#include "test_support.h"

namespace trivane::test {
namespace {

using build::DosDisk;
using trsdos::Family;

// Builder disks of each DOS in each container, made writable; new disks of
// each DOS in two shapes.
std::vector<std::pair<std::string, disk::Disk>> Disks() {
  std::vector<std::pair<std::string, disk::Disk>> disks;
  const std::pair<const char*, DosDisk> built[] = {
      {"NEWDOS/80", build::NewdosDisk(2, 2, true, false)},
      {"TRSDOS 2.3", build::TrsdosDisk(0)},
      {"LDOS", build::TrsdosDisk(0x51)},
      {"LDOS SD", build::Ldos53DataDisk(false)},
      {"TRSDOS 1.3", build::Model3Disk()}};
  for (const auto& [name, d] : built) {
    Bytes jv3 = build::DosJv3(d, build::LayOut(d));
    jv3[jv3::kWriteProtect] = 0xFF;
    disks.emplace_back(std::string(name) + " JV3", disk::ReadDisk(ImageBuffer(jv3)));
    disks.emplace_back(std::string(name) + " DMK",
                       disk::ReadDisk(ImageBuffer(build::DosDmk(d, build::LayOut(d)))));
  }
  const DosDisk sd = build::TrsdosDisk(0);
  disks.emplace_back("TRSDOS 2.3 JV1",
                     disk::ReadDisk(ImageBuffer(build::DosJv1(sd, build::LayOut(sd)))));
  for (Family f : {Family::kNewdos80, Family::kTrsdos23, Family::kLdos, Family::kTrsdos13}) {
    for (int density : {1, 2}) {
      const trsdos::NewDiskRequest q{f, 0, f == Family::kLdos ? 2 : 0, density, "", "01/02/85"};
      const trsdos::NewDisk n = trsdos::FormatDisk(q);
      if (!n.error.empty()) continue;
      disks.emplace_back(std::string("new ") + trsdos::FamilyName(f),
                         disk::ReadDisk(ImageBuffer(
                             disk::FormatOf(disk::Container::kDmk).write(n.disk, {}).bytes)));
    }
  }
  return disks;
}

std::vector<std::uint8_t> HostBytes(int seed, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t k = 0; k < size; ++k)
    bytes[k] = static_cast<std::uint8_t>(seed * 31 + k * 7 + k / 251);
  return bytes;
}

const trsdos::File* Named(const trsdos::Catalogue& c, const std::string& shown) {
  for (const trsdos::File& f : c.files) {
    if (f.Shown() == shown) return &f;
  }
  return nullptr;
}

// A put file lists with the host file's bytes, size, EOF and ERN, and takes
// the granules its size needs from the free space.
TEST(Change, PutFilesReadAsTheHostFiles) {
  for (const auto& [what, d] : Disks()) {
    const trsdos::Catalogue before = trsdos::ReadCatalogue(d);
    for (std::size_t size : {std::size_t{0}, std::size_t{256}, std::size_t{4000}}) {
      const std::vector<std::uint8_t> host = HostBytes(3, size);
      const filesystems::Changed put =
          ops::PutFile(*ops::FilesystemToChange(d), "NEW/DAT", host, false, "06/15/86");
      ASSERT_EQ(put.error, "") << what << " " << size;
      const trsdos::Catalogue after = trsdos::ReadCatalogue(put.disk);
      const trsdos::File* f = Named(after, "NEW/DAT");
      ASSERT_NE(f, nullptr) << what;
      EXPECT_EQ(trsdos::ReadFile(put.disk, after, *f).bytes, host) << what;
      EXPECT_EQ(f->size, static_cast<std::int64_t>(size));
      EXPECT_EQ(f->eof, static_cast<int>(size % 256));
      const bool m3 = before.family == Family::kTrsdos13;
      EXPECT_EQ(f->ern, static_cast<int>(size / 256 + (!m3 && size % 256 ? 1 : 0))) << what;
      const int spg = before.layout.sectors_per_granule;
      EXPECT_EQ(before.granules_free - after.granules_free,
                static_cast<int>(((size + 255) / 256 + spg - 1) / spg))
          << what;
    }
  }
}

// A put reads the catalogue twice, as the command-line tool and the windows
// make it: the disk as it is, and the proof's read-back; a second file put
// on what the first proof read back, once more; and so a delete, its name
// typed as a reader types it (NAME.EXT:d, any letter case).
TEST(Change, APutReadsTheCatalogueTwice) {
  for (const auto& [what, d] : Disks()) {
    const std::int64_t start = trsdos::CataloguesRead();
    const std::shared_ptr<const filesystems::Filesystem> fs = ops::FilesystemToChange(d);
    const filesystems::Changed one = ops::PutFile(*fs, "ONE/DAT", HostBytes(1, 3000), false, "");
    ASSERT_EQ(one.error, "") << what;
    EXPECT_EQ(trsdos::CataloguesRead() - start, 2) << what;
    const filesystems::Changed two =
        ops::PutFile(*one.filesystem, "TWO/DAT", HostBytes(2, 300), false, "");
    ASSERT_EQ(two.error, "") << what;
    EXPECT_EQ(trsdos::CataloguesRead() - start, 3) << what;
    EXPECT_EQ(two.filesystem->List(false).size(), fs->List(false).size() + 2) << what;
    const filesystems::Changed gone = ops::DeleteFile(*two.filesystem, "one.dat:0");
    ASSERT_EQ(gone.error, "") << what;
    EXPECT_EQ(trsdos::CataloguesRead() - start, 4) << what;
  }
}

// Random puts, replaces, deletes and renames, each proved as it is made;
// the free space always the GAT's count of what the files hold.
TEST(Change, RandomSequencesProveEveryStep) {
  std::mt19937 random(1986);
  int steps = 0, sequences = 0;
  const auto disks = Disks();
  for (const auto& [what, start] : disks) {
    for (int sequence = 0; sequence < 1000 / static_cast<int>(disks.size()) + 1;
         ++sequence, ++sequences) {
      disk::Disk d = start;
      for (int step = 0; step < 8; ++step) {
        const trsdos::Catalogue c = trsdos::ReadCatalogue(d);
        const std::string name = "R" + std::to_string(random() % 6);
        const int kind = static_cast<int>(random() % 4);
        const auto fs = ops::FilesystemToChange(d);
        filesystems::Changed done =
            kind == 0   ? ops::PutFile(*fs, name + "/DAT", HostBytes(step, random() % 9000), true,
                                       "01/01/86")
            : kind == 1 ? ops::DeleteFile(*fs, name + "/DAT")
            : kind == 2
                ? ops::RenameFile(*fs, name + "/DAT", "R" + std::to_string(random() % 6) + "/DAT")
                : ops::PutFile(*fs, name, HostBytes(step, random() % 300), false, "01/01/86");
        ASSERT_FALSE(done.fault) << what << " step " << step << ": " << done.error;
        if (!done.error.empty()) continue;
        d = std::move(done.disk);
        ++steps;
      }
    }
  }
  EXPECT_GE(sequences, 1000);
  EXPECT_GT(steps, 3000);
}

// A new TRSDOS 1.3 disk with a file that holds a copy of a real LDOS
// directory just where boot byte 2 names a directory cylinder; the copy's
// GAT given out as the copy found it, or changed to own the copy's place.
struct CopyInAFile {
  filesystems::Changed put;
  std::string error;
};
CopyInAFile DirectoryCopyInAFile(bool owns_its_place) {
  const trsdos::NewDisk ldos = trsdos::FormatDisk({Family::kLdos, 0, 0, 2, "", "01/02/85"});
  const disk::SectorStore ldos_store(ldos.disk);
  const trsdos::Layout ldos_dir = trsdos::ReadCatalogue(ldos_store).layout;
  const trsdos::NewDisk m3 = trsdos::FormatDisk({Family::kTrsdos13, 0, 0, 0, "", "01/02/85"});
  const std::size_t room =
      static_cast<std::size_t>(trsdos::ReadCatalogue(m3.disk).granules_free) * 768;
  CopyInAFile c{ops::PutFile(*ops::FilesystemToChange(m3.disk), "COPY/DAT",
                             std::vector<std::uint8_t>(room), false, "01/01/86"),
                ""};
  disk::SectorStore store(c.put.disk);
  const int named = store.Get({0, 0, 1}).data.at(2) & 0x7F;
  const trsdos::Catalogue listed = trsdos::ReadCatalogue(store);
  int copied = 0;
  for (const trsdos::Place& p : trsdos::FileSectors(listed.layout, listed.files.at(0))) {
    if (p.cylinder != named || p.sector - 1 >= ldos_dir.spt) continue;
    std::vector<std::uint8_t> bytes = ldos_store.Get(ldos_dir.DirectorySector(p.sector - 1)).data;
    if (p.sector == 1 && owns_its_place) bytes.at(static_cast<std::size_t>(named)) = 0xFF;
    copied += store.Put(p, bytes);
  }
  if (copied != ldos_dir.spt) c.error = "the copy did not fit its cylinder";
  return c;
}

// The copy is not taken for the directory while the file holds it, nor once
// the file is deleted and the copy lies in the free space (its GAT gives
// its own place out as free).
TEST(Change, ADirectoryCopyInAFileIsNotTheDirectory) {
  for (bool owns : {false, true}) {
    const CopyInAFile c = DirectoryCopyInAFile(owns);
    ASSERT_EQ(c.error, "");
    const trsdos::Catalogue with_copy = trsdos::ReadCatalogue(c.put.disk);
    EXPECT_EQ(with_copy.family, Family::kTrsdos13) << owns;
    EXPECT_NE(with_copy.evidence.back().find("set aside"), std::string::npos) << owns;
    if (owns) continue;  // deleted, such a copy would explain the disk better
    const filesystems::Changed gone =
        ops::DeleteFile(*ops::FilesystemToChange(c.put.disk), "COPY/DAT");
    ASSERT_EQ(gone.error, "");
    EXPECT_EQ(trsdos::ReadCatalogue(gone.disk).family, Family::kTrsdos13);
  }
}

// What a file holds never changes which DOS the disk is taken for: a file
// that fills a new disk with one byte value (some look like directory
// entries whose HIT bytes match) or with the word DOSPLUS is put, proved,
// and deleted again, proved, and the disk still reads as the DOS that made
// it.
TEST(Change, FileBytesNeverDecideTheDos) {
  int puts = 0, disks = 0;
  for (const auto& [what, d] : Disks()) {
    if (what.rfind("new ", 0) != 0) continue;
    ++disks;
    const trsdos::Catalogue before = trsdos::ReadCatalogue(d);
    const std::size_t room = static_cast<std::size_t>(before.granules_free) *
                             static_cast<std::size_t>(before.layout.sectors_per_granule) * 256;
    std::vector<std::vector<std::uint8_t>> fills;
    for (int b = 0; b < 256; ++b) fills.emplace_back(room, static_cast<std::uint8_t>(b));
    std::vector<std::uint8_t> word(room);
    for (std::size_t k = 0; k < room; ++k) word[k] = static_cast<std::uint8_t>("DOSPLUS "[k % 8]);
    fills.push_back(word);
    for (const std::vector<std::uint8_t>& fill : fills) {
      const filesystems::Changed put =
          ops::PutFile(*ops::FilesystemToChange(d), "FILL/DAT", fill, false, "01/01/86");
      ASSERT_EQ(put.error, "") << what << " filled with " << int{fill[0]};
      EXPECT_EQ(trsdos::ReadCatalogue(put.disk).family, before.family) << what;
      const filesystems::Changed gone =
          ops::DeleteFile(*ops::FilesystemToChange(put.disk), "FILL/DAT");
      ASSERT_EQ(gone.error, "") << what << " filled with " << int{fill[0]};
      ++puts;
    }
  }
  EXPECT_EQ(puts, disks * 257);
  EXPECT_GE(disks, 6);
}

// A change whose disk does not read back as the unit said it would is a
// fault, whatever part of it went wrong.
TEST(Change, TheProofFindsWhatDidNotReadBackAsMade) {
  const DosDisk trsdos = build::TrsdosDisk(0);
  const disk::Disk d = disk::ReadDisk(ImageBuffer(build::DosDmk(trsdos, build::LayOut(trsdos))));
  const auto fs = ops::FilesystemToChange(d);
  const trsdos::Catalogue c = trsdos::ReadCatalogue(d);
  const filesystems::Made put = fs->Put("NEW/DAT", HostBytes(1, 700), false, "01/01/86");
  ASSERT_EQ(ops::Prove(*fs, put).error, "");
  const auto proved =
      [&](const std::function<void(filesystems::Made&, disk::SectorStore&)>& spoil) {
        filesystems::Made made = put;
        disk::SectorStore store(made.disk);
        spoil(made, store);
        const filesystems::Changed out = ops::Prove(*fs, made);
        EXPECT_TRUE(out.fault && out.bytes.empty()) << out.error;
        return out.error;
      };
  ASSERT_NE(trsdos::FindFile(c, "FILE1/DAT", false), nullptr);
  const trsdos::File& file1 = *trsdos::FindFile(c, "FILE1/DAT", false);
  EXPECT_EQ(proved([&](auto&, disk::SectorStore& s) {
              const trsdos::Place p = trsdos::FileSectors(c.layout, file1).front();
              std::vector<std::uint8_t> bytes = s.Get(p).data;
              bytes[0] ^= 1;
              s.Put(p, bytes);
            }),
            "FILE1/DAT reads back otherwise");
  EXPECT_EQ(proved([](filesystems::Made& m, auto&) { m.data[699] ^= 1; }),
            "NEW/DAT reads back otherwise");
  EXPECT_EQ(proved([&](filesystems::Made& m, auto&) {
              m.kind = filesystems::Made::kDeleted;
              m.key = file1.dec;
              m.disk = d;
            }),
            "the number of files reads back otherwise");
  EXPECT_EQ(proved([&](auto&, disk::SectorStore& s) {
              int byte = 0, bit = 0;
              c.layout.GatBit(file1.extents[0].first_granule, byte, bit);
              const trsdos::Place gat = c.layout.DirectorySector(0);
              std::vector<std::uint8_t> bytes = s.Get(gat).data;
              bytes[static_cast<std::size_t>(byte)] &= static_cast<std::uint8_t>(~(1 << bit));
              s.Put(gat, bytes);
            }).rfind("a new finding: gat-free-but-used FILE1/DAT", 0),
            0u);
}

// A delete or rename changes the entries the file was read from and the
// GAT bytes of the disk's granules, nothing more: here FILE0's extents end at
// its first pair, after which a stray link names FILE1's entry, and FILE2's
// extent runs past the disk's last cylinder, whose GAT byte is FF as on real
// LDOS disks.
TEST(Change, AChangeTouchesOnlyWhatItsFileWasReadFrom) {
  const DosDisk ldos = build::TrsdosDisk(0x51);
  build::DosSectors s = build::LayOut(ldos);
  const disk::Disk plain = disk::ReadDisk(ImageBuffer(build::DosDmk(ldos, s)));
  const trsdos::Catalogue c = trsdos::ReadCatalogue(plain);
  const trsdos::Place entries = ldos.layout.DirectorySector(2);
  const auto entry = [&](const char* shown) {
    int sector = 0, slot = 0;
    c.layout.DecPlace(Named(c, shown)->dec, sector, slot);
    return s[{entries.cylinder, 0, entries.sector + sector}].data() + slot * 32;
  };
  std::uint8_t* file0 = entry("FILE0/BAS");
  std::fill(file0 + 20, file0 + 32, 0xFF);
  file0[3] = file0[20] = file0[21] = 0;
  file0[30] = 0xFE;
  file0[31] = static_cast<std::uint8_t>(Named(c, "FILE1/DAT")->dec);
  std::uint8_t* file2 = entry("FILE2/BAS");
  file2[22] = static_cast<std::uint8_t>(ldos.layout.cylinders - 1);
  file2[23] = 3 << 5 | 1;  // granules 3 to 5 of the last cylinder, of which it has 3
  const trsdos::Place gat = c.layout.DirectorySector(0);
  s[{gat.cylinder, 0, gat.sector}][static_cast<std::size_t>(ldos.layout.cylinders)] = 0xFF;
  const disk::Disk d = disk::ReadDisk(ImageBuffer(build::DosDmk(ldos, s)));
  const auto fs = ops::FilesystemToChange(d);
  for (const char* shown : {"FILE0/BAS", "FILE2/BAS"}) {
    const filesystems::Changed gone = ops::DeleteFile(*fs, shown);
    EXPECT_FALSE(gone.fault) << shown << ": " << gone.error;
    EXPECT_EQ(gone.error, "") << shown;
    const trsdos::Catalogue after = trsdos::ReadCatalogue(gone.disk);
    EXPECT_NE(Named(after, "FILE1/DAT"), nullptr) << shown;
    EXPECT_EQ(Named(after, shown), nullptr);
    EXPECT_EQ(disk::SectorStore(gone.disk).Get(gat).data[ldos.layout.cylinders], 0xFF) << shown;
  }
  const filesystems::Changed renamed = ops::RenameFile(*fs, "FILE0/BAS", "NEW");
  EXPECT_EQ(renamed.error, "");
  EXPECT_FALSE(renamed.fault);

  // A file put across the holes four deleted files left takes an extended
  // entry; deleted, that entry is freed with it.
  std::shared_ptr<const filesystems::Filesystem> holes = ops::FilesystemToChange(plain);
  for (const char* shown : {"FILE0/BAS", "FILE2/BAS", "FILE4/BAS", "FILE6/BAS"})
    holes = ops::DeleteFile(*holes, shown).filesystem;
  ASSERT_NE(holes, nullptr);
  const filesystems::Changed put =
      ops::PutFile(*holes, "BIG/DAT", HostBytes(2, 4 * 1536 + 1), false, "01/01/86");
  ASSERT_EQ(put.error, "");
  const trsdos::Catalogue with_big = trsdos::ReadCatalogue(put.disk);
  ASSERT_NE(Named(with_big, "BIG/DAT"), nullptr);
  const std::vector<int> decs = Named(with_big, "BIG/DAT")->entries;
  ASSERT_EQ(decs.size(), 2u);
  const filesystems::Changed gone = ops::DeleteFile(*put.filesystem, "BIG/DAT");
  ASSERT_EQ(gone.error, "");
  const disk::SectorStore store(gone.disk);
  for (int dec : decs) {
    int sector = 0, slot = 0;
    c.layout.DecPlace(dec, sector, slot);
    EXPECT_EQ(store.Get(c.layout.DirectorySector(1)).data[static_cast<std::size_t>(dec)], 0);
    EXPECT_EQ(store.Get(c.layout.DirectorySector(2 + sector)).data[slot * 32u] & 0x10, 0) << dec;
  }
}

// A file with a sector that fails its CRC is renamed and still reads as it
// did, not whole; it is deleted like any other.
TEST(Change, ADamagedFileIsRenamedAndDeleted) {
  const DosDisk gdos = build::BigNewdosDisk(true);
  const disk::Disk d = disk::ReadDisk(
      ImageBuffer(build::DosDmk(gdos, build::LayOut(gdos), build::BigNewdosBadSectors())));
  const auto fs = ops::FilesystemToChange(d);
  const filesystems::Changed renamed = ops::RenameFile(*fs, "SCATTER/BAS", "KEPT/BAS");
  ASSERT_EQ(renamed.error, "");
  const trsdos::Catalogue after = trsdos::ReadCatalogue(renamed.disk);
  const trsdos::File* kept = Named(after, "KEPT/BAS");
  ASSERT_NE(kept, nullptr);
  EXPECT_FALSE(kept->complete);
  EXPECT_EQ(ops::DeleteFile(*renamed.filesystem, "KEPT/BAS").error, "");
}

// A TRSDOS 2.3 data disk known only by the one HIT byte that matches its
// entry: that file deleted, the disk would read as no DOS's, and the delete
// is refused with that reason, not taken for a change that read back wrong.
TEST(Change, ADeleteThatTakesAwayWhatTheDosIsKnownByIsRefused) {
  const DosDisk trsdos = build::Trsdos23DataDisk();
  build::DosSectors s = build::LayOut(trsdos);
  const trsdos::Place hit = trsdos.layout.DirectorySector(1);
  const trsdos::Catalogue c =
      trsdos::ReadCatalogue(disk::ReadDisk(ImageBuffer(build::DosDmk(trsdos, s))));
  for (const trsdos::File& f : c.files) {
    if (f.Shown() != "FILE0/BAS")
      s[{hit.cylinder, 0, hit.sector}][static_cast<std::size_t>(f.dec)] = 0;
  }
  const disk::Disk d = disk::ReadDisk(ImageBuffer(build::DosDmk(trsdos, s)));
  const auto fs = ops::FilesystemToChange(d);
  const filesystems::Changed gone = ops::DeleteFile(*fs, "FILE0/BAS");
  EXPECT_FALSE(gone.fault);
  EXPECT_EQ(gone.error,
            "changed so, the disk would be read as unknown, not as TRSDOS 2.3: what it is known by "
            "is what the change alters");
}

TEST(Change, RefusedWithTheReason) {
  const DosDisk trsdos = build::TrsdosDisk(0);
  const disk::Disk locked =
      disk::ReadDisk(ImageBuffer(build::DosJv3(trsdos, build::LayOut(trsdos))));
  EXPECT_EQ(ops::PutFile(*ops::FilesystemToChange(locked), "A", {1}, false, "01/01/86").error,
            "the image is write-protected");
  // Where no unit explains the disk, the filesystem to change refuses.
  EXPECT_EQ(ops::FilesystemToChange(disk::ReadDisk(ImageBuffer(build::Jv1(35))))->Delete("A").error,
            "no DOS directory was recognised on the disk");
  build::DosSectors s = build::LayOut(trsdos);
  const trsdos::Place entries = trsdos.layout.DirectorySector(2);
  std::uint8_t* file0 = s[{entries.cylinder, 0, entries.sector + 2}].data();
  file0[22] = s[{entries.cylinder, 0, entries.sector + 3}][22];  // FILE0 claims FILE1's granule
  file0[23] = s[{entries.cylinder, 0, entries.sector + 3}][23];
  const disk::Disk doubtful = disk::ReadDisk(ImageBuffer(build::DosDmk(trsdos, s)));
  EXPECT_EQ(ops::RenameFile(*ops::FilesystemToChange(doubtful), "FILE0/BAS", "X")
                .error.rfind("the directory's allocation is in doubt (granule-twice", 0),
            0u);

  const disk::Disk d = disk::ReadDisk(ImageBuffer(build::DosDmk(trsdos, build::LayOut(trsdos))));
  EXPECT_EQ(ops::DeleteFile(*ops::FilesystemToChange(d), "BOOT/SYS").error,
            "BOOT/SYS is the DOS's own: it is not deleted");
  EXPECT_EQ(ops::RenameFile(*ops::FilesystemToChange(d), "FILE0/BAS", "FILE2/BAS").error,
            "a file FILE2/BAS is on the disk already");
  EXPECT_EQ(ops::PutFile(*ops::FilesystemToChange(d), "FILE0/BAS", {1}, false, "01/01/86").error,
            "a file FILE0/BAS is on the disk already");
  EXPECT_EQ(ops::PutFile(*ops::FilesystemToChange(d), "HUGE", std::vector<std::uint8_t>(90000),
                         false, "01/01/86")
                .error,
            "the disk is too full: the file needs 71 granules, 54 are free");
  std::string name, ext;
  EXPECT_TRUE(trsdos::DosName("hello.bas", name, ext));
  EXPECT_EQ(name + "/" + ext, "HELLO/BAS");
  EXPECT_FALSE(trsdos::DosName("my-file.txt", name, ext));
  EXPECT_FALSE(trsdos::DosName("1st.bas", name, ext));
  EXPECT_FALSE(trsdos::DosName("toolongname.bas", name, ext));
}

}  // namespace
}  // namespace trivane::test
