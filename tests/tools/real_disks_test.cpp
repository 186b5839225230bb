// trivane-disk on the real disks beside the project, when they are there:
// every file that the disks' authors committed beside them comes out of
// `extract --all --force` byte for byte (their table in the folder's
// README.md says which files are on which disk), no disk gets a finding
// that its bytes do not show, and every floppy, in whichever container,
// writes back as the file it was and converts to every other.
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "disk/container.h"
#include "formats/hfe.h"
#include "fs/trsdos/catalogue.h"
#include "fs/trsdos/change.h"
#include "ops/convert.h"
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

// Every row of the folder's tables, or only the floppy disks.
std::vector<Row> Table(bool floppies = true) {
  std::vector<Row> rows;
  std::istringstream readme(Slurp(kDisks / "README.md"));
  const std::regex row(R"(^\| `([^`]+)` \| \d+ \| [^|]* \| (\w+)[^|]*\|.*\| ([^|]*) \|$)");
  const std::regex file(R"(([^;\s][^;]*?) (exact|lf->cr))");
  for (std::string line; std::getline(readme, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, row)) continue;
    Row r{m[1], m[2], {}};
    if (floppies && r.container == "Reed") continue;
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
  // "a new file\n" put as NEW/TXT into drive 1 of a writable copy of the image.
  int PutIntoCopy(const std::string& image, const fs::path& copy) {
    const fs::path put = dir_ / "NEW.TXT";
    fs::copy_file(image, copy);
    fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
    std::ofstream(put, std::ios::binary) << "a new file\n";
    return Run(TRIVANE_DISK, {"put", copy.string(), put.string(), "--drive", "1"}, dir_ / "out.txt")
        .status;
  }
  // `dir --json` of a hard disk: its drives' objects, in order.
  std::vector<nlohmann::json> Drives(const std::string& image) {
    const ToolRun dir = Run(TRIVANE_DISK, {"dir", "--json", image}, dir_ / "out.txt");
    EXPECT_EQ(dir.status, 0) << dir.err;
    std::vector<nlohmann::json> drives;
    std::istringstream lines(dir.out);
    for (std::string line; std::getline(lines, line);)
      drives.push_back(nlohmann::json::parse(line));
    return drives;
  }
};

// The hard disk: its header in `sectors`; `dir --json` an object a drive;
// a file named without its drive refused; a put into drive 1 changes
// nothing outside drive 1's slice of each cylinder.
TEST_F(RealDisks, HardDiskByItsDrives) {
  ASSERT_EQ(Table(false).size(), 35u);
  ASSERT_EQ(Table().size(), 31u);
  const std::string image = (kDisks / "frehdbr__ldos3.hdv").string();
  const ToolRun sectors = Run(TRIVANE_DISK, {"sectors", image}, dir_ / "out.txt");
  EXPECT_EQ(sectors.status, 0);
  EXPECT_NE(sectors.out.find("  header: 153 cylinders (the file holds 203), 128 sectors a "
                             "cylinder, 8 granules a cylinder, directory on cylinder 101\n"),
            std::string::npos);
  const ToolRun dir = Run(TRIVANE_DISK, {"dir", "--json", image}, dir_ / "out.txt");
  std::istringstream lines(dir.out);
  int drive = 0;
  for (std::string line; std::getline(lines, line); ++drive) {
    const auto j = nlohmann::json::parse(line);
    EXPECT_EQ(j["drive"], drive);
    EXPECT_EQ(j["disk_name"], std::string("LDM3HD") + static_cast<char>('A' + drive));
  }
  EXPECT_EQ(drive, 4);
  const ToolRun cat = Run(TRIVANE_DISK, {"cat", "--text", image, "LDOS/JCL"}, dir_ / "out.txt");
  EXPECT_EQ(cat.status, 1);
  EXPECT_NE(cat.err.find("say which with --drive N (0, 1, 2, 3)"), std::string::npos);
  const fs::path copy = dir_ / "h.hdv";
  EXPECT_EQ(PutIntoCopy(image, copy), 0);
  const std::string before = Slurp(image), after = Slurp(copy);
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t k = 0; k < before.size(); ++k) {
    if (before[k] != after[k]) {
      ASSERT_EQ((k - 256) / (32 * 256) % 4, 1u) << k;
    }
  }
  EXPECT_EQ(Run(TRIVANE_DISK, {"cat", copy.string(), "NEW/TXT", "--drive", "1", "--text"},
                dir_ / "out.txt")
                .out,
            "a new file\n");
}

// The NEWDOS/80 hard disk, 64 MiB and its header: eight drives, each a
// 32-sector slice whose PDRIVE entry gives its granule size and length (the
// last two named by no entry, read as the one before), every GAT's name and
// granule count as its own, no finding; a text file reads as text, a load
// module parses; a change is refused and leaves the image as it was.
TEST_F(RealDisks, NewdosHardDiskByItsPdriveEntries) {
  const std::string image = (kDisks / "frehdbr__newdos3D.hdv").string();
  const std::vector<nlohmann::json> drives = Drives(image);
  ASSERT_EQ(drives.size(), 8u);
  for (std::size_t drive = 0; drive < drives.size(); ++drive) {
    const nlohmann::json& j = drives[drive];
    EXPECT_EQ(j["drive"], drive);
    EXPECT_EQ(j["disk_name"], "NDM3HD-" + std::to_string(drive));
    EXPECT_EQ(j["findings"].size(), 0u) << drive;
    EXPECT_EQ(j["files"].size(), drive == 0 ? 114u : drive == 1 ? 3u : 2u) << drive;
  }
  const ToolRun text =
      Run(TRIVANE_DISK, {"cat", "--text", "--drive", "0", image, "READTXT/TXT"}, dir_ / "out.txt");
  EXPECT_NE(text.out.find("The Syntax for READTXT/CMD is"), std::string::npos);
  const ToolRun help = Run(TRIVANE_DISK, {"view", "--drive", "0", image, "HELP/CMD", "--as", "cmd"},
                           dir_ / "out.txt");
  EXPECT_NE(help.out.find("block  5200-52FD  254 bytes\n"), std::string::npos) << help.out;
  EXPECT_NE(help.out.find("transfer 5200\n"), std::string::npos);
  const fs::path copy = dir_ / "n.hdv";
  EXPECT_EQ(PutIntoCopy(image, copy), 1);
  EXPECT_EQ(Slurp(copy), Slurp(image));
}

// The MULTIDOS hard disk: six drives, each a run of 140 whole cylinders of
// 192 sectors with its directory on its cylinder 70; drive 0 named
// MULTIDOS by its DOL system files, its BASIC listing whole, its load
// modules parsed; no finding.
TEST_F(RealDisks, MultidosHardDiskByItsRuns) {
  const std::string image = (kDisks / "bigmit__multidos_hard4-0.hdv").string();
  const std::vector<nlohmann::json> drives = Drives(image);
  ASSERT_EQ(drives.size(), 6u);
  for (std::size_t drive = 0; drive < drives.size(); ++drive) {
    const nlohmann::json& j = drives[drive];
    EXPECT_EQ(j["drive"], drive);
    EXPECT_EQ(j["disk_name"], drive == 0 ? "MULTIDOS" : "FreHD " + std::to_string(drive));
    EXPECT_EQ(j["dos"]["family"], drive == 0 ? "MULTIDOS" : "TRSDOS 2.3");
    EXPECT_EQ(j["findings"].size(), 0u) << drive;
    EXPECT_EQ(j["files"].size(), drive == 0 ? 71u : 2u) << drive;
  }
  const ToolRun opt =
      Run(TRIVANE_DISK, {"view", "--drive", "0", image, "OPT/BAS"}, dir_ / "out.txt");
  EXPECT_NE(opt.out.find("20 'Converts UTIL/BOL to UTILA/BOL\n"), std::string::npos) << opt.out;
  const ToolRun cat = Run(TRIVANE_DISK, {"view", "--drive", "0", image, "CAT/CMD", "--as", "cmd"},
                          dir_ / "out.txt");
  EXPECT_NE(cat.out.find("transfer 56BA\n"), std::string::npos) << cat.out;
}

// The FreHD CP/M hard disk (Montezuma's CP/M 2.2): two drives of three
// slices each, found by hunting; drive 0's files whole, DRI's PIP.COM as
// on the Montezuma floppy, its documentation text.
TEST_F(RealDisks, CpmHardDiskByItsSliceGroups) {
  const std::string image = (kDisks / "frehdbr__cpm.hdv").string();
  const std::vector<nlohmann::json> drives = Drives(image);
  ASSERT_EQ(drives.size(), 2u);
  EXPECT_EQ(drives[0]["files"].size(), 25u);
  EXPECT_EQ(drives[0]["findings"].size(), 0u);
  EXPECT_EQ(drives[0]["parameters"]["block_size"], 8192);
  for (const auto& f : drives[0]["files"]) EXPECT_TRUE(f["complete"].get<bool>()) << f["name"];
  EXPECT_EQ(drives[1]["files"].size(), 1u);  // its BADTRACK.TBL
  const std::string pip =
      Run(TRIVANE_DISK, {"cat", "--drive", "0", image, "PIP.COM"}, dir_ / "out.txt").out;
  EXPECT_EQ(
      pip, Run(TRIVANE_DISK, {"cat", (kDisks / "bigmit__m4_montezuma_cpm.hfe").string(), "PIP.COM"},
               dir_ / "out.txt")
               .out);
  const ToolRun doc =
      Run(TRIVANE_DISK, {"cat", "--text", "--drive", "0", image, "MDIR.DOC"}, dir_ / "out.txt");
  EXPECT_NE(doc.out.find("CP/M Extended Directory Program"), std::string::npos);
}

// The identification still refuses the HFE and IMD files with its fixed
// message, though the sector reader reads them.
TEST_F(RealDisks, IdentificationRefusesHfeAndImd) {
  std::vector<std::string> args;
  for (const Row& r : Table()) {
    if (r.container == "HFE" || r.container == "IMD") args.push_back((kDisks / r.image).string());
  }
  ASSERT_EQ(args.size(), 6u);
  const ToolRun run = Run(TRIVANE_REPORT, args, dir_ / "out.txt");
  std::size_t refused = 0;
  for (std::size_t at = 0;
       (at = run.out.find("does not have an EMULATOR Disk format HEADER", at)) != std::string::npos;
       ++at) {
    ++refused;
  }
  EXPECT_EQ(refused, 6u) << run.out;
}

// The Genie IIIs authors' files: each as extract writes it, or, for text,
// with LF for the disk's CR LF up to its ^Z run; their .cpm files are the
// disk's .COM files, their !dir.txt the disk's directory as CDIR listed it:
// every name `dir` lists, and the free space.
TEST_F(RealDisks, GenieAuthorsFilesComeOutAsTheirReadmeSays) {
  int exact = 0, text = 0;
  for (const std::string disk : {"egcpm02", "egcpm08"}) {
    const fs::path out = dir_ / disk, image = kDisks / ("g3s__" + disk + ".imd");
    Run(TRIVANE_DISK, {"extract", image.string(), "-o", out.string()}, dir_ / "out.txt");
    const std::string cdir = Slurp(kDisks / "host" / "g3s" / disk / "!dir.txt");
    std::set<std::string> listed, ours;
    const std::regex name(R"([A-P]\d+:(\S+))");
    for (std::sregex_iterator m(cdir.begin(), cdir.end(), name), end; m != end; ++m)
      listed.insert((*m)[1]);
    const auto j = nlohmann::json::parse(
        Run(TRIVANE_DISK, {"dir", "--json", image.string()}, dir_ / "out.txt").out);
    for (const auto& f : j["files"]) {
      const std::string ext = f["ext"];
      ours.insert(f["name"].get<std::string>() + (ext.empty() ? "" : "." + ext));
    }
    EXPECT_EQ(ours, listed) << disk;
    const int free_k =
        j["blocks_free"].get<int>() * j["parameters"]["block_size"].get<int>() / 1024;
    EXPECT_NE(cdir.find(std::to_string(free_k) + "K free"), std::string::npos) << disk;
    for (const auto& e : fs::directory_iterator(kDisks / "host" / "g3s" / disk)) {
      std::string name = e.path().filename().string();
      if (name == "!dir.txt") continue;
      if (name.ends_with(".cpm")) name = name.substr(0, name.size() - 4) + ".com";
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      const std::string host = Slurp(e.path()), got = Slurp(out / name);
      std::string as_text = got;
      for (std::size_t k; (k = as_text.find("\r\n")) != std::string::npos;) as_text.erase(k, 1);
      exact += got == host;
      text += got != host && as_text == host;
      EXPECT_TRUE(got == host || as_text == host) << disk << " " << name;
    }
  }
  EXPECT_EQ(exact, 87);
  EXPECT_EQ(text, 26);
}

// The TRSDOS 1.3 disk in both containers reads sector for sector alike; a
// file put on the HFE writes again only the tracks it changed.
TEST_F(RealDisks, HfeAsItsDmkAndChangedTracksAlone) {
  const auto read = [](const std::string& name) {
    const std::string bytes = Slurp(kDisks / name);
    return disk::ReadDisk(ImageBuffer(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
  };
  const disk::Disk hfe = read("bigmit__TRSDOS_v13.hfe"), dmk = read("bigmit__TRSDOS_v13.dmk");
  ASSERT_EQ(hfe.sectors.size(), 720u);
  EXPECT_EQ(ops::CompareSectors(hfe, dmk, {}), "");
  EXPECT_EQ(ops::CompareSectors(dmk, hfe, {}), "");
  const filesystems::Changed put = ops::PutFile(*ops::FilesystemToChange(hfe), "TRIVANE/TXT",
                                                std::vector<std::uint8_t>(700, 'x'), false, "");
  ASSERT_EQ(put.error, "");
  ASSERT_EQ(put.disk.sectors.size(), hfe.sectors.size());
  std::set<int> changed;
  for (std::size_t k = 0; k < hfe.sectors.size(); ++k) {
    if (disk::SectorData(hfe, hfe.sectors[k]) != disk::SectorData(put.disk, put.disk.sectors[k])) {
      changed.insert(hfe.sectors[k].cylinder);
    }
  }
  const std::vector<std::uint8_t>& w = put.bytes;
  const std::string file = Slurp(kDisks / "bigmit__TRSDOS_v13.hfe");
  const std::vector<std::uint8_t> before(file.begin(), file.end());
  ASSERT_EQ(w.size(), before.size());
  std::set<int> rewritten;
  const Offset track = 49 * hfe::kBlockBytes;
  for (int c = 0; c < 40; ++c) {
    const Offset at = 2 * hfe::kBlockBytes + c * track;
    if (!std::equal(w.begin() + at, w.begin() + at + track, before.begin() + at)) {
      rewritten.insert(c);
    }
  }
  EXPECT_EQ(rewritten, changed);
  EXPECT_GE(changed.size(), 2u);  // the file's and the directory's
  EXPECT_EQ(ops::CompareSectors(put.disk, disk::ReadDisk(ImageBuffer(w)), {}), "");
}

TEST_F(RealDisks, EveryCommittedFileComesOutByteForByte) {
  const std::vector<Row> rows = Table();
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
  // A stale HIT byte over three all-zero entries of one LDOS disk; the
  // MS-DOS disk whose image lost every even cylinder, cylinder 0 with them.
  EXPECT_EQ(
      findings,
      "spinv__space_invaders_model1.dsk: hit-mismatch: HIT byte at DEC 6 has no entry\n"
      "spinv__space_invaders_model1.dsk: hit-mismatch: HIT byte at DEC 7 has no entry\n"
      "spinv__space_invaders_model1.dsk: hit-mismatch: HIT byte at DEC 38 has no entry\n"
      "g3s__5dos211.dmk: boot-sector-missing: the boot sector, the FATs and the root "
      "directory (cylinder 0) are not on the image: no file can be found; it holds data on "
      "cylinders 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31, 33, 35, 37 and 39 "
      "alone\n");
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
    const disk::Written same = disk::FormatOf(d.container).write(d, disk::OptionsAsRead(d));
    EXPECT_EQ(std::string(same.bytes.begin(), same.bytes.end()), bytes) << r.image;
    const trsdos::Catalogue before = trsdos::ReadCatalogue(d);
    for (const disk::ContainerFormat* row : disk::Containers()) {
      const disk::ContainerFormat& format = *row;
      const disk::Container to = format.kind;
      const disk::Written w = disk::FormatOf(to).write(d, {});
      if (!w.losses.empty() || to == d.container) continue;
      const disk::Disk back = disk::ReadDisk(ImageBuffer(w.bytes));
      EXPECT_EQ(ops::CompareSectors(d, back, {}), "") << r.image << " as " << format.name;
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
  EXPECT_EQ(converted, 119);  // 30 of them as SCP
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
    const std::string why = trsdos::WhyNotChangeable(d, trsdos::ReadCatalogue(d));
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
  EXPECT_EQ(commands, 158);
  EXPECT_EQ(modules, 156);
}

}  // namespace
}  // namespace trivane::test
