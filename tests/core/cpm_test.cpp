// CP/M: a disk's format found by the published table or by hunting, its
// directory read into files, each file's bytes as written; damage as
// findings; TRSDOS-family disks never taken for CP/M; the real CP/M disks
// listed whole.
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "builder/cpm_images.h"
#include "builder/dos_images.h"
#include "disk/container.h"
#include "disk/sector_store.h"
#include "fs/cpm/detect.h"
#include "fs/cpm/params.h"
#include "fs/cpm/unit.h"
#include "ops/convert.h"
#include "ops/extract.h"
#include "ops/filesystems.h"
#include "ops/prove.h"
#include "test_support.h"

namespace trivane::test {
namespace {

namespace fs = std::filesystem;
using build::CpmFile;
using build::CpmSpec;

Bytes Pattern(int seed, std::size_t size) {
  Bytes b(size);
  for (std::size_t k = 0; k < size; ++k)
    b[k] = static_cast<std::uint8_t>(seed * 13 + k * 7 + k / 300);
  return b;
}

std::vector<CpmFile> SomeFiles() {
  return {{0, "PIP", "COM", Pattern(1, 7424)},
          {0, "EMPTY", "", {}},
          {3, "BIG", "DAT", Pattern(2, 40000)},  // several entries
          {0, "NOTE", "TXT", {'H', 'I', '\r', '\n', 0x1A}}};
}

// Through a written and read-back DMK, as a user's image comes.
disk::Disk Written(const disk::Disk& d) {
  return disk::ReadDisk(ImageBuffer(disk::FormatOf(disk::Container::kDmk).write(d, {}).bytes));
}

std::string Field(const filesystems::Value& object, const std::string& name) {
  for (std::size_t k = 0; k < object.names.size(); ++k) {
    if (object.names[k] == name) return object.items[k].text;
  }
  return "";
}

void ExpectFiles(const filesystems::Filesystem& fs, const std::vector<CpmFile>& files,
                 const std::string& what) {
  const std::vector<filesystems::Entry> listed = fs.List(false);
  ASSERT_EQ(listed.size(), files.size()) << what;
  for (std::size_t k = 0; k < files.size(); ++k) {
    Bytes padded = files[k].bytes;
    padded.resize((padded.size() + 127) / 128 * 128, 0x1A);
    EXPECT_TRUE(listed[k].complete) << what << " " << listed[k].name;
    EXPECT_EQ(fs.Read(listed[k]).bytes, padded) << what << " " << listed[k].name;
  }
  EXPECT_TRUE(fs.Check().empty()) << what << ": " << fs.CheckLines().front();
}

// Every published format of a shape a container holds: found as that row
// (or one of the same parameters), every file read back as written.
TEST(Cpm, PublishedFormatsAreFoundByTheirDirectory) {
  int formats = 0;
  for (const auto& row : trivane::cpm::Formats()) {
    const auto& p = row.params;
    const CpmSpec spec{
        p.cylinders, p.heads, p.spt,     p.size, row.first_id,
        p.off,       p.bls,   p.entries, p.skew, row.density == trivane::cpm::Density::kDouble};
    const auto fs = ops::OpenFilesystem(Written(build::CpmDisk(spec, SomeFiles())));
    ASSERT_NE(fs, nullptr) << row.word;
    EXPECT_EQ(fs->Family(), "CP/M") << row.word;
    const std::string found = Field(fs->Fields(), "format");
    const auto* named = trivane::cpm::FormatNamed(found);
    ASSERT_NE(named, nullptr) << row.word << " read as a hunted format";
    EXPECT_TRUE(named->params == p) << row.word << " read as " << found;
    ExpectFiles(*fs, SomeFiles(), row.word);
    ++formats;
  }
  EXPECT_GE(formats, 20);
  const auto fs = ops::OpenFilesystem(Written(build::CpmDisk({}, SomeFiles())));
  EXPECT_TRUE(fs->Find("3:big.dat", false).has_value());
  EXPECT_FALSE(fs->Find("big.dat", false).has_value());  // user 0 has none
  EXPECT_EQ(fs->Find("3:BIG.DAT", false)->host_name, "user3/BIG.DAT");
  EXPECT_EQ(fs->HostText(fs->Read(*fs->Find("note.txt", false)).bytes), (Bytes{'H', 'I', '\n'}));
}

// A format no row describes is found by hunting, and the evidence says so.
TEST(Cpm, AnUnnamedFormatIsFoundByHunting) {
  const CpmSpec odd{40, 1, 18, 256, 1, 1, 2048, 64, 3};
  const auto fs = ops::OpenFilesystem(Written(build::CpmDisk(odd, SomeFiles())));
  ASSERT_NE(fs, nullptr);
  EXPECT_EQ(Field(fs->Fields(), "format"), "");
  const std::vector<std::string> why = fs->Evidence();
  EXPECT_NE(std::find(why.begin(), why.end(),
                      "no published format explains it; found by hunting: 18 x 256, 1 reserved "
                      "tracks, 2 KiB blocks, 64 entries, skew 3"),
            why.end());
  ExpectFiles(*fs, SomeFiles(), "hunted");
}

// A file past 512 KiB: its extents past 31 are numbered on in S2 (byte
// 14), read so and written so by a put, proved.
TEST(Cpm, ExtentsPast31AreNumberedInS2) {
  const CpmSpec big{160, 2, 32, 256, 1, 1, 4096, 256, 1};
  const std::vector<CpmFile> files = {{0, "HUGE", "DAT", Pattern(5, 600 * 1024)},
                                      {0, "AFTER", "DAT", Pattern(6, 3000)}};
  const disk::Disk d = build::CpmDisk(big, files);
  const auto fs = ops::OpenFilesystem(d);
  ASSERT_NE(fs, nullptr);
  ExpectFiles(*fs, files, "S2");
  const filesystems::Changed put =
      ops::PutFile(*fs, "AGAIN.DAT", Pattern(7, 700 * 1024), false, "");
  ASSERT_EQ(put.error, "");
  const auto again = put.filesystem->Find("AGAIN.DAT", false);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(put.filesystem->Read(*again).bytes, Pattern(7, 700 * 1024));
}

// A hunt stops where the reading another unit has cannot be passed: asked
// to beat one less than its own score it still finds it; asked to beat its
// score it weighs no hunted reading at all.
TEST(Cpm, AHuntStopsWhereAnotherReadingCannotBePassed) {
  const CpmSpec odd{40, 1, 18, 256, 1, 1, 2048, 64, 3};
  const disk::Disk d = Written(build::CpmDisk(odd, SomeFiles()));
  const disk::SectorStore store(d);
  const int score = cpm::Detect(store).score;
  ASSERT_GT(score, 1);
  EXPECT_EQ(cpm::Detect(store, score - 1).score, score);
  EXPECT_LE(cpm::Detect(store, score).score, 1);
}

// What real Genie IIIs disks do, on built ones: side 0's tracks before
// side 1's; a skew past half the track; a filesystem on head 0 alone
// while head 1 holds another format (its blocks fit one-byte pointers); a
// track whose first sector is missing; an entry that repeats an extent.
TEST(Cpm, HuntedAsRealDisksAreLaidOut) {
  std::vector<CpmFile> files = SomeFiles();
  for (int k = 0; k < 12; ++k) files.push_back({0, "F" + std::to_string(k), "", Pattern(k, 300)});
  const auto hunted = [&](const disk::Disk& d, const std::string& evidence) {
    const auto fs = ops::OpenFilesystem(Written(d));
    ASSERT_NE(fs, nullptr) << evidence;
    const std::vector<std::string> why = fs->Evidence();
    EXPECT_NE(std::find_if(why.begin(), why.end(),
                           [&](const std::string& e) { return e.find(evidence) != e.npos; }),
              why.end())
        << evidence;
    ExpectFiles(*fs, files, evidence);
  };
  CpmSpec sides{40, 2, 16, 256, 1, 4, 2048, 128, 3};
  sides.side0_first = true;
  hunted(build::CpmDisk(sides, files), "side 0 first, skew 3");
  hunted(build::CpmDisk({40, 1, 5, 1024, 1, 2, 2048, 128, 4}, files), "skew 4");
  disk::Disk one = build::CpmDisk({40, 1, 10, 512, 0, 4, 1024, 64, 1}, files);
  one.heads = 2;
  for (int c = 0; c < 40; ++c) {
    for (int id = 0; id < 10; ++id) {
      disk::Sector x = one.sectors[static_cast<std::size_t>(c * 10 + id)];
      x.head = x.id_head = 1;
      x.written = static_cast<std::int32_t>(one.written.size());
      one.sectors.push_back(x);
      one.written.push_back(Pattern(c * 10 + id, 512));
    }
  }
  hunted(one, "head 0 alone");
  // Track 5's sector 1 gone: BIG.DAT (from block 6, at 12,288 of the data
  // area) misses the 256 bytes at 13,824 - 12,288, and reads the rest.
  disk::Disk cut = build::CpmDisk({}, SomeFiles());
  std::erase_if(cut.sectors,
                [](const disk::Sector& x) { return x.cylinder == 5 && x.id_sector == 1; });
  const auto fs = ops::OpenFilesystem(Written(cut));
  ASSERT_NE(fs, nullptr);
  const filesystems::FileBytes big = fs->Read(*fs->Find("3:BIG.DAT", false));
  Bytes want = SomeFiles()[2].bytes;
  std::fill_n(want.begin() + 1536, 256, 0);
  EXPECT_EQ(Bytes(big.bytes.begin(), big.bytes.begin() + 40000), want);
  // An entry that names PIP.COM's extent again, with BIG.DAT's blocks: the first is read.
  const auto repeated = ops::OpenFilesystem(Written(build::CpmDisk({}, files, [](Bytes& d) {
    std::copy_n(d.begin(), 16, d.begin() + 32 * 20);
    std::copy_n(d.begin() + 32 * 2 + 16, 16, d.begin() + 32 * 20 + 16);
  })));
  ASSERT_NE(repeated, nullptr);
  EXPECT_EQ(repeated->Read(*repeated->Find("PIP.COM", false)).bytes, files[0].bytes);
  ASSERT_FALSE(repeated->Check().empty());
  EXPECT_EQ(repeated->Check().front().kind, "extent-twice");
  // A file its findings call not whole, though every sector read: not
  // extracted unless the user says so.
  const auto twice = ops::OpenFilesystem(
      Written(build::CpmDisk({}, SomeFiles(), [](Bytes& d) { d[32 * 0 + 16] = d[32 * 2 + 16]; })));
  const fs::path out = fs::path(::testing::TempDir()) / "cpm-not-whole";
  fs::remove_all(out);
  std::string why;
  const ops::ExtractQuestions ask{[&](const filesystems::Entry& f, const std::string& said) {
                                    why += f.name + ": " + said;
                                    return ops::Choice::kNo;
                                  },
                                  nullptr, nullptr};
  const ops::ExtractSummary done = ops::ExtractFiles(*twice, twice->List(false), out, ask);
  EXPECT_EQ(why, "3:BIG.DAT: its findings say it is not whole");
  EXPECT_EQ(done.not_whole, 1);
  EXPECT_FALSE(fs::exists(out / "user3" / "BIG.DAT"));
  fs::remove_all(out);
}

// Damage in the directory is a finding, and what it touches is not whole.
TEST(Cpm, DamageIsFound) {
  std::vector<CpmFile> files = SomeFiles();
  for (int k = 0; k < 8; ++k) files.push_back({0, "F" + std::to_string(k), "", Pattern(k, 300)});
  const auto findings = [&](const std::function<void(Bytes&)>& edit, CpmSpec spec = {}) {
    const auto fs = ops::OpenFilesystem(Written(build::CpmDisk(spec, files, edit)));
    if (fs == nullptr) return std::string("not CP/M");
    std::string kinds;
    for (const auto& f : fs->Check()) kinds += f.kind + " " + f.file + ";";
    return kinds;
  };
  EXPECT_EQ(findings([](Bytes& d) { d[32 * 0 + 16] = d[32 * 2 + 16]; }),
            "block-twice 3:BIG.DAT;");  // PIP.COM's first block is also BIG.DAT's
  EXPECT_EQ(findings([](Bytes& d) { d[32 * 0 + 17] = 250; }), "block-outside PIP.COM;");
  EXPECT_EQ(findings([](Bytes& d) { d[32 * 2 + 12] = 2; }),
            "extent-twice 3:BIG.DAT;missing-extent 3:BIG.DAT;");
  EXPECT_EQ(findings([](Bytes& d) { d[32 * 14] = 0x41; }), "malformed-entry ;");
  // Extent numbers run on in S2: 34 leaves extents 2 to 33 out.
  EXPECT_EQ(findings([](Bytes& d) { d[32 * 3 + 14] = 1; }), "missing-extent 3:BIG.DAT;");
  // One extent of 16 KiB an entry (1 KiB blocks): one left out is missing too.
  const CpmSpec small{40, 1, 18, 128, 1, 3, 1024, 64, 4, false};
  EXPECT_EQ(findings([](Bytes& d) { d[32 * 4 + 12] = 3; }, small), "missing-extent 3:BIG.DAT;");
}

// No disk of the TRSDOS family reads as CP/M.
TEST(Cpm, TrsdosDisksAreNotCpm) {
  for (const build::DosDisk& d :
       {build::NewdosDisk(2, 2, true, false), build::TrsdosDisk(0), build::TrsdosDisk(0x51),
        build::Model3Disk(), build::Ldos53DataDisk(true), build::BigNewdosDisk(true)}) {
    const disk::Disk read = disk::ReadDisk(ImageBuffer(build::DosDmk(d, build::LayOut(d))));
    EXPECT_EQ(trivane::cpm::OpenCpm(read)->Score(), 0);
  }
}

// A thousand sequences of random puts, deletes and renames, each on a new
// disk of a format of the table (named, as `put --format` names it, where
// another format lays out its tracks alike), every step proved by reading
// the disk back.
TEST(Cpm, ChangesAreProvedStepByStep) {
  std::mt19937 random(29);
  const auto& rows = trivane::cpm::Formats();
  int steps = 0, sequences = 0;
  for (const auto& row : rows) {
    filesystems::FormatRequest request;
    request.dos = "cpm";
    request.format = row.word;
    const filesystems::NewDisk made = ops::FormatNew(request);
    ASSERT_EQ(made.error, "") << row.word;
    for (std::size_t n = 0; n < 1000 / rows.size() + 1; ++n, ++sequences) {
      disk::Disk d = made.disk;
      for (int step = 0; step < 8; ++step) {
        const auto fs = ops::FilesystemAs(d, row.word);
        const std::string name =
            std::to_string(random() % 3) + ":R" + std::to_string(random() % 4) + ".DAT";
        const int kind = static_cast<int>(random() % 3);
        const filesystems::Changed done =
            kind == 0   ? ops::PutFile(*fs, name, Pattern(step, random() % 9000), true, "")
            : kind == 1 ? ops::DeleteFile(*fs, name)
                        : ops::RenameFile(*fs, name, "3:RN" + std::to_string(step) + ".DAT");
        ASSERT_FALSE(done.fault) << row.word << " step " << step << ": " << done.error;
        if (!done.error.empty()) continue;
        d = done.disk;
        ++steps;
      }
    }
  }
  EXPECT_GE(sequences, 1000);
  EXPECT_GT(steps, sequences * 3);  // a delete or rename of a name not there is refused
}

// What may not be changed is refused, the disk as it was.
TEST(Cpm, RefusedWithTheReason) {
  const auto refusal = [](const CpmSpec& spec, const std::function<void(Bytes&)>& edit,
                          const std::string& put, std::vector<CpmFile> files = SomeFiles()) {
    const auto fs = ops::FilesystemToChange(Written(build::CpmDisk(spec, files, edit)));
    return ops::PutFile(*fs, put, Pattern(1, 300), false, "").error;
  };
  // Memory Merchant's and Montezuma's extended disks differ only by skew;
  // a disk with no data in its blocks does not say which.
  const CpmSpec merchant{40, 1, 10, 512, 1, 2, 2048, 128, 1};
  const std::string unsettled = refusal(merchant, {}, "NEW.DAT", {SomeFiles()[1]});
  EXPECT_EQ(unsettled.rfind("its format is not settled (", 0), 0u) << unsettled;
  EXPECT_TRUE(
      unsettled.ends_with("; name it with --format memory-merchant or --format montezuma-extended"))
      << unsettled;
  const std::string doubt = refusal(
      {}, [](Bytes& d) { d[16] = d[2 * 32 + 16]; }, "NEW.DAT");
  EXPECT_EQ(doubt.rfind("the directory is in doubt (block-twice", 0), 0u) << doubt;
  EXPECT_EQ(refusal({}, {}, "PIP.COM"), "a file PIP.COM is on the disk already");
  EXPECT_EQ(refusal({}, {}, "TOO.LONG.NAME"), "not a CP/M name: TOO.LONG.NAME");
  EXPECT_EQ(refusal(
                {}, [](Bytes& d) { d[9] |= 0x80; }, "X.DAT"),
            "");
  const auto fs = ops::FilesystemToChange(
      Written(build::CpmDisk({}, SomeFiles(), [](Bytes& d) { d[9] |= 0x80; })));
  EXPECT_EQ(ops::DeleteFile(*fs, "PIP.COM").error, "PIP.COM is read-only");
  EXPECT_EQ(ops::PutFile(*fs, "X.DAT", Bytes(400000), false, "").error,
            "the disk is too full: the file needs 196 blocks, 58 are free");
}

// A new disk of every format, proved; known again as that format (or one
// that lays its tracks out alike), a file put onto it as the format named.
TEST(Cpm, NewDisksOfEveryFormat) {
  for (const std::string word :
       {"montezuma-system", "montezuma-data", "omikron", "cpm-plus-model4"}) {
    EXPECT_NE(trivane::cpm::FormatNamed(word), nullptr) << word;
  }
  for (const auto& row : trivane::cpm::Formats()) {
    filesystems::FormatRequest q;
    q.dos = "cpm";
    q.format = row.word;
    const ops::Proved made = ops::NewImage(ops::FormatNew(q), disk::Container::kDmk, {});
    ASSERT_EQ(made.error, "") << row.word;
    const disk::Disk d = disk::ReadDisk(ImageBuffer(made.bytes));
    const auto fs = ops::FilesystemToChange(d);
    EXPECT_EQ(fs->Family(), "CP/M") << row.word;
    EXPECT_TRUE(fs->List(true).empty()) << row.word;
    const filesystems::Changed put =
        ops::PutFile(*ops::FilesystemAs(d, row.word), "2:HELLO.TXT", Pattern(3, 3000), false, "");
    ASSERT_EQ(put.error, "") << row.word;
    const auto after = ops::OpenFilesystem(put.disk);
    EXPECT_TRUE(trivane::cpm::FormatNamed(Field(after->Fields(), "format"))->params == row.params)
        << row.word;
    // Its only file deleted, the disk still reads as CP/M: its entry, E5 now, names it.
    EXPECT_EQ(ops::DeleteFile(*after, "2:HELLO.TXT").error, "") << row.word;
  }
  filesystems::FormatRequest none;
  none.dos = "cpm";
  EXPECT_EQ(ops::FormatNew(none).error, "a CP/M disk needs its format: --format NAME (new --list)");
}

// A CP/M disk converted to JV3 and back reads as the same files.
TEST(Cpm, ConvertedStaysCpm) {
  const disk::Disk d = Written(build::CpmDisk({}, SomeFiles()));
  const ops::Proved jv3 = ops::Convert(d, disk::Container::kJv3, {}, false);
  ASSERT_EQ(jv3.error, "");
  ExpectFiles(*ops::OpenFilesystem(disk::ReadDisk(ImageBuffer(jv3.bytes))), SomeFiles(), "JV3");
  // A cylinder the container counts but that holds no sector is no part of
  // the disk CP/M reads: JV3 keeps no such cylinder, and reads the same.
  disk::Disk short_disk = build::CpmDisk({}, SomeFiles());
  std::erase_if(short_disk.sectors, [](const disk::Sector& s) { return s.cylinder == 39; });
  const ops::Proved again = ops::Convert(Written(short_disk), disk::Container::kJv3, {}, false);
  EXPECT_EQ(again.error, "");
}

TEST(Cpm, RealDisksListWhole) {
  const fs::path disks = TRIVANE_REAL_DISKS;
  if (!fs::exists(disks / "README.md")) GTEST_SKIP() << disks << " is not there";
  const std::pair<const char*, std::pair<const char*, int>> expected[] = {
      {"bigmit__m1_omikron_cpm.dmk", {"omikron", 25}},
      {"bigmit__m2_picklestrout_cpm.dmk", {"pickles-trout", 84}},
      {"bigmit__m1_fmg_cpm.hfe", {"omikron", 14}},  // FMG's parameters are Omikron's
      {"bigmit__m4_montezuma_cpm.hfe", {"montezuma-system", 23}},
      {"g3s__egcpm02.imd", {"genie3s-holte", 50}},
      {"g3s__egcpm08.imd", {"genie3s-5x1024", 63}},
      {"g3s__KONCPM22.DMK", {"", 36}},      // side 0 first, skew 3
      {"tcsg3s__flocpm02.dmk", {"", 16}}};  // head 0 alone
  for (const auto& [name, want] : expected) {
    std::ifstream in(disks / name, std::ios::binary);
    const Bytes bytes{std::istreambuf_iterator<char>(in), {}};
    const auto fs = ops::OpenFilesystem(disk::ReadDisk(ImageBuffer(bytes)));
    ASSERT_NE(fs, nullptr) << name;
    EXPECT_EQ(Field(fs->Fields(), "format"), want.first) << name;
    const auto files = fs->List(false);
    EXPECT_EQ(static_cast<int>(files.size()), want.second) << name;
    EXPECT_TRUE(fs->Check().empty()) << name;
    for (const auto& f : files) EXPECT_TRUE(f.complete && fs->Read(f).whole()) << name << f.name;
  }
  // DRI's PIP.COM, byte for byte on the Kontron and the Montezuma disks.
  const auto pip = [&](const char* name) {
    std::ifstream in(disks / name, std::ios::binary);
    const auto fs = ops::OpenFilesystem(
        disk::ReadDisk(ImageBuffer(Bytes{std::istreambuf_iterator<char>(in), {}})));
    return fs->Read(*fs->Find("PIP.COM", false)).bytes;
  };
  EXPECT_EQ(pip("g3s__KONCPM22.DMK"), pip("bigmit__m4_montezuma_cpm.hfe"));
}

}  // namespace
}  // namespace trivane::test
