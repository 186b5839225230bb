// trivane-disk on the real disks beside the project, when they are there:
// every file that the disks' authors committed beside them comes out of
// `extract --all --force` byte for byte (their table in the folder's
// README.md says which files are on which disk), and no disk gets a finding
// that its bytes do not show.
#include <map>
#include <regex>
#include <set>

#include "disk/container.h"
#include "fs/trsdos/catalogue.h"
#include "fs/trsdos/change.h"
#include "ops/filesystems.h"
#include "ops/prove.h"
#include "tool_support.h"
#include "views/view.h"

namespace trivane::test {
namespace {

const fs::path kDisks = TRIVANE_REAL_DISKS;

// Where a host file's bytes are not the disk file's: the disk's text ends
// with a 00 its editor wrote and the host copy dropped; or the host copy is
// another revision (lines changed) and the disk holds none like it.
const std::map<std::string, std::string> kUnlike = {
    {"smallc__dd8bn80.dsk samples/testprog.c", "nul"},
    {"smallc__dd8bn80.old_6ce226b.dsk samples/testprog.c", "nul"},
    {"smallc__smallc1.dmk cc41.c", "nul"},
    {"smallc__smallc3.dmk samples/fprint.c", "nul"},
    {"smallc__dd8bn80.dsk libc/IOLIB1.MAC", "other"},
    {"smallc__dd8bn80.old_6ce226b.dsk libc/IOLIB1.MAC", "other"},
    {"smallc__dd8bn80.dsk samples/BLOCKADE.C", "other"},  // its entry reused
    {"smallc__dd8bn80.dsk samples/brkout.c", "other"},    // its entry reused
    {"smallc__dd8bn80.dsk samples/dumpcmd.c", "other"},
    {"smallc__dd8bn80.old_6ce226b.dsk samples/dumpcmd.c", "other"},
    {"smallc__smallc3.dmk samples/dumpcmd.c", "other"},
    {"smallc__smallc1.dmk IOLIBCC.MAC", "other"},
    {"smallc__smallc1.dmk cc21.c", "other"},
};

struct Row {
  std::string image;
  std::string container;                                   // the table's word: JV1, HFE, ...
  std::vector<std::pair<std::string, std::string>> files;  // host path, "exact" or "lf->cr"
};

// Every row of the folder's tables, or only the JV1, JV3 and DMK images.
std::vector<Row> Table(bool floppies_read_today = true) {
  std::vector<Row> rows;
  std::istringstream readme(Slurp(kDisks / "README.md"));
  const std::regex row(R"(^\| `([^`]+)` \| \d+ \| [^|]* \| (\w+)[^|]*\|.*\| ([^|]*) \|$)");
  const std::regex file(R"(([^;\s][^;]*?) (exact|lf->cr))");
  for (std::string line; std::getline(readme, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, row)) continue;
    Row r{m[1], m[2], {}};
    if (floppies_read_today && r.container != "JV1" && r.container != "JV3" &&
        r.container != "DMK") {
      continue;
    }
    const std::string files = m[3];
    for (std::sregex_iterator f(files.begin(), files.end(), file), end; f != end; ++f) {
      r.files.emplace_back((*f)[1], (*f)[2]);
    }
    rows.push_back(r);
  }
  return rows;
}

// CR LF and LF as the disk's CR.
std::string AsOnDisk(std::string text) {
  std::string out;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') continue;
    out += text[k] == '\n' ? '\r' : text[k];
  }
  return out;
}

class RealDisks : public SampleFolder {
 protected:
  void SetUp() override {
    if (!fs::exists(kDisks / "README.md")) GTEST_SKIP() << kDisks << " is not there";
  }
};

// The HFE, IMD and hard-disk images are named for what they are, not read
// as another container.
TEST_F(RealDisks, OtherContainersNamedNotMisread) {
  const std::vector<Row> all = Table(false);
  ASSERT_EQ(all.size(), 27u);
  ASSERT_EQ(Table().size(), 20u);
  const std::map<std::string, std::string> said = {{"HFE", "an HFE image"},
                                                   {"IMD", "an ImageDisk (IMD) image"},
                                                   {"Reed", "a Reed hard-disk image"}};
  int named = 0;
  for (const Row& r : all) {
    if (!said.contains(r.container)) continue;
    const ToolRun run =
        Run(TRIVANE_DISK, {"sectors", (kDisks / r.image).string()}, dir_ / "out.txt");
    EXPECT_EQ(run.status, 1) << r.image;
    EXPECT_NE(run.err.find(said.at(r.container) + ", which this version does not read"),
              std::string::npos)
        << r.image << ": " << run.err;
    ++named;
  }
  EXPECT_EQ(named, 7);
}

TEST_F(RealDisks, EveryCommittedFileComesOutByteForByte) {
  const std::vector<Row> rows = Table();
  ASSERT_EQ(rows.size(), 20u);
  int exact = 0;
  for (const Row& r : rows) {
    if (r.files.empty()) continue;
    const fs::path out = dir_ / "real" / r.image;
    Run(TRIVANE_DISK,
        {"extract", (kDisks / r.image).string(), "-o", out.string(), "--all", "--force"},
        dir_ / "out.txt");
    std::set<std::string> extracted;
    for (const auto& e : fs::recursive_directory_iterator(out)) {
      if (e.is_regular_file()) extracted.insert(Slurp(e.path()));
    }
    const std::string tag = r.image.substr(0, r.image.find("__"));
    for (const auto& [path, how] : r.files) {
      std::string bytes = Slurp(kDisks / "host" / tag / path);
      if (how == "lf->cr") bytes = AsOnDisk(bytes);
      const auto unlike = kUnlike.find(r.image + " " + path);
      const std::string expected = unlike == kUnlike.end() ? "exact" : unlike->second;
      const std::string got = extracted.contains(bytes)          ? "exact"
                              : extracted.contains(bytes + '\0') ? "nul"
                                                                 : "other";
      EXPECT_EQ(got, expected) << r.image << " " << path;
      exact += got == "exact";
    }
  }
  EXPECT_EQ(exact, 45);
}

TEST_F(RealDisks, FindingsAreOnlyWhatTheBytesShow) {
  std::vector<std::string> args = {"dir"};
  for (const Row& r : Table()) args.push_back((kDisks / r.image).string());
  const ToolRun run = Run(TRIVANE_DISK, args, dir_ / "out.txt");
  std::istringstream lines(run.out);
  std::string image, findings;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] != ' ') image = fs::path(line).filename().string();
    if (line.rfind("  finding ", 0) == 0) findings += image + ":" + line.substr(9) + "\n";
  }
  // A stale HIT byte over three all-zero entries of one LDOS disk.
  EXPECT_EQ(findings,
            "spinv__space_invaders_model1.dsk: hit-mismatch: HIT byte at DEC 6 has no entry\n"
            "spinv__space_invaders_model1.dsk: hit-mismatch: HIT byte at DEC 7 has no entry\n"
            "spinv__space_invaders_model1.dsk: hit-mismatch: HIT byte at DEC 38 has no entry\n");
}

// Every real disk written back by its own container is the file it was;
// converted to a container that holds it all, it reads back with the same
// catalogue and file bytes.
TEST_F(RealDisks, WrittenBackAndConverted) {
  int converted = 0;
  for (const Row& r : Table()) {
    const std::string bytes = Slurp(kDisks / r.image);
    const ImageBuffer image(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    const disk::Disk d = disk::ReadDisk(image);
    const disk::Written same = disk::FormatOf(d.container).write(d, {});
    EXPECT_EQ(std::string(same.bytes.begin(), same.bytes.end()), bytes) << r.image;
    const trsdos::Catalogue before = trsdos::ReadCatalogue(d);
    for (disk::Container to :
         {disk::Container::kJv1, disk::Container::kJv3, disk::Container::kDmk}) {
      const disk::Written w = disk::FormatOf(to).write(d, {});
      if (!w.losses.empty() || to == d.container) continue;
      const disk::Disk back = disk::ReadDisk(ImageBuffer(w.bytes));
      const trsdos::Catalogue after = trsdos::ReadCatalogue(back);
      ASSERT_EQ(after.files.size(), before.files.size()) << r.image;
      EXPECT_EQ(FindingLines(after.findings), FindingLines(before.findings)) << r.image;
      for (std::size_t f = 0; f < after.files.size(); ++f) {
        EXPECT_EQ(trsdos::ReadFile(back, after, after.files[f]).bytes,
                  trsdos::ReadFile(d, before, before.files[f]).bytes)
            << r.image << " " << after.files[f].Shown();
      }
      ++converted;
    }
  }
  EXPECT_EQ(converted, 24);
}

// On every real disk with a DOS the catalogue knows: a file put, renamed
// and deleted, each change proved as its DOS would list it.
TEST_F(RealDisks, PutRenameDelete) {
  int changed = 0;
  for (const Row& r : Table()) {
    const std::string bytes = Slurp(kDisks / r.image);
    disk::Disk d =
        disk::ReadDisk(ImageBuffer(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
    d.write_protected = false;  // in memory only
    const std::string why = trsdos::WhyNotChangeable(d);
    if (!why.empty()) continue;
    std::vector<std::uint8_t> host(3000);
    for (std::size_t k = 0; k < host.size(); ++k) host[k] = static_cast<std::uint8_t>(k * 13);
    const filesystems::Changed put =
        ops::PutFile(*ops::FilesystemToChange(d), "TRIVANE/TXT", host, false, "12/07/86");
    ASSERT_EQ(put.error, "") << r.image;
    const filesystems::Changed renamed =
        ops::RenameFile(*ops::FilesystemToChange(put.disk), "TRIVANE/TXT", "RENAMED/TXT");
    ASSERT_EQ(renamed.error, "") << r.image;
    const filesystems::Changed deleted =
        ops::DeleteFile(*ops::FilesystemToChange(renamed.disk), "RENAMED/TXT");
    ASSERT_EQ(deleted.error, "") << r.image;
    ++changed;
  }
  EXPECT_GE(changed, 15);
}

// Every BASIC program on the real disks lists whole as Model I/III BASIC;
// nearly every /CMD file is a load module whose code can be followed.
TEST_F(RealDisks, FilesShownAsTheirOwnersReadThem) {
  int basic = 0, modules = 0, commands = 0;
  for (const Row& r : Table()) {
    const std::string bytes = Slurp(kDisks / r.image);
    const disk::Disk d =
        disk::ReadDisk(ImageBuffer(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
    const trsdos::Catalogue c = trsdos::ReadCatalogue(d);
    for (const trsdos::File& f : c.files) {
      if (f.ext != "BAS" && f.ext != "CMD") continue;
      const views::View v =
          views::MakeView(trsdos::ReadFile(d, c, f).bytes, views::ViewKind::kAuto);
      if (f.ext == "BAS") {
        EXPECT_EQ(v.kind, views::ViewKind::kBasic) << r.image << " " << f.Shown() << ": " << v.why;
        basic += v.note.empty();
      } else {
        ++commands;
        if (v.kind != views::ViewKind::kCmd) continue;
        ++modules;
        EXPECT_FALSE(
            views::MakeView(trsdos::ReadFile(d, c, f).bytes, views::ViewKind::kAsm).lines.empty());
      }
    }
  }
  EXPECT_EQ(basic, 11);
  EXPECT_EQ(commands, 153);
  EXPECT_EQ(modules, 151);
}

}  // namespace
}  // namespace trivane::test
