// trivane-disk, run as a program on the sample images.
#include <nlohmann/json.hpp>

#include "builder/dos_images.h"
#include "builder/zip_images.h"
#include "cli/sha256.h"
#include "tool_support.h"

namespace trivane::test {
namespace {

using nlohmann::json;

class DiskTool : public SampleFolder {
 protected:
  static ToolRun Tool(const std::vector<std::string>& args) {
    return Run(TRIVANE_DISK, args, dir_ / "out.txt");
  }
  static std::vector<json> JsonLines(const std::vector<std::string>& args) {
    std::vector<json> lines;
    std::istringstream out(Tool(args).out);
    for (std::string line; std::getline(out, line);) lines.push_back(json::parse(line));
    return lines;
  }
};

TEST_F(DiskTool, SectorsAsJsonHoldExactlyTheirMembers) {
  const auto lines = JsonLines({"sectors", "--json", "--data", Path("dmk-mixed-damaged.dmk"),
                                Path("notes.dsk"), Path("jv1-35track.dsk")});
  ASSERT_EQ(lines.size(), 3u);
  const json& dmk = lines[0];
  EXPECT_EQ(dmk.size(), 6u);
  EXPECT_EQ(dmk["container"], "DMK");
  EXPECT_EQ(std::make_pair(dmk["cylinders"], dmk["heads"]), std::make_pair(json(40), json(1)));
  EXPECT_EQ(dmk["summary"], json::parse(R"({"total":712,"sd":10,"dd":702,"id_crc_errors":1,
                                            "data_crc_errors":1,"no_dam":1})"));
  json first = dmk["sectors"][0];
  EXPECT_EQ(first["data"].get<std::string>().substr(0, 8), "00010203");  // undoubled
  first.erase("data");
  EXPECT_EQ(first, json::parse(R"({"cyl":0,"head":0,"track":0,"side":0,"sector":0,"size":256,
      "density":"SD","dam":251,"id_crc_ok":true,"data_crc_ok":true,"offset":238})"));
  const json& no_data = dmk["sectors"][10 + 4 * 18 + 5];
  EXPECT_EQ(
      std::make_tuple(no_data["sector"], no_data["dam"], no_data["data_crc_ok"], no_data["offset"]),
      std::make_tuple(json(5), json(nullptr), json(nullptr), json(nullptr)));
  EXPECT_EQ(lines[1],
            json({{"file", Path("notes.dsk")},
                  {"error",
                   "not a disk image: no DMK, JV3, HFE, IMD, Reed or SCP header, no JV1 boot "
                   "sector, no KryoFlux stream header"}}));
  EXPECT_EQ(lines[2]["sectors"][0]["id_crc_ok"], nullptr);  // JV1 keeps no CRCs
}

TEST_F(DiskTool, TextHexdumpAndRawSector) {
  ToolRun run = Tool({"sectors", Path("dmk-mixed-damaged.dmk")});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("    5 0   256 DD FB:  0 1 2 3!data 4!id 5- 6(F8) 7"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  712 sectors: 10 single density, 702 double density;"),
            std::string::npos);

  run = Tool(
      {"hexdump", Path("dmk-mixed-damaged.dmk"), "--cyl", "0", "--head", "0", "--sector", "1"});
  EXPECT_EQ(run.out.substr(0, 79),
            "00000000  0d 0e 0f 10 11 12 13 14  15 16 17 18 19 1a 1b 1c  |................|\n");
  EXPECT_EQ(run.out.size(), 16u * 79);

  run = Tool({"sector", Path("jv3-sssd.dsk"), "1", "0", "2"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string(256, '\xE5'));
  run = Tool({"sector", Path("jv3-sssd.dsk"), "1", "0", "12"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "trivane-disk: " + Path("jv3-sssd.dsk") +
                         ": no sector 12 with data on cylinder 1 head 0\n");
}

TEST_F(DiskTool, ExitStatus) {
  EXPECT_EQ(Tool({"sectors", Path("jv1-35track.dsk"), Path("dmk-real-disk.dmk")}).status, 1);
  EXPECT_EQ(Tool({"sectors", "--json", Path("jv3-dsdd.dsk")}).status, 0);
  for (const auto& args : {std::vector<std::string>{},
                           {"sectors"},
                           {"sectors", "--xml", Path("jv3-dsdd.dsk")},
                           {"hexdump", Path("jv3-dsdd.dsk"), "--cyl", "1"},
                           {"sector", "x", "1", "2"},
                           {"dir", "--xml", Path("jv3-dsdd.dsk")},
                           {"extract", Path("dos-ldos.dmk"), "-o"},
                           {"cat", Path("dos-ldos.dmk"), "FILE0/BAS", "--raw"},
                           {"format", Path("jv3-dsdd.dsk")}}) {
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.status, 2) << args.size();
    EXPECT_NE(run.err.find("usage: trivane-disk sectors"), std::string::npos);
  }
  EXPECT_EQ(Tool({"sectors", "--help"}).status, 0);
  // A DMK header without tracks holds no sectors; a JV3 cut inside its
  // header says so.
  build::Bytes header = build::Dmk(dmk::kDoubleTrack, 2, 1, 18);
  header.resize(dmk::kHeaderBytes);
  ASSERT_TRUE(build::WriteFile(dir_ / "header.dmk", header));
  const ToolRun none = Tool({"sectors", Path("header.dmk")});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.out.find("0 sectors"), std::string::npos);
  EXPECT_NE(none.err.find("header.dmk: the image holds no sectors"), std::string::npos);
  build::Bytes cut = build::Jv3(build::Jv3Disk(2, 1, 10, false));
  cut.resize(300);
  ASSERT_TRUE(build::WriteFile(dir_ / "cut.dsk", cut));
  EXPECT_NE(Tool({"dir", Path("cut.dsk")})
                .err.find("the file ends inside the JV3 header, at byte "
                          "300 of 8704"),
            std::string::npos);
  const ToolRun help = Tool({"extract", "--help"});
  EXPECT_EQ(help.out.rfind("usage: trivane-disk extract IMAGE", 0), 0u) << help.out;
  EXPECT_EQ(help.out.find("trivane-disk sectors"), std::string::npos);
  // Each DOS a new disk is made by is named once, however many formats it has.
  EXPECT_EQ(
      Tool({"new", "--help"})
          .out.rfind("usage: trivane-disk new OUT --dos newdos80|trsdos23|ldos|trsdos13|cpm [", 0),
      0u);
  // "--" ends the options in every command: what follows is a name.
  const ToolRun dashed = Tool({"dir", "--", "--json"});
  EXPECT_EQ(dashed.status, 1);
  EXPECT_NE(dashed.err.find("--json: "), std::string::npos) << dashed.err;
}

}  // namespace
}  // namespace trivane::test

namespace trivane::test {
namespace {

class DosTool : public DiskTool {};

std::string Text(const std::vector<std::uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}

TEST_F(DosTool, DirAsJsonHoldsExactlyItsMembers) {
  const auto lines =
      JsonLines({"dir", "--json", "--all", Path("dos-ldos.dmk"), Path("jv1-35track.dsk")});
  ASSERT_EQ(lines.size(), 2u);
  const json& ldos = lines[0];
  std::vector<std::string> keys;
  for (const auto& [key, value] : ldos.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"container", "deleted", "disk_date", "disk_name", "dos",
                                            "evidence", "file", "files", "findings",
                                            "granules_free", "granules_total"}));
  EXPECT_EQ(ldos["dos"], json::parse(R"({"family":"LDOS","version":"5.1"})"));
  const json& file0 = ldos["files"][2];
  EXPECT_EQ(file0["sha256"], cli::Sha256Hex(build::DosFileBytes(0, 300)));
  json rest = file0;
  rest.erase("sha256");
  EXPECT_EQ(rest, json::parse(R"({"name":"FILE0","ext":"BAS","size":300,"lrl":256,"eof":44,"ern":2,
      "attrs":{"system":false,"invisible":false,"pds":false,"protection":0},"date":"1986-06-15",
      "extents":[{"raw":"0020","first_granule":1,"granules":1}],"complete":true})"));
  EXPECT_EQ(ldos["deleted"][0]["name"], "OLD");
  EXPECT_EQ(lines[1]["dos"]["family"], "unknown");
  EXPECT_FALSE(JsonLines({"dir", "--json", Path("dos-ldos.dmk")})[0].contains("deleted"));
}

TEST_F(DosTool, ExtractNeverOverwritesAndCatReads) {
  const fs::path out = dir_ / "extracted";
  EXPECT_EQ(Tool({"extract", Path("dos-newdos80.dsk"), "-o", out.string()}).status, 0);
  EXPECT_EQ(Slurp(out / "SCATTER.BAS"), Text(build::DosFileBytes(8, 9000)));
  EXPECT_FALSE(fs::exists(out / "OLD.TXT"));
  { std::ofstream(out / "FILE0.BAS") << "mine"; }
  const ToolRun again = Tool({"extract", Path("dos-newdos80.dsk"), "file0.bas", "old/txt", "NOPE/X",
                              "-o", out.string(), "--all"});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(Slurp(out / "FILE0.BAS"), "mine");
  EXPECT_TRUE(fs::exists(out / "deleted" / "OLD.TXT"));
  EXPECT_NE(again.err.find("NOPE/X: no such file on the disk"), std::string::npos) << again.err;
  EXPECT_NE(again.err.find("FILE0.BAS: not written, it exists already"), std::string::npos);

  // A name on the disk never leads out of the folder.
  build::DosDisk evil = build::TrsdosDisk(0);
  evil.files[0].name = "../X";
  ASSERT_TRUE(build::WriteFile(dir_ / "evil.dsk", build::DosJv3(evil, build::LayOut(evil))));
  EXPECT_EQ(Tool({"extract", Path("evil.dsk"), "../x/bas", "-o", (out / "inner").string()}).status,
            0);
  EXPECT_TRUE(fs::exists(out / "inner" / "___X.BAS"));
  EXPECT_FALSE(fs::exists(out / "X.BAS"));

  // Deleted files go into deleted/, a second file of one name gets -2.
  const fs::path big = out / "big";
  const ToolRun damaged = Tool({"extract", Path("dos-gdos-big.dmk"), "-o", big.string(), "--all"});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_NE(damaged.err.find("FILE3/DAT: not written, 1 of its sectors cannot be read: "
                             "cylinder 1 head 1 sector 2\n"),
            std::string::npos)
      << damaged.err;
  EXPECT_NE(damaged.err.find("GONE/CMD: not written, its extents hold none of its sectors\n"),
            std::string::npos);
  EXPECT_EQ(Slurp(big / "deleted" / "OLD.TXT"), Text(build::DosFileBytes(9, 640)));
  EXPECT_FALSE(fs::exists(big / "FILE3.DAT"));
  fs::remove_all(big);
  EXPECT_EQ(
      Tool({"extract", Path("dos-gdos-big.dmk"), "-o", big.string(), "--all", "--force"}).status,
      1);  // GONE/CMD never
  EXPECT_EQ(Slurp(big / "FILE3.DAT").size(), 5000u);
  EXPECT_FALSE(fs::exists(big / "deleted" / "GONE.CMD"));

#ifndef _WIN32
  // A folder that takes no files: said once, with the system's reason.
  const ToolRun refused = Tool({"extract", Path("dos-ldos.dmk"), "-o", "/sys"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
  EXPECT_EQ(refused.err.rfind("trivane-disk: /sys: files cannot be written there: ", 0), 0u);
#endif
  const ToolRun hurt = Tool({"cat", Path("dos-newdos80-big.dmk"), "SCATTER/BAS"});
  EXPECT_EQ(std::make_pair(hurt.status, hurt.out), std::make_pair(1, std::string()));
  const ToolRun forced = Tool({"cat", Path("dos-newdos80-big.dmk"), "SCATTER/BAS", "--force"});
  EXPECT_EQ(forced.status, 0);
  EXPECT_EQ(forced.out.size(), 9000u);
  EXPECT_NE(forced.err.find("cylinder 3 head 0 sector 8: given as read, it failed its CRC"),
            std::string::npos)
      << forced.err;
  EXPECT_EQ(Tool({"cat", Path("dos-newdos80.dsk"), "OLD/TXT"}).status, 1);  // deleted: --all
  EXPECT_EQ(Tool({"cat", Path("dos-newdos80.dsk"), "OLD/TXT", "--all"}).out,
            Text(build::DosFileBytes(9, 640)));

  const ToolRun cat = Tool({"cat", Path("dos-trsdos23.dsk"), "FILE2.BAS:1"});
  EXPECT_EQ(cat.out, Text(build::DosFileBytes(2, 256)));
  EXPECT_EQ(Tool({"cat", Path("dos-trsdos23.dsk"), "FILE2/BAS", "--text"}).out.find('\r'),
            std::string::npos);
  fs::remove_all(out);
}

}  // namespace
}  // namespace trivane::test

namespace trivane::test {
namespace {

// The digest with the processor's instructions and without, on known texts.
TEST(Sha256, KnownDigestsBothWays) {
  const std::string abc = "abc", long_text(1000, 'a');
  for (bool instructions : {true, false}) {
    EXPECT_EQ(cli::Sha256Hex({abc.begin(), abc.end()}, instructions),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(cli::Sha256Hex({long_text.begin(), long_text.end()}, instructions),
              "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
    EXPECT_EQ(cli::Sha256Hex({}, instructions),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  }
}

}  // namespace
}  // namespace trivane::test

namespace trivane::test {
namespace {

// A name beyond ASCII, by a full path (on Windows with its drive letter and
// backslashes), reaches both tools whole and comes back in their JSON.
TEST_F(DosTool, NamesBeyondAscii) {
  const std::string name =
      "\xC3\x84\xC3\x96\xC3\xBC-\xD0\xB4\xD0\xB8\xD1\x81\xD0\xBA.dsk";  // ÄÖü-диск
  fs::copy_file(dir_ / "dos-trsdos23.dsk",
                fs::path(dir_) / fs::path(std::u8string(name.begin(), name.end())));
  const json dir = JsonLines({"dir", "--json", Path(name)}).at(0);
  EXPECT_EQ(dir["file"], Path(name));
  EXPECT_EQ(dir["dos"]["family"], "TRSDOS 2.3");
  const ToolRun report = Run(TRIVANE_REPORT, {"--json", Path(name)}, dir_ / "out.txt");
  EXPECT_EQ(json::parse(report.out)["fields"]["Text16"]["text"], "  " + name);
}

// As trivane-report names them: escaped in text, file_hex beside a name that
// is not UTF-8, in every listing.
TEST_F(DosTool, AwkwardNamesAreEscaped) {
#ifdef _WIN32
  GTEST_SKIP() << "names that are not UTF-8 are a POSIX matter";
#else
  const std::string odd = Path("two\nlines\x1b.dsk"), bad = Path("bad\xff.dsk");
  fs::copy_file(Path("dos-trsdos23.dsk"), odd);
  fs::copy_file(Path("dos-trsdos23.dsk"), bad);
  for (const char* command : {"dir", "sectors"}) {
    const ToolRun text = Tool({command, odd});
    EXPECT_EQ(text.out.substr(0, text.out.find('\n')), Path("two\\nlines\\x1b.dsk")) << command;
    const json j = JsonLines({command, "--json", bad, odd}).at(0);
    EXPECT_EQ(j.value("file_hex", "").size(), 2 * bad.size()) << command;
    EXPECT_FALSE(JsonLines({command, "--json", odd}).at(0).contains("file_hex"));
  }
  const ToolRun missing = Tool({"dir", Path("gone\x1b.dsk")});
  EXPECT_NE(missing.err.find("gone\\x1b.dsk: "), std::string::npos) << missing.err;
  fs::remove(odd);
  fs::remove(bad);
#endif
}

// New disks and conversions: what is written reads back, what cannot be
// written is said and nothing is left behind, IN and existing files stay.
TEST_F(DosTool, NewAndConvertWriteOnlyWhatIsProved) {
  const fs::path work = dir_ / "writing";
  fs::create_directories(work);
  const auto at = [&](const char* name) { return (work / name).string(); };
  for (const char* dos : {"newdos80", "trsdos23", "ldos", "trsdos13"}) {
    const std::string out = at((std::string(dos) + ".dmk").c_str());
    ASSERT_EQ(Tool({"new", out, "--dos", dos, "--date", "01/02/03"}).status, 0) << dos;
    const json dir = JsonLines({"dir", "--json", out})[0];
    EXPECT_EQ(dir["disk_date"], "01/02/03");
    EXPECT_EQ(dir["findings"].size(), 0u);
  }
  EXPECT_EQ(JsonLines({"dir", "--json", at("ldos.dmk")})[0]["granules_free"], 77);
  // HFE holds every mark; IMD holds F8 but not TRSDOS 2.3's FA directory.
  EXPECT_EQ(Tool({"new", at("ldos.hfe"), "--dos", "trsdos23"}).status, 0);
  EXPECT_EQ(Tool({"new", at("ldos.imd"), "--dos", "ldos"}).status, 0);
  const ToolRun fa = Tool({"new", at("t23.imd"), "--dos", "trsdos23"});
  EXPECT_EQ(fa.status, 1);
  EXPECT_NE(fa.err.find("data mark FA, kept as deleted data (F8)"), std::string::npos) << fa.err;
  EXPECT_EQ(Tool({"new", at("x.dsk"), "--dos", "ldos"}).status, 2);
  const ToolRun dd = Tool({"new", at("x.jv3"), "--dos", "trsdos23", "--density", "double"});
  EXPECT_EQ(dd.status, 1);
  EXPECT_NE(dd.err.find("TRSDOS 2.3 formats single density only; nothing written"),
            std::string::npos);
  const std::string before = Slurp(at("ldos.dmk"));
  EXPECT_EQ(Tool({"new", at("ldos.dmk"), "--dos", "newdos80"}).status, 1);
  EXPECT_EQ(Slurp(at("ldos.dmk")), before);

  const ToolRun lossy = Tool({"convert", Path("dos-ldos53-dd.dsk"), at("dd.jv1")});
  EXPECT_EQ(lossy.status, 1);
  EXPECT_NE(lossy.err.find("not kept: cylinder 0 head 0 sectors"), std::string::npos) << lossy.err;
  EXPECT_FALSE(fs::exists(at("dd.jv1")));
  EXPECT_EQ(Tool({"convert", Path("dos-ldos53-dd.dsk"), at("dd.dmk")}).status, 0);
  EXPECT_EQ(Tool({"convert", at("dd.dmk"), at("dd.jv3")}).status, 0);
  EXPECT_EQ(Slurp(at("dd.jv3")), Slurp(Path("dos-ldos53-dd.dsk")));
  EXPECT_EQ(Tool({"convert", at("dd.jv3"), at("dd.jv3"), "--overwrite"}).status, 1);
  EXPECT_EQ(Tool({"convert", Path("dos-newdos80.dsk"), at("n.jv3"), "--force"}).status, 0);
  // SCP flux as many times round as asked, every sector good on each.
  EXPECT_EQ(Tool({"convert", at("dd.dmk"), at("dd.scp"), "--revolutions", "6"}).status, 2);
  EXPECT_EQ(Tool({"convert", at("dd.dmk"), at("dd.scp"), "--revolutions", "3"}).status, 0);
  const std::string turns = Tool({"sectors", "--revolutions", at("dd.scp")}).out;
  EXPECT_NE(turns.find("revolutions (of 3)"), std::string::npos) << turns;
  EXPECT_NE(turns.find("    0 0  0:all 1:all"), std::string::npos) << turns;
  EXPECT_EQ(turns.find(":none"), std::string::npos) << turns;
  EXPECT_NE(Tool({"sectors", "--revolutions", at("dd.dmk")}).out.find("not read from flux"),
            std::string::npos);
  for (const auto& entry : fs::directory_iterator(work)) {
    EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
  }
}

build::Bytes Bytes(const std::string& path) {
  const std::string text = Slurp(path);
  return {text.begin(), text.end()};
}

// An archive stands for its images in every reading command; nothing is
// ever written into it.
TEST_F(DosTool, ZipArchivesAreReadNeverChanged) {
  const std::string zip = (dir_ / "two.zip").string();
  ASSERT_TRUE(build::WriteFile(zip, build::Zip({{"a.dmk", Bytes(Path("dos-ldos.dmk"))},
                                                {"note.txt", {'x'}},
                                                {"b.dsk", Bytes(Path("jv1-35track.dsk"))}})));
  const auto lines = JsonLines({"dir", "--json", zip});
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]["file"], zip + "/a.dmk");
  EXPECT_EQ(lines[0]["dos"], JsonLines({"dir", "--json", Path("dos-ldos.dmk")})[0]["dos"]);
  EXPECT_EQ(lines[1]["file"], zip + "/b.dsk");
  EXPECT_EQ(Tool({"cat", zip + "/a.dmk", "NOTHERE/TXT"}).status, 1);
  const std::string before = Slurp(zip);
  for (const std::string& image : {zip, zip + "/a.dmk"}) {
    const ToolRun put = Tool({"put", image, Path("notes.dsk")});
    EXPECT_EQ(put.status, 1);
    EXPECT_NE(put.err.find("never changed"), std::string::npos) << put.err;
  }
  EXPECT_EQ(Slurp(zip), before);
  const fs::path out = dir_ / "from-zip";
  EXPECT_EQ(Tool({"convert", "--to", "hfe", "-o", out.string(), zip}).status, 0);
  EXPECT_TRUE(fs::exists(out / "a.hfe"));
  EXPECT_TRUE(fs::exists(out / "b.hfe"));
}

// A collection converted into a folder: each under its own name, none over
// a file, two of one name refused, losses refused unless --force, then the
// summary, and status 1 when any was refused.
TEST_F(DosTool, ConvertManyIntoAFolder) {
  const fs::path out = dir_ / "many";
  fs::create_directories(out);
  build::WriteFile(out / "dos-ldos.hfe", {1, 2, 3});
  const ToolRun run = Tool({"convert", "--to", "hfe", "-o", out.string(), Path("dos-newdos80.dsk"),
                            Path("dos-ldos.dmk"), Path("dos-newdos80.dsk"), Path("notes.dsk")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Slurp(out / "dos-ldos.hfe"), std::string("\x01\x02\x03"));
  EXPECT_EQ(Tool({"dir", "--json", (out / "dos-newdos80.hfe").string()}).status, 0);
  EXPECT_NE(run.out.find("converted 1 (0 with losses), refused 3\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("dos-ldos.hfe exists already"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("dos-newdos80.dsk's too"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("notes.dsk: not a disk image"), std::string::npos) << run.out;
  // IMD keeps no FA mark: refused, then converted with --force, the loss said.
  const std::vector<std::string> imd = {"convert", "--to",       "imd",
                                        "-o",      out.string(), Path("jv1-newdos80.dsk")};
  EXPECT_EQ(Tool(imd).status, 1);
  EXPECT_FALSE(fs::exists(out / "jv1-newdos80.imd"));
  std::vector<std::string> forced = imd;
  forced.push_back("--force");
  const ToolRun lossy = Tool(forced);
  EXPECT_EQ(lossy.status, 0) << lossy.out << lossy.err;
  EXPECT_NE(lossy.out.find("converted 1 (1 with losses), refused 0\n  with losses: "),
            std::string::npos)
      << lossy.out;
  EXPECT_EQ(Tool({"convert", "-o", out.string(), Path("dos-ldos.dmk")}).status, 2);
}

// put, rm and rename: each change written only when proved, the original
// kept as IMAGE.bak; a refused change leaves the image as it was.
TEST_F(DosTool, PutRmRenameKeepTheOriginal) {
  const fs::path work = dir_ / "changing";
  fs::create_directories(work);
  const std::string image = (work / "disk.dmk").string();
  ASSERT_EQ(Tool({"new", image, "--dos", "ldos", "--date", "01/02/85"}).status, 0);
  const std::string blank = Slurp(image);
  { std::ofstream(work / "hello.bas", std::ios::binary) << "10 PRINT \"HELLO\"\r"; }
  { std::ofstream(work / "my-prog.txt", std::ios::binary) << "text"; }
  const ToolRun put = Tool({"put", image, (work / "hello.bas").string()});
  EXPECT_EQ(put.status, 0) << put.err;
  EXPECT_EQ(Slurp(image + ".bak"), blank);
  const json listed = JsonLines({"dir", "--json", image})[0];
  EXPECT_EQ(listed["files"][1]["name"], "HELLO");
  EXPECT_EQ(listed["files"][1]["size"], 17);
  EXPECT_EQ(listed["granules_free"], 76);

  const std::string before = Slurp(image);
  EXPECT_EQ(Tool({"put", image, (work / "my-prog.txt").string()}).status, 1);
  EXPECT_EQ(Tool({"put", image, (work / "hello.bas").string()}).status, 1);
  EXPECT_EQ(Tool({"rm", image, "DIR/SYS"}).status, 1);
  EXPECT_EQ(Tool({"rename", image, "HELLO/BAS", "BOOT/SYS"}).status, 1);
  EXPECT_EQ(Slurp(image), before);
  EXPECT_EQ(Tool({"put", image, (work / "my-prog.txt").string(), "--as", "PROG/TXT", "--no-backup"})
                .status,
            0);
  EXPECT_EQ(Slurp(image + ".bak"), blank);
  EXPECT_EQ(Tool({"rename", image, "hello.bas", "world/bas"}).status, 0);
  EXPECT_EQ(Tool({"rm", image, "PROG/TXT", "WORLD/BAS"}).status, 0);
  EXPECT_EQ(JsonLines({"dir", "--json", image})[0]["granules_free"], 77);
  EXPECT_EQ(Tool({"put", Path("dos-trsdos23.dsk"), (work / "hello.bas").string()}).status, 1);
}

}  // namespace
}  // namespace trivane::test
