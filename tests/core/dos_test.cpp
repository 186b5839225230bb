// The DOS catalogue: each DOS's disks built with files of known bytes come
// back whole; damaged disks list, with their findings.
#include "builder/dos_images.h"
#include "dos/catalogue.h"
#include "test_support.h"

namespace trivane::test {
namespace {

using build::DosDisk;
using dos::Family;

struct Listed {
  ImageBuffer image;
  disk::Disk disk;
  dos::Catalogue catalogue;
  std::vector<std::uint8_t> Bytes(const dos::File& f) const {
    return dos::ReadFile(image, disk, catalogue, f).bytes;
  }
  const dos::File* Named(const std::string& shown) const {
    for (const auto* list : {&catalogue.files, &catalogue.deleted}) {
      for (const dos::File& f : *list) {
        if (f.Shown() == shown) return &f;
      }
    }
    return nullptr;
  }
};

Listed List(const build::Bytes& bytes) {
  Listed l{ImageBuffer(bytes), {}, {}};
  l.disk = disk::ReadDisk(l.image);
  l.catalogue = dos::ReadCatalogue(l.image, l.disk);
  return l;
}

std::string Kinds(const dos::Catalogue& c) {
  std::string kinds;
  for (const dos::Finding& f : c.findings) kinds += (kinds.empty() ? "" : " ") + f.kind;
  return kinds;
}

// Every file the builder wrote, live and deleted, comes back byte for byte.
void ExpectFilesBack(const Listed& l, const DosDisk& d) {
  for (std::size_t n = 0; n < d.files.size(); ++n) {
    const build::DosFile& f = d.files[n];
    const dos::File* got = l.Named(f.name + "/" + f.ext);
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
    SCOPED_TRACE(dos::FamilyName(c.family) + std::string(c.dmk ? " DMK" : " JV3"));
    EXPECT_EQ(l.catalogue.family, c.family);
    EXPECT_EQ(l.catalogue.version, c.version);
    EXPECT_EQ(l.catalogue.disk_name, "TESTDISK");
    ExpectFilesBack(l, c.disk);
    const dos::File* invisible = l.Named("FILE3/DAT");
    EXPECT_TRUE(invisible->invisible && invisible->protection == 5 && !invisible->system);
    const int spg = c.disk.layout.sectors_per_granule;
    EXPECT_EQ(l.Named("SCATTER/BAS")->extents.size(), std::size_t((36 + spg - 1) / spg));
  }
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
  const dos::Place entries0 = d.layout.DirectorySector(2);
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
  const Listed l = List(build::DosDmk(d, s, {6, 0, 2}));  // a CRC error in FILE7's data
  EXPECT_EQ(l.catalogue.family, Family::kTrsdos23);
  EXPECT_NE(Kinds(l.catalogue).find("bad-link"), std::string::npos) << Kinds(l.catalogue);
  EXPECT_NE(Kinds(l.catalogue).find("granule-twice"), std::string::npos);
  EXPECT_NE(Kinds(l.catalogue).find("crc-error"), std::string::npos);
  const dos::File* hurt = l.Named("FILE7/DAT");
  EXPECT_FALSE(hurt->complete);
  EXPECT_EQ(dos::ReadFile(l.image, l.disk, l.catalogue, *hurt).unreadable.size(), 1u);
  EXPECT_EQ(l.catalogue.files.size(), 11u);

  // An entry sector that fails its CRC: said, and the listing goes on.
  const Listed hurt_dir = List(build::DosDmk(d, build::LayOut(d), {17, 0, entries0.sector + 1}));
  EXPECT_EQ(hurt_dir.catalogue.family, Family::kTrsdos23);
  EXPECT_EQ(Kinds(hurt_dir.catalogue), "directory-sector crc-error");  // DIR/SYS holds it
  EXPECT_EQ(hurt_dir.catalogue.files.size(), 11u);
}

TEST(Dos, NothingExplainsAPlainDisk) {
  const Listed l = List(build::Jv3(build::Jv3Disk(40, 1, 10, false)));
  EXPECT_EQ(l.catalogue.family, Family::kUnknown);
  EXPECT_FALSE(l.catalogue.evidence.empty());
  EXPECT_TRUE(l.catalogue.files.empty());
}

}  // namespace
}  // namespace trivane::test
