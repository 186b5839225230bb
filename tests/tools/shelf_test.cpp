// trivane-shelf, run as a program on a shelf made in the test: copies of a
// disk under other names, in a zip and in a zip in a zip, a tape, a file
// that is no image; indexed, asked, indexed again after changes; and
// catalogues it must refuse, left as they were.
#include <sqlite3.h>

#include <nlohmann/json.hpp>
#include <set>

#include "builder/dos_images.h"
#include "builder/zip_images.h"
#include "tool_support.h"

namespace trivane::test {
namespace {

using nlohmann::json;

class Shelf : public SampleFolder {
 protected:
  static ToolRun Tool(std::vector<std::string> args) {
    args.push_back("--db");
    args.push_back((dir_ / "shelf.db").string());
    return Run(TRIVANE_SHELF, args, dir_ / "out.txt");
  }
  static std::vector<json> Json(const std::vector<std::string>& args) {
    std::vector<json> lines;
    std::istringstream out(Tool(args).out);
    for (std::string line; std::getline(out, line);) lines.push_back(json::parse(line));
    return lines;
  }
  static build::Bytes Bytes(const std::string& name) {
    const std::string text = Slurp(Path(name));
    return {text.begin(), text.end()};
  }
};

// The number a query of the catalogue counts; -1 when it fails.
int Count(sqlite3* db, const char* sql) {
  int n = -1;
  sqlite3_exec(
      db, sql,
      [](void* to, int, char** values, char**) {
        *static_cast<int*>(to) = std::atoi(values[0]);
        return 0;
      },
      &n, nullptr);
  return n;
}

TEST_F(Shelf, IndexFindDupesAndIndexAgain) {
  const fs::path shelf = dir_ / "shelf";
  fs::create_directories(shelf / "more");
  const build::Bytes ldos = Bytes("dos-ldos.dmk"), other = Bytes("dos-newdos80.dsk");
  ASSERT_TRUE(build::WriteFile(shelf / "ldos.dmk", ldos));
  ASSERT_TRUE(build::WriteFile(shelf / "more" / "copy.dmk", ldos));
  ASSERT_TRUE(build::WriteFile(shelf / "other.dsk", other));
  ASSERT_TRUE(build::WriteFile(shelf / "readme.txt", {'h', 'i'}));
  ASSERT_TRUE(build::WriteFile(
      shelf / "box.zip",
      build::Zip({{"in-zip.dmk", ldos}, {"inner.zip", build::Zip({{"deep.dmk", ldos}})}})));
  // A file's time is kept as seconds since 1970 (a zip's members have the zip's).
  const auto at = std::chrono::file_clock::from_sys(
      std::chrono::sys_seconds(std::chrono::seconds(1'000'000'000)));
  fs::last_write_time(shelf / "ldos.dmk", at);
  fs::last_write_time(shelf / "box.zip", at);
  const ToolRun first = Tool({"index", shelf.string()});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, "read 6, unchanged 0, dropped 0\n");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((dir_ / "shelf.db").string().c_str(), &db), SQLITE_OK);
  EXPECT_EQ(Count(db, "SELECT count(*) FROM images WHERE mtime = 1000000000"), 3);
  sqlite3_close(db);
  // Every planted copy is one disk, and nothing else is: alike as disks,
  // they are no group of the same files or of nearly the same.
  std::vector<json> disks;
  for (const json& g : Json({"dupes", "--json"})) {
    EXPECT_GE(g["images"].size(), 2u) << g;
    EXPECT_TRUE(g["kind"] == "disk" || g["kind"] == "file") << g;
    if (g["kind"] == "disk") disks.push_back(g);
  }
  ASSERT_EQ(disks.size(), 1u);
  const std::string box = (shelf / "box.zip").string();
  EXPECT_EQ(disks[0],
            (json{{"kind", "disk"},
                  {"images",
                   {box + "/in-zip.dmk", box + "/inner.zip/deep.dmk", (shelf / "ldos.dmk").string(),
                    (shelf / "more" / "copy.dmk").string()}}}));
  // A hit holds exactly its members.
  const std::vector<json> hits = Json({"find", "*/B?S", "--json"});
  ASSERT_FALSE(hits.empty());
  std::vector<std::string> keys;
  for (const auto& [key, value] : hits[0].items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"drive", "image", "name", "sha256", "size"}));
  EXPECT_TRUE(hits[0]["drive"].is_null());
  const std::vector<json> by_sha = Json({"find", "--sha256", hits[0]["sha256"], "--json"});
  EXPECT_GE(by_sha.size(), 4u);  // on each copy
  EXPECT_EQ(Tool({"find", "NOSUCH?/*"}).status, 1);
  // A file on several images is said with just the images find has it on.
  int files = 0;
  for (const json& g : Json({"dupes", "--json"})) {
    if (g["kind"] != "file" || ++files > 2) continue;
    std::set<std::string> on;
    for (const json& h : Json({"find", "--sha256", g["sha256"], "--json"})) on.insert(h["image"]);
    EXPECT_EQ(g["images"].get<std::vector<std::string>>(),
              std::vector<std::string>(on.begin(), on.end()));
  }
  EXPECT_GT(files, 1);
  // Again: no image read (five files unchanged); a changed file read
  // again, a gone one dropped.
  EXPECT_EQ(Tool({"index", shelf.string()}).out, "read 0, unchanged 5, dropped 0\n");
  fs::remove(shelf / "more" / "copy.dmk");
  ASSERT_TRUE(build::WriteFile(shelf / "ldos.dmk", other));
  EXPECT_EQ(Tool({"index", shelf.string()}).out, "read 1, unchanged 3, dropped 1\n");
  EXPECT_EQ(Json({"dupes", "--json"})[0]["images"].size(), 2u);
  EXPECT_NE(Tool({"stats"}).out.find("images by container:\n  2  DMK\n  2  JV3\n"),
            std::string::npos)
      << Tool({"stats"}).out;
  const ToolRun csv = Tool({"export", "--csv"});
  EXPECT_EQ(csv.out.substr(0, 34), "image,drive,name,size,sha256,kind\n");
  // Another folder indexed leaves what lies outside it; a hard disk and
  // its copy are the same disk.
  const fs::path elsewhere = dir_ / "elsewhere";
  fs::create_directories(elsewhere);
  ASSERT_TRUE(build::WriteFile(elsewhere / "one.dsk", other));
  const build::Bytes hard = build::NewHardDisk(40, 1, 1);
  ASSERT_FALSE(hard.empty());
  ASSERT_TRUE(build::WriteFile(elsewhere / "a.hdv", hard));
  ASSERT_TRUE(build::WriteFile(elsewhere / "b.hdv", hard));
  EXPECT_EQ(Tool({"index", elsewhere.string()}).out, "read 3, unchanged 0, dropped 0\n");
  const std::vector<std::string> copies = {(elsewhere / "a.hdv").string(),
                                           (elsewhere / "b.hdv").string()};
  int found = 0;
  for (const json& g : Json({"dupes", "--json"}))
    found += g["kind"] == "disk" && g["images"] == copies;
  EXPECT_EQ(found, 1) << Tool({"dupes"}).out;
}

// Names and words found through the catalogue's index: a pattern's parts
// in order, LIKE's own marks taken as themselves, patterns too short for
// the index; a file rewritten leaves nothing of itself to be found.
TEST_F(Shelf, FindsNamesAndWordsAndForgetsWhatIsGone) {
  const fs::path shelf = dir_ / "words";
  fs::create_directories(shelf);
  build::DosDisk d = build::TrsdosDisk(0x51);
  const std::string notes = "THE QUICK BROWN FOX\rJUMPS OVER\r";
  d.files = {{"NOTES", "TXT", {notes.begin(), notes.end()}},
             {"A_B", "TXT", {'x', '\r'}},
             {"AXB", "TXT", {'y', '\r'}}};
  const fs::path image = shelf / "notes.dmk";
  ASSERT_TRUE(build::WriteFile(image, build::DosDmk(d, build::LayOut(d))));
  ASSERT_EQ(Tool({"index", shelf.string()}).status, 0);
  const auto names = [&](const std::vector<std::string>& args) {
    std::vector<std::string> out;
    for (const json& hit : Json(args)) out.push_back(hit["name"]);
    return out;
  };
  EXPECT_EQ(names({"find", "*xb/t*", "--json"}), std::vector<std::string>{"AXB/TXT"});
  EXPECT_EQ(names({"find", "t*xb*", "--json"}), std::vector<std::string>{});
  EXPECT_EQ(names({"find", "A_B/*", "--json"}), std::vector<std::string>{"A_B/TXT"});
  EXPECT_EQ(names({"find", "A?B*", "--json"}), (std::vector<std::string>{"AXB/TXT", "A_B/TXT"}));
  EXPECT_EQ(names({"find", "--text", "fox quick", "--json"}),
            std::vector<std::string>{"NOTES/TXT"});
  EXPECT_EQ(names({"find", "--text", "fox cat", "--json"}), std::vector<std::string>{});
  d.files.pop_back();
  ASSERT_TRUE(build::WriteFile(image, build::DosDmk(d, build::LayOut(d))));
  fs::last_write_time(image, fs::last_write_time(image) + std::chrono::seconds(10));
  ASSERT_EQ(Tool({"index", shelf.string()}).out, "read 1, unchanged 0, dropped 0\n");
  EXPECT_EQ(names({"find", "A?B*", "--json"}), std::vector<std::string>{"A_B/TXT"});
  EXPECT_EQ(names({"find", "--text", "brown", "--json"}), std::vector<std::string>{"NOTES/TXT"});
  // A disk with one file more: three in four alike (with BOOT/SYS), kept
  // as nearly alike; a share below what the catalogue keeps is worked out
  // again.
  d.files.push_back({"C", "TXT", {'z', '\r'}});
  ASSERT_TRUE(build::WriteFile(shelf / "more.dmk", build::DosDmk(d, build::LayOut(d))));
  ASSERT_EQ(Tool({"index", shelf.string()}).out, "read 1, unchanged 1, dropped 0\n");
  const auto similar = [&](const std::string& share) {
    int groups = 0;
    for (const json& g : Json({"dupes", "--similar", share, "--json"}))
      groups += g["kind"] == "similar" && g["images"].size() == 2;
    return groups;
  };
  EXPECT_EQ(similar("0.75"), 1);
  EXPECT_EQ(similar("0.76"), 0);
  EXPECT_EQ(similar("0.3"), 1);
  // A file with a sector that fails its CRC is no file of the catalogue,
  // and is said among its image's findings.
  const build::DosSectors laid = build::LayOut(d);
  build::Places bad;
  for (const auto& [place, bytes] : laid)
    if (std::string(bytes.begin(), bytes.begin() + 9) == "THE QUICK") bad.push_back(place);
  ASSERT_EQ(bad.size(), 1u);
  fs::create_directories(dir_ / "hurt");
  ASSERT_TRUE(build::WriteFile(dir_ / "hurt" / "hurt.dmk", build::DosDmk(d, laid, bad)));
  ASSERT_EQ(Tool({"index", (dir_ / "hurt").string()}).status, 0);
  for (const json& hit : Json({"find", "NOTES/TXT", "--json"}))
    EXPECT_EQ(hit["image"].get<std::string>().find("hurt"), std::string::npos);
  // The index holds the names as they are, no more and no less.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((dir_ / "shelf.db").string().c_str(), &db), SQLITE_OK);
  EXPECT_EQ(
      sqlite3_exec(db, "INSERT INTO name_words(name_words, rank) VALUES('integrity-check', 1)",
                   nullptr, nullptr, nullptr),
      SQLITE_OK)
      << sqlite3_errmsg(db);
  // No name or text that no file has; the damaged file said once.
  EXPECT_EQ(
      Count(db,
            "SELECT (SELECT count(*) FROM names WHERE name NOT IN (SELECT name FROM files)) + "
            "(SELECT count(*) FROM texts t WHERE t.sha256 NOT IN (SELECT sha256 FROM files))"),
      0);
  EXPECT_EQ(Count(db,
                  "SELECT count(*) FROM findings "
                  "WHERE text LIKE 'NOTES/TXT: not read whole (cylinder %'"),
            1);
  sqlite3_close(db);
}

// A batch the catalogue does not take (a keeper's trigger refuses an
// image) is said, and leaves nothing of itself; once taken, all is read.
TEST_F(Shelf, ABatchNotTakenLeavesNothingOfIt) {
  const fs::path shelf = dir_ / "refused";
  fs::create_directories(shelf);
  ASSERT_TRUE(build::WriteFile(shelf / "a.dmk", Bytes("dos-ldos.dmk")));
  ASSERT_TRUE(build::WriteFile(shelf / "b.dsk", Bytes("dos-newdos80.dsk")));
  // A catalogue of its own: the suite's may hold the other tests' images
  // (all tests of a suite run in one process on Windows).
  const std::string file = (dir_ / "refused.db").string();
  const auto index = [&] {
    return Run(TRIVANE_SHELF, {"index", shelf.string(), "--db", file}, dir_ / "out.txt");
  };
  ASSERT_EQ(Run(TRIVANE_SHELF, {"stats", "--db", file}, dir_ / "out.txt").status, 0);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TRIGGER refuse BEFORE INSERT ON images WHEN new.path LIKE "
                         "'%b.dsk' BEGIN SELECT RAISE(ABORT, 'not here'); END",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  const ToolRun refused = index();
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("the catalogue could not be written (not here); this batch was not "
                             "kept"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(Count(db, "SELECT (SELECT count(*) FROM images) + (SELECT count(*) FROM files)"), 0);
  ASSERT_EQ(sqlite3_exec(db, "DROP TRIGGER refuse", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  EXPECT_EQ(index().out, "read 2, unchanged 0, dropped 0\n");
}

// Each real tape as CAS and as WAV: no disk, but the same files.
TEST_F(Shelf, RealTapesAsCasAndWavAreTheSameFiles) {
  const fs::path tapes = TRIVANE_REAL_TAPES;
  if (!fs::exists(tapes / "README.md")) GTEST_SKIP() << tapes << " is not there";
  ASSERT_EQ(Tool({"index", tapes.string()}).status, 0);
  std::set<std::vector<std::string>> pairs, want;
  for (const json& g : Json({"dupes", "--json"}))
    if (g["kind"] == "files") pairs.insert(g["images"].get<std::vector<std::string>>());
  for (const auto& e : fs::directory_iterator(tapes)) {
    if (e.path().extension() != ".cas") continue;
    fs::path wav = e.path();
    want.insert({e.path().string(), wav.replace_extension(".wav").string()});
  }
  EXPECT_EQ(want.size(), 6u);
  EXPECT_EQ(pairs, want);
  // A tape alone is no group.
  const fs::path lone = dir_ / "lone";
  fs::create_directories(lone);
  // Its bytes written anew: a copy would keep the real file's read-only
  // mark, which Windows will not let the test's folder be removed with.
  const std::string cas = Slurp(tapes / "m1__anogaia.cas");
  ASSERT_TRUE(build::WriteFile(lone / "a.cas", {cas.begin(), cas.end()}));
  const std::string db = (dir_ / "lone.db").string();
  ASSERT_EQ(Run(TRIVANE_SHELF, {"index", lone.string(), "--db", db}, dir_ / "out.txt").status, 0);
  EXPECT_EQ(Run(TRIVANE_SHELF, {"dupes", "--db", db}, dir_ / "out.txt").out, "");
}

TEST_F(Shelf, CataloguesItMustNotTakeAreLeftAlone) {
  const std::string file = (dir_ / "notes.db").string();
  ASSERT_TRUE(build::WriteFile(file, {'n', 'o', 't', 'e', 's'}));
  ToolRun r = Run(TRIVANE_SHELF, {"stats", "--db", file}, dir_ / "out.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not a catalogue"), std::string::npos) << r.err;
  EXPECT_EQ(Slurp(file), "notes");
  // The catalogue before this one (made without the indexes it now has)
  // and one of a later Trivane.
  for (const int version : {3, 7}) {
    const std::string other = (dir_ / ("version-" + std::to_string(version) + ".db")).string();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(other.c_str(), &db), SQLITE_OK);
    const std::string sql = "CREATE TABLE t(x); PRAGMA user_version = " + std::to_string(version);
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    r = Run(TRIVANE_SHELF, {"index", dir_.string(), "--db", other}, dir_ / "out.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("a catalogue of version " + std::to_string(version) +
                         "; this Trivane reads version 4"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("index the folders again") != std::string::npos, version < 4) << r.err;
  }
  r = Run(TRIVANE_SHELF,
          {"index", (dir_ / "no-such-folder").string(), "--db", (dir_ / "fresh.db").string()},
          dir_ / "out.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not a folder that can be read"), std::string::npos) << r.err;
  EXPECT_EQ(Run(TRIVANE_SHELF, {"dupes", "--similar", "2"}, dir_ / "out.txt").status, 2);
}

}  // namespace
}  // namespace trivane::test
