// The shelf's catalogue: an SQLite file a keeper may also open with sqlite3.
//
//   images(id, path, size, mtime, sha256, container, cylinders, heads,
//          sectors, disk_sha256, error)     a file that is no image has no
//                                           container, and its error
//   drives(id, image, number)              number NULL on a floppy or tape
//   filesystems(drive, dos, why)           the DOS found and why
//   files(id, drive, name, size, sha256, kind)
//   findings(image, text)
//   names(id, name)                        each name a file has, once
//   texts(id, sha256, kind, text)          a text file's or BASIC listing's
//                                          words, once for its bytes
//   name_words                             the names indexed by their
//                                          trigrams (FTS5)
//   dupes(id, kind, name, sha256), dupe_images(dupe, image),
//   similar_pairs(a, b, share)             the duplicates, worked out when
//                                          an index changed the catalogue
//                                          (images by their ids)
//
// PRAGMA user_version holds the catalogue's version; a catalogue of another
// version, or a file that is none, is refused, never changed. Each batch
// of images is written in one transaction: a catalogue is never left
// half-written.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "shelf/records.h"

struct sqlite3;

namespace trivane::shelf {

inline constexpr int kCatalogueVersion = 4;

// A file found: the image (as indexed), the drive (none on a floppy), the
// name as dir lists it, its size and SHA-256.
struct Hit {
  std::string image;
  std::optional<int> drive;
  std::string name;
  std::int64_t size = 0;
  std::string sha256;
  std::string kind;  // how it is viewed: basic, text, cmd, ...
};

// A group of duplicates: "disk" (every sector alike), "files" (every live
// file alike), "similar" (a share of files alike) or "file" (one file on
// many images, with its name and SHA-256).
struct Group {
  std::string kind;
  std::vector<std::string> images;
  std::string name, sha256;
};

struct IndexReport {
  int read = 0, unchanged = 0, dropped = 0, images = 0;
  std::vector<std::string> problems;  // a folder that cannot be read, a file gone
};

class Catalogue {
 public:
  // Opens (making, where it is not there) the catalogue; null with why.
  static std::unique_ptr<Catalogue> Open(const std::filesystem::path& file, std::string& error);
  ~Catalogue();

  // Walks the folders (and the zips in them), reads what is new or changed
  // (size and mtime, then the SHA-256), spread over the processors, and
  // drops what is gone from under them; progress(done, total) as it goes.
  IndexReport Index(const std::vector<std::filesystem::path>& folders,
                    const std::function<void(std::size_t, std::size_t)>& progress);

  // Each answer handed on as the catalogue gives it, none kept: false from
  // the receiver stops the question.
  using EachHit = std::function<bool(const Hit&)>;
  using EachGroup = std::function<bool(const Group&)>;

  // File names by a pattern (* and ?, any letter case); by SHA-256; by the
  // words of text files and BASIC listings (every word, any letter case).
  // Each says how many files it handed on.
  std::size_t FindNames(const std::string& pattern, const EachHit& each);
  std::size_t FindSha256(const std::string& sha256, const EachHit& each);
  std::size_t FindText(const std::string& words, const EachHit& each);

  // The same disks, the same files, the nearly alike (a share of files at
  // least `similar`), then each file on many images.
  void Dupes(double similar, const EachGroup& each);
  // Lines of the counts: images by container, DOS and geometry, files by
  // kind, and the images with findings.
  std::vector<std::string> Stats();
  // Every file of every image, in the images' order.
  std::size_t AllFiles(const EachHit& each);

 private:
  explicit Catalogue(sqlite3* db) : db_(db) {}
  // A batch of images written in one transaction, an image at a time as
  // each is read; rolled back unless committed.
  class Batch {
   public:
    explicit Batch(sqlite3* db);
    ~Batch();
    void Add(const ImageRecord& r);
    // Why the batch could not be written (nothing of it kept); empty when done.
    std::string Commit();

   private:
    struct Statements;
    sqlite3* db_;
    std::unique_ptr<Statements> s_;
    bool ok_ = true, open_ = true;
  };

 public:
  // A file the walk found; what the catalogue holds of a path.
  struct Found {
    std::filesystem::path path;
    std::int64_t size = 0, mtime = 0;
    bool archive = false;  // a zip, read as its images
  };
  struct Row {
    std::int64_t id = 0, size = 0, mtime = 0;
    std::string sha256;
  };
  using RowsOfPath = std::vector<std::map<std::string, Row>::const_iterator>;

 private:
  bool Unchanged(const Found& f, const RowsOfPath& of);
  void ReadAndWrite(const std::vector<Found>& to_read,
                    const std::function<void(std::size_t, std::size_t)>& progress,
                    const std::map<std::string, Row>& rows, std::set<std::int64_t>& kept,
                    IndexReport& report);
  // The files FROM and WHERE name, in the order of their images.
  std::size_t Hits(const char* from, const std::string& where,
                   const std::vector<std::string>& values, const EachHit& each);
  // What the catalogue keeps beside its images, brought up to date after
  // a change: names and texts no file has dropped, the duplicates worked
  // out. Why it could not be (nothing of it changed); empty when done.
  std::string KeepDerived();
  sqlite3* db_;
};

// "read 3, unchanged 2, dropped 0".
std::string Summary(const IndexReport& report);

// The catalogue's file when none is named: the user's data folder
// ($XDG_DATA_HOME or ~/.local/share; %APPDATA% on Windows)/trivane/shelf.db.
std::filesystem::path DefaultCatalogue();

// A name pattern (* any run, ? any one letter) as SQL's LIKE takes it.
std::string LikePattern(const std::string& pattern);

}  // namespace trivane::shelf
