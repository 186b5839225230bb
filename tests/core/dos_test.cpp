// The DOS catalogue: each DOS's disks built with files of known bytes come
// back whole; damaged disks list, with their findings.
#include "builder/dos_images.h"
#include "fs/trsdos/catalogue.h"
#include "fs/trsdos/change.h"
#include "ops/extract.h"
#include "ops/filesystems.h"
#include "ops/host_files.h"
#include "test_support.h"

namespace trivane::test {
namespace {

using build::DosDisk;
using trsdos::Family;

struct Listed {
  ImageBuffer image;
  disk::Disk disk;
  trsdos::Catalogue catalogue;
  std::vector<std::uint8_t> Bytes(const trsdos::File& f) const {
    return trsdos::ReadFile(disk, catalogue, f).bytes;
  }
  const trsdos::File* Named(const std::string& shown) const {
    for (const auto* list : {&catalogue.files, &catalogue.deleted}) {
      for (const trsdos::File& f : *list) {
        if (f.Shown() == shown) return &f;
      }
    }
    return nullptr;
  }
};

Listed List(const build::Bytes& bytes) {
  Listed l{ImageBuffer(bytes), {}, {}};
  l.disk = disk::ReadDisk(l.image);
  l.catalogue = trsdos::ReadCatalogue(l.disk);
  return l;
}

std::string Kinds(const trsdos::Catalogue& c) {
  std::string kinds;
  for (const trsdos::Finding& f : c.findings) kinds += (kinds.empty() ? "" : " ") + f.kind;
  return kinds;
}

// Every file the builder wrote, live and deleted, comes back byte for byte.
void ExpectFilesBack(const Listed& l, const DosDisk& d) {
  for (std::size_t n = 0; n < d.files.size(); ++n) {
    const build::DosFile& f = d.files[n];
    const trsdos::File* got = l.Named(f.name + "/" + f.ext);
    ASSERT_NE(got, nullptr) << f.name;
    EXPECT_EQ(l.Bytes(*got), f.bytes) << f.name;
    EXPECT_TRUE(got->complete) << f.name;
  }
  EXPECT_EQ(l.catalogue.deleted.size(), 1u);
  EXPECT_EQ(Kinds(l.catalogue), "");
}

TEST(Dos, EachDosIsToldAndItsFilesComeBack) {
  struct Case {
    DosDisk disk;
    bool dmk;
    Family family;
    std::string version;
  };
  const Case cases[] = {{build::NewdosDisk(2, 2, true, false), false, Family::kNewdos80, ""},
                        {build::NewdosDisk(1, 3, false, true), true, Family::kNewdos80, ""},
                        {build::TrsdosDisk(0), false, Family::kTrsdos23, ""},
                        {build::TrsdosDisk(0x51), true, Family::kLdos, "5.1"},
                        {build::TrsdosDisk(0x62), false, Family::kLsdos, "6.2"},
                        {build::Model3Disk(), false, Family::kTrsdos13, ""}};
  for (const Case& c : cases) {
    const build::DosSectors sectors = build::LayOut(c.disk);
    const Listed l = List(c.dmk ? build::DosDmk(c.disk, sectors) : build::DosJv3(c.disk, sectors));
    SCOPED_TRACE(trsdos::FamilyName(c.family) + std::string(c.dmk ? " DMK" : " JV3"));
    EXPECT_EQ(l.catalogue.family, c.family);
    EXPECT_EQ(l.catalogue.version, c.version);
    EXPECT_EQ(l.catalogue.disk_name, "TESTDISK");
    ExpectFilesBack(l, c.disk);
    const trsdos::File* invisible = l.Named("FILE3/DAT");
    EXPECT_TRUE(invisible->invisible && invisible->protection == 5 && !invisible->system);
    const int spg = c.disk.layout.sectors_per_granule;
    EXPECT_EQ(l.Named("SCATTER/BAS")->extents.size(), std::size_t((36 + spg - 1) / spg));
  }
}

// A disk whose track 0 is in the other density: NEWDOS/80's sectors count
// from cylinder 1 when its system sector is there, flag or no flag in its
// PDRIVE entry.
TEST(Dos, Track0InTheOtherDensity) {
  const DosDisk newdos = build::NewdosDisk(2, 2, true, true);
  build::DosSectors s = build::LayOut(newdos);
  for (auto& [place, bytes] : s) {
    if (std::get<0>(place) != 1 || bytes[239] != 0xA5) continue;
    for (int k = 0; k < 10; ++k) bytes[k * 16 + 2] &= ~0x40;
  }
  const Listed l = List(build::DosJv3(newdos, s));
  ExpectFilesBack(l, newdos);
  EXPECT_EQ(l.catalogue.evidence.at(0), "A5 at byte 239 of cylinder 1 sector 2");
}

// A data disk without a system sector is found by trying every GPL, one or
// two heads, with and without the track-0 offset; the best layout wins.
TEST(Dos, NewdosDataDisksOfEveryGpl) {
  for (int gpl = 2; gpl <= 8; ++gpl) {
    for (int heads : {1, 2}) {
      const DosDisk d = build::NewdosDisk(heads, gpl, false, gpl % 2 == 0);
      const Listed l = List(build::DosJv3(d, build::LayOut(d)));
      SCOPED_TRACE("GPL " + std::to_string(gpl) + ", heads " + std::to_string(heads));
      ASSERT_EQ(l.catalogue.family, Family::kNewdos80) << l.catalogue.evidence.front();
      EXPECT_EQ(l.catalogue.layout.gpl, gpl);
      ExpectFilesBack(l, d);
    }
  }
}

TEST(Dos, DamagedDisksListWithTheirFindings) {
  DosDisk d = build::TrsdosDisk(0);
  build::DosSectors s = build::LayOut(d);
  const trsdos::Place entries0 = d.layout.DirectorySector(2);
  auto entry = [&](int dec) {
    return s[{entries0.cylinder, 0, entries0.sector + (dec & 31)}].data() + (dec >> 5) * 32;
  };
  // SCATTER/BAS links on to its extended entry; make that entry link back to it.
  std::uint8_t* scatter = nullptr;
  int scatter_dec = 0;
  for (int dec = 0; dec < 64 && scatter == nullptr; dec += (dec & 31) == 7 ? 25 : 1) {
    if (std::string(reinterpret_cast<char*>(entry(dec)) + 5, 7) == "SCATTER")
      scatter = entry(dec), scatter_dec = dec;
  }
  ASSERT_NE(scatter, nullptr);
  entry(scatter[31])[30] = 0xFE, entry(scatter[31])[31] = static_cast<std::uint8_t>(scatter_dec);
  entry(2)[23] = entry(3)[23];  // FILE0 claims FILE1's granule as well
  entry(2)[22] = entry(3)[22];
  const Listed l = List(build::DosDmk(d, s, {{6, 0, 2}}));  // a CRC error in FILE7's data
  EXPECT_EQ(l.catalogue.family, Family::kTrsdos23);
  EXPECT_NE(Kinds(l.catalogue).find("bad-link"), std::string::npos) << Kinds(l.catalogue);
  EXPECT_NE(Kinds(l.catalogue).find("granule-twice"), std::string::npos);
  EXPECT_NE(Kinds(l.catalogue).find("crc-error"), std::string::npos);
  const trsdos::File* hurt = l.Named("FILE7/DAT");
  EXPECT_FALSE(hurt->complete);
  EXPECT_EQ(trsdos::ReadFile(l.disk, l.catalogue, *hurt).unreadable.size(), 1u);
  EXPECT_EQ(l.catalogue.files.size(), 11u);

  // An entry sector that fails its CRC: said, and the listing goes on.
  const Listed hurt_dir = List(build::DosDmk(d, build::LayOut(d), {{17, 0, entries0.sector + 1}}));
  EXPECT_EQ(hurt_dir.catalogue.family, Family::kTrsdos23);
  EXPECT_EQ(Kinds(hurt_dir.catalogue), "directory-sector crc-error");  // DIR/SYS holds it
  EXPECT_EQ(hurt_dir.catalogue.files.size(), 11u);
}

// Disks as real formatting programs and DOSes left them, against what the
// documents first said of them.
TEST(DosRealQuirks, GatByteCdIsACandidateNotTheAnswer) {
  for (bool dd : {false, true}) {
    const DosDisk d = build::Ldos53DataDisk(dd);
    const build::DosSectors s = build::LayOut(d);
    const Listed l = List(dd ? build::DosJv3(d, s) : build::DosDmk(d, s));
    SCOPED_TRACE(dd ? "CD E8" : "CD 88");
    ASSERT_EQ(l.catalogue.family, Family::kLdos);
    EXPECT_EQ(l.catalogue.layout.granules_per_track, dd ? 3 : 2);
    EXPECT_EQ(l.catalogue.layout.heads, dd ? 2 : 1);
    ExpectFilesBack(l, d);
    EXPECT_NE(l.catalogue.evidence[2].find("set aside"), std::string::npos)
        << l.catalogue.evidence[2];
  }
  // Where CD fits the disk it is taken, and said nothing of.
  const DosDisk fits = build::TrsdosDisk(0x51);
  const Listed l = List(build::DosJv3(fits, build::LayOut(fits)));
  for (const std::string& e : l.catalogue.evidence)
    EXPECT_EQ(e.find("set aside"), std::string::npos);
}

TEST(DosRealQuirks, DirectoryFoundByItsMarkWhenTheBootSectorNamesNone) {
  DosDisk d = build::Trsdos23DataDisk();
  for (bool dmk : {false, true}) {
    const build::DosSectors s = build::LayOut(d);
    const Listed l = List(dmk ? build::DosDmk(d, s) : build::DosJv3(d, s));
    ASSERT_EQ(l.catalogue.family, Family::kTrsdos23) << l.catalogue.evidence.front();
    EXPECT_EQ(l.catalogue.layout.dir_cylinder, 17);
    EXPECT_EQ(l.catalogue.files.size(), 6u);
    // The odd name is listed escaped, its stale HIT byte a finding, and the
    // directory stands although only BOOT/SYS's HIT byte is right.
    const trsdos::File* odd = l.Named("AB\\x01\\x7F/X\\x1B");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(l.Bytes(*odd), d.files.back().bytes);
    EXPECT_EQ(Kinds(l.catalogue), "hit-mismatch hit-mismatch");
  }
  // BOOT/SYS matches, DIR/SYS carries 2C: 1 of 2; with the odd entry, 1 of 3,
  // and BOOT/SYS and DIR/SYS in place keep the directory either way.
  d.files = {d.files.back()};
  const Listed three = List(build::DosJv3(d, build::LayOut(d)));
  EXPECT_EQ(three.catalogue.family, Family::kTrsdos23);
  EXPECT_EQ(three.catalogue.files.size(), 3u);
  d.files[0].name = "\x01";  // no name at all: not a file
  const Listed one = List(build::DosJv3(d, build::LayOut(d)));
  EXPECT_EQ(one.catalogue.family, Family::kTrsdos23);
  EXPECT_EQ(one.catalogue.files.size(), 2u);
  // A mark without a DIR/SYS that points at it is no directory.
  d.dir_sys_hit = -1;
  d.boot_directory = 1;
  build::DosSectors s = build::LayOut(d);
  s[{17, 0, 3}][22] = 3;  // DIR/SYS (DEC 1) names cylinder 3
  EXPECT_EQ(List(build::DosJv3(d, s)).catalogue.family, Family::kUnknown);
}

TEST(DosRealQuirks, DeletedEntriesInEachFormAndShortAllocations) {
  const DosDisk d = build::BigNewdosDisk(true);
  const Listed l = List(build::DosDmk(d, build::LayOut(d), build::BigNewdosBadSectors()));
  ASSERT_EQ(l.catalogue.family, Family::kGdos);
  EXPECT_EQ(l.catalogue.deleted.size(), 2u);
  const trsdos::File* old = l.Named("OLD/TXT");  // bit 4 alone cleared
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(old->protection, 5);
  EXPECT_TRUE(old->complete);
  EXPECT_EQ(l.Bytes(*old), d.files[9].bytes);
  const trsdos::File* gone = l.Named("GONE/CMD");  // its extents cleared
  ASSERT_NE(gone, nullptr);
  EXPECT_FALSE(gone->complete);
  const trsdos::FileBytes none = trsdos::ReadFile(l.disk, l.catalogue, *gone);
  EXPECT_TRUE(none.bytes.empty());
  EXPECT_EQ(none.missing, 3000);
  for (const char* hurt : {"FILE3/DAT", "SCATTER/BAS"}) EXPECT_FALSE(l.Named(hurt)->complete);
  EXPECT_EQ(Kinds(l.catalogue), "crc-error crc-error");

  // A live file whose extents hold less than its size needs.
  DosDisk shorter = build::TrsdosDisk(0);
  build::DosSectors s = build::LayOut(shorter);
  const trsdos::Place entries0 = shorter.layout.DirectorySector(2);
  s[{entries0.cylinder, 0, entries0.sector + 2}][20] = 9;  // FILE0/BAS: ERN 9, one granule
  const Listed cut = List(build::DosJv3(shorter, s));
  const trsdos::File* f0 = cut.Named("FILE0/BAS");
  EXPECT_FALSE(f0->complete);
  EXPECT_EQ(Kinds(cut.catalogue), "short-allocation");
  const trsdos::FileBytes part = trsdos::ReadFile(cut.disk, cut.catalogue, *f0);
  EXPECT_EQ(part.bytes.size(), 5u * 256);
  EXPECT_EQ(part.missing, f0->size - 5 * 256);
}

// The HIT bytes real LDOS and TRSDOS disks carry for their system files.
// BOOT/SYS and DIR/SYS where they belong keep a directory even when every
// other HIT byte is stale (22 entries against their 2).
TEST(DosRealQuirks, SystemFilesKeepADirectoryOfStaleHits) {
  DosDisk d = build::TrsdosDisk(0);
  d.files.clear();
  for (int n = 0; n < 22; ++n) {
    build::DosFile f{"F" + std::to_string(n), "DAT", build::DosFileBytes(n, 100)};
    f.no_hit = true;
    d.files.push_back(f);
  }
  const Listed l = List(build::DosJv3(d, build::LayOut(d)));
  EXPECT_EQ(l.catalogue.family, Family::kTrsdos23);
  EXPECT_EQ(l.catalogue.files.size(), 24u);
}

// DOSPLUS names itself in its resident system file, which may lie far
// from cylinder 0 (GAT name "DOS:3.4", no name in the boot sector): found
// there, and said where. The same words in a file that is not a system
// file say nothing of the DOS.
TEST(DosRealQuirks, DosplusNamedBySys0WhereverItLies) {
  const std::string banner = "DOSPLUS - MODEL III OPERATING SYSTEM - 3.4";
  for (const int attributes : {0x10 | 0x40, 0x10}) {
    DosDisk d = build::TrsdosDisk(0);
    d.name = "DOS:3.4";
    std::vector<std::uint8_t> sys0 = build::DosFileBytes(3, 1500);
    std::copy(banner.begin(), banner.end(), sys0.begin() + 300);  // its second sector
    d.files.push_back({"SYS0", "SYS", sys0, attributes});
    const Listed l = List(build::DosJv3(d, build::LayOut(d)));
    const trsdos::File* f = l.Named("SYS0/SYS");
    ASSERT_NE(f, nullptr);
    ASSERT_GT(f->extents[0].raw[0], 1);  // its first cylinder, past 1
    if (attributes & 0x40) {
      EXPECT_EQ(l.catalogue.family, Family::kDosplus);
      const std::string said =
          "\"DOSPLUS\" in SYS0/SYS, cylinder " + std::to_string(f->extents[0].raw[0]) + " sector ";
      EXPECT_TRUE(std::any_of(l.catalogue.evidence.begin(), l.catalogue.evidence.end(),
                              [&](const std::string& e) { return e.rfind(said, 0) == 0; }));
    } else {
      EXPECT_EQ(l.catalogue.family, Family::kTrsdos23);
    }
  }
}

// MULTIDOS keeps its system in system files of type DOL on a TRSDOS 2.3
// directory: named by them, and read, never changed.
TEST(DosRealQuirks, MultidosNamedByItsDolFiles) {
  for (const int attributes : {0x10 | 0x40, 0x10}) {
    DosDisk d = build::TrsdosDisk(0);
    d.files.push_back({"Command", "DOL", build::DosFileBytes(1, 1200), attributes});
    d.files.push_back({"Open", "DOL", build::DosFileBytes(2, 1100), attributes});
    const Listed l = List(build::DosDmk(d, build::LayOut(d)));
    if (attributes & 0x40) {
      EXPECT_EQ(l.catalogue.family, Family::kMultidos);
      const std::vector<std::string>& why = l.catalogue.evidence;
      EXPECT_NE(
          std::find(why.begin(), why.end(), "MULTIDOS's own system files: Command/DOL, Open/DOL"),
          why.end());
      EXPECT_EQ(trsdos::WhyNotChangeable(l.disk, l.catalogue),
                "a MULTIDOS disk is read, not changed: no real one confirmed how MULTIDOS changes "
                "its directory");
    } else {
      EXPECT_EQ(l.catalogue.family, Family::kTrsdos23);
    }
  }
}

TEST(Dos, NameHashOfTheSystemFiles) {
  EXPECT_EQ(trsdos::NameHash(reinterpret_cast<const std::uint8_t*>("BOOT    SYS")), 0xA2);
  EXPECT_EQ(trsdos::NameHash(reinterpret_cast<const std::uint8_t*>("DIR     SYS")), 0xC4);
  // A name whose last byte cancels the rest hashes to 1, never to the free
  // slot's 0.
  std::uint8_t name[11] = {'Z', 'E', 'R', 'O', ' ', ' ', ' ', ' ', 'C', 'M', 0};
  std::uint8_t h = 0;
  for (int k = 0; k < 10; ++k)
    h = static_cast<std::uint8_t>((h ^ name[k]) << 1 | (h ^ name[k]) >> 7);
  name[10] = h;
  EXPECT_EQ(trsdos::NameHash(name), 1);
}

// A file reads the sectors its size needs and no more: damage past its end
// in its last granule does not touch it. A sector not there is given as
// zeros and said so; and "no to all" is asked once.
TEST(Dos, FilesReadOnlyWhatTheirSizeNeeds) {
  const DosDisk d = build::TrsdosDisk(0);
  const build::DosSectors s = build::LayOut(d);
  const Listed plain = List(build::DosDmk(d, s));
  const trsdos::File* file0 = plain.Named("FILE0/BAS");  // 300 bytes in a granule of 5 sectors
  const trsdos::Place past = plain.catalogue.layout.Granule(file0->extents[0].first_granule)[2];
  const Listed hurt = List(build::DosDmk(d, s, {{past.cylinder, past.head, past.sector}}));
  EXPECT_TRUE(hurt.Named("FILE0/BAS")->complete);
  EXPECT_TRUE(trsdos::ReadFile(hurt.disk, hurt.catalogue, *hurt.Named("FILE0/BAS")).whole());

  Bytes jv3 = build::DosJv3(d, s);
  const trsdos::Place first = plain.catalogue.layout.Granule(file0->extents[0].first_granule)[0];
  for (int e = 0; e < jv3::kEntries; ++e) {
    std::uint8_t* entry = jv3.data() + jv3::EntryOffset(e);
    if (entry[0] == first.cylinder && entry[1] == first.sector)
      entry[0] = entry[1] = entry[2] = 0xFF;
  }
  const Listed missing = List(jv3);
  const trsdos::FileBytes bytes =
      trsdos::ReadFile(missing.disk, missing.catalogue, *missing.Named("FILE0/BAS"));
  ASSERT_EQ(bytes.unreadable.size(), 1u);
  EXPECT_FALSE(bytes.unreadable[0].as_read);

  int asked = 0;
  const std::filesystem::path out = std::filesystem::path(::testing::TempDir()) / "none-to-all";
  std::filesystem::remove_all(out);
  const ops::ExtractQuestions ask{[&](const filesystems::Entry&, const std::string&) {
                                    ++asked;
                                    return ops::Choice::kNone;
                                  },
                                  nullptr, nullptr};
  const Listed two =
      List(build::DosDmk(d, s, {{past.cylinder, past.head, past.sector - 2}, {6, 0, 2}}));
  const auto fs = ops::FilesystemToChange(two.disk);
  const ops::ExtractSummary done = ops::ExtractFiles(*fs, fs->List(false), out, ask);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(done.not_whole, 2);
  std::filesystem::remove_all(out);
}

// Host names for extracting: deleted files in deleted/, a name taken
// already (in any letter case) numbered on in directory order.
TEST(Dos, HostNamesNeverCollide) {
  auto file = [](const char* host, bool deleted) {
    filesystems::Entry f;
    f.host_name = host;
    f.deleted = deleted;
    return f;
  };
  const std::vector<filesystems::Entry> chosen = {file("A.CMD", false), file("A.CMD", true),
                                                  file("a.cmd", false), file("A.CMD", true),
                                                  file("NOEXT", false), file("NOEXT", false)};
  EXPECT_EQ(ops::HostNames(chosen),
            (std::vector<std::string>{"A.CMD", "deleted/A.CMD", "a-2.cmd", "deleted/A-2.CMD",
                                      "NOEXT", "NOEXT-2"}));
  // A name on the disk never leads out of the folder.
  EXPECT_EQ(filesystems::HostPart("../A B"), "___A_B");
  EXPECT_EQ(filesystems::HostPart("$#@!%&-_"), "$#@!%&-_");
  EXPECT_EQ(filesystems::HostPart(""), "_");
}

// A file's findings about single granules are said together, per kind and
// other file; JSON keeps one record each.
TEST(Dos, FindingLinesGroupGranules) {
  const std::vector<trsdos::Finding> findings = {
      {"granule-twice", "A/CMD", "granule 6 is also B/CMD's", 6, "B/CMD"},
      {"gat-free-but-used", "A/CMD", "granule 6 is free in the GAT", 6, ""},
      {"granule-twice", "A/CMD", "granule 7 is also B/CMD's", 7, "B/CMD"},
      {"granule-twice", "A/CMD", "granule 9 is also C/CMD's", 9, "C/CMD"},
      {"crc-error", "A/CMD", "1 sectors failed their CRC, the first cylinder 1", -1, ""},
      {"gat-free-but-used", "A/CMD", "granule 8 is free in the GAT", 8, ""}};
  EXPECT_EQ(trsdos::FindingLines(findings),
            (std::vector<std::string>{"granule-twice A/CMD: granules 6, 7 are also B/CMD's",
                                      "gat-free-but-used A/CMD: granules 6, 8 are free in the GAT",
                                      "granule-twice A/CMD: granule 9 is also C/CMD's",
                                      "crc-error A/CMD: 1 sectors failed their CRC, the first "
                                      "cylinder 1"}));
}

TEST(Dos, NothingExplainsAPlainDisk) {
  const Listed l = List(build::Jv3(build::Jv3Disk(40, 1, 10, false)));
  EXPECT_EQ(l.catalogue.family, Family::kUnknown);
  EXPECT_FALSE(l.catalogue.evidence.empty());
  EXPECT_TRUE(l.catalogue.files.empty());
}

}  // namespace
}  // namespace trivane::test
