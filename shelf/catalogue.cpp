// The catalogue (catalogue.h): its tables made and checked, images written
// a batch a transaction, and the questions asked of it.
#include "shelf/catalogue.h"

#include <sqlite3.h>

#include <cstdlib>
#include <set>

#include "formats/text.h"
#include "shelf/database.h"

namespace trivane::shelf {
namespace {

namespace fs = std::filesystem;

// The files' indexes by SHA-256 and by name carry every column a search
// answers with: a search reads the index alone, not the files' rows,
// which lie scattered over the whole file.
constexpr const char* kSchema = R"(
CREATE TABLE images(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, size INTEGER,
  mtime INTEGER, sha256 TEXT, container TEXT, cylinders INTEGER, heads INTEGER,
  sectors INTEGER, disk_sha256 TEXT, error TEXT);
CREATE TABLE drives(id INTEGER PRIMARY KEY,
  image INTEGER NOT NULL REFERENCES images(id) ON DELETE CASCADE, number INTEGER);
CREATE TABLE filesystems(drive INTEGER NOT NULL REFERENCES drives(id) ON DELETE CASCADE,
  dos TEXT, why TEXT);
CREATE TABLE files(id INTEGER PRIMARY KEY,
  drive INTEGER NOT NULL REFERENCES drives(id) ON DELETE CASCADE, name TEXT, size INTEGER,
  sha256 TEXT, kind TEXT);
CREATE TABLE findings(image INTEGER NOT NULL REFERENCES images(id) ON DELETE CASCADE, text TEXT);
CREATE TABLE names(id INTEGER PRIMARY KEY, name TEXT UNIQUE);
CREATE TABLE texts(id INTEGER PRIMARY KEY, sha256 TEXT, kind TEXT, text TEXT,
  UNIQUE(sha256, kind));
CREATE INDEX images_disk ON images(disk_sha256);
CREATE INDEX drives_image ON drives(image);
CREATE INDEX filesystems_drive ON filesystems(drive);
CREATE INDEX files_drive ON files(drive);
CREATE INDEX files_sha256 ON files(sha256, kind, drive, name, size);
CREATE INDEX files_name ON files(name, drive, size, sha256, kind);
CREATE INDEX findings_image ON findings(image);
CREATE VIRTUAL TABLE name_words USING fts5(name, content='names', content_rowid='id',
  tokenize='trigram');
CREATE TRIGGER names_added AFTER INSERT ON names BEGIN
  INSERT INTO name_words(rowid, name) VALUES(new.id, new.name);
END;
CREATE TRIGGER names_gone AFTER DELETE ON names BEGIN
  INSERT INTO name_words(name_words, rowid, name) VALUES('delete', old.id, old.name);
END;
CREATE TABLE dupes(id INTEGER PRIMARY KEY, kind TEXT, name TEXT, sha256 TEXT);
CREATE TABLE dupe_images(dupe INTEGER NOT NULL REFERENCES dupes(id) ON DELETE CASCADE,
  image INTEGER);
CREATE INDEX dupe_images_dupe ON dupe_images(dupe);
CREATE TABLE similar_pairs(a INTEGER, b INTEGER, share REAL);
)";

// The tables and the version, made together or not at all; why not in error.
bool Make(sqlite3* db, std::string& error) {
  const std::string version = "PRAGMA user_version = " + std::to_string(kCatalogueVersion);
  // Pages of 16 KiB (SQLite's own are 4 KiB): a search that reads rows
  // all over a large catalogue asks the system for a quarter of the pages.
  if (Exec(db, "PRAGMA page_size = 16384") && Exec(db, "BEGIN") && Exec(db, kSchema) &&
      Exec(db, version.c_str()) && Exec(db, "COMMIT"))
    return true;
  error = std::string("cannot make its tables: ") + sqlite3_errmsg(db);
  Exec(db, "ROLLBACK");
  return false;
}

// What the file holds: a catalogue of this version (0), none yet (1), or
// something else (-1, with why).
int VersionOf(sqlite3* db, std::string& why) {
  Statement tables(db, "SELECT count(*) FROM sqlite_master");
  if (!tables.Step()) {
    why = "not a catalogue: " + std::string(sqlite3_errmsg(db));
    return -1;
  }
  if (tables.Int(0) == 0) return 1;
  Statement version(db, "PRAGMA user_version");
  const std::int64_t v = version.Step() ? version.Int(0) : 0;
  if (v == kCatalogueVersion) return 0;
  if (v == 0) {
    why = "not a catalogue of Trivane's";
    return -1;
  }
  why = "a catalogue of version " + std::to_string(v) + "; this Trivane reads version " +
        std::to_string(kCatalogueVersion);
  // An earlier Trivane's catalogue is left as it is, and the keeper told
  // how to go on: else the default catalogue would stop every command.
  if (v < kCatalogueVersion)
    why += ": index the folders again into a new catalogue, or remove this one";
  return -1;
}

}  // namespace

std::unique_ptr<Catalogue> Catalogue::Open(const fs::path& file, std::string& error) {
  std::error_code ec;
  if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
  sqlite3* db = nullptr;
  // One thread at a time asks the catalogue (the index's readers never
  // reach it): SQLite's own locks would be taken for nothing on every row.
  if (sqlite3_open_v2(Utf8Of(file).c_str(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    error = db ? sqlite3_errmsg(db) : "cannot open it";
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 5000);
  const int state = VersionOf(db, error);
  if (state < 0 || (state == 1 && !Make(db, error))) {
    sqlite3_close(db);
    return nullptr;
  }
  // A cache of 16 MiB (SQLite's own is 2 MiB): the images and files a
  // question joins stay in memory on a large shelf.
  Exec(db, "PRAGMA foreign_keys = ON; PRAGMA cache_size = -16384");
  return std::unique_ptr<Catalogue>(new Catalogue(db));
}

Catalogue::~Catalogue() {
  sqlite3_close(db_);
}

struct Catalogue::Batch::Statements {
  explicit Statements(sqlite3* db)
      : drop(db, "DELETE FROM images WHERE path = ?"),
        image(db,
              "INSERT INTO images(path, size, mtime, sha256, container, cylinders, heads, "
              "sectors, disk_sha256, error) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        drive(db, "INSERT INTO drives(image, number) VALUES(?, ?)"),
        dos(db, "INSERT INTO filesystems(drive, dos, why) VALUES(?, ?, ?)"),
        file(db, "INSERT INTO files(drive, name, size, sha256, kind) VALUES(?, ?, ?, ?, ?)"),
        text(db, "INSERT OR IGNORE INTO texts(sha256, kind, text) VALUES(?, ?, ?)"),
        name(db, "INSERT OR IGNORE INTO names(name) VALUES(?)"),
        finding(db, "INSERT INTO findings(image, text) VALUES(?, ?)") {}
  Statement drop, image, drive, dos, file, text, name, finding;
  // Each name once a batch: a statement that reaches the trigram index
  // costs more than one that does not.
  std::set<std::string> named;
};

Catalogue::Batch::Batch(sqlite3* db) : db_(db) {
  ok_ = Exec(db_, "BEGIN");
  s_ = std::make_unique<Statements>(db_);
}

Catalogue::Batch::~Batch() {
  s_.reset();
  if (open_) Exec(db_, "ROLLBACK");
}

void Catalogue::Batch::Add(const ImageRecord& r) {
  Statements& s = *s_;
  bool ok = ok_ && s.drop.Bind(r.path).Run();
  ok = ok && s.image.Bind(r.path)
                 .Bind(r.size)
                 .Bind(r.mtime)
                 .Bind(r.sha256)
                 .Bind(r.container)
                 .Bind(std::int64_t{r.cylinders})
                 .Bind(std::int64_t{r.heads})
                 .Bind(std::int64_t{r.sectors})
                 .Bind(r.disk_sha256)
                 .Bind(r.error)
                 .Run();
  const std::int64_t id = sqlite3_last_insert_rowid(db_);
  for (const DriveRecord& d : r.drives) {
    ok = ok && s.drive.Bind(id).Bind(d.number).Run();
    const std::int64_t drive_id = sqlite3_last_insert_rowid(db_);
    if (!d.dos.empty()) ok = ok && s.dos.Bind(drive_id).Bind(d.dos).Bind(d.why).Run();
    for (const FileRecord& f : d.files) {
      ok = ok && s.file.Bind(drive_id).Bind(f.name).Bind(f.size).Bind(f.sha256).Bind(f.kind).Run();
      if (s.named.insert(f.name).second) ok = ok && s.name.Bind(f.name).Run();
      if (!f.text.empty()) ok = ok && s.text.Bind(f.sha256).Bind(f.kind).Bind(f.text).Run();
    }
  }
  for (const std::string& text : r.findings) ok = ok && s.finding.Bind(id).Bind(text).Run();
  ok_ = ok;
}

std::string Catalogue::Batch::Commit() {
  open_ = false;
  std::string why = ok_ ? "" : sqlite3_errmsg(db_);
  s_.reset();  // the statements end first: a commit waits for none of them
  if (ok_ && Exec(db_, "COMMIT")) return "";
  if (why.empty()) why = sqlite3_errmsg(db_);
  Exec(db_, "ROLLBACK");
  return "the catalogue could not be written (" + why + "); this batch was not kept";
}

std::string Summary(const IndexReport& r) {
  return "read " + std::to_string(r.read) + ", unchanged " + std::to_string(r.unchanged) +
         ", dropped " + std::to_string(r.dropped);
}

fs::path DefaultCatalogue() {
#ifdef _WIN32
  if (const wchar_t* appdata = _wgetenv(L"APPDATA"))
    return fs::path(appdata) / "Trivane" / "shelf.db";
#else
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
    return fs::path(data) / "trivane" / "shelf.db";
  if (const char* home = std::getenv("HOME"); home && *home)
    return fs::path(home) / ".local" / "share" / "trivane" / "shelf.db";
#endif
  return "shelf.db";
}

}  // namespace trivane::shelf
