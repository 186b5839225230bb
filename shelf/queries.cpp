// The questions asked of the catalogue (catalogue.h): files found by name,
// SHA-256 or words; duplicates; counts; every file exported.
#include <algorithm>
#include <cctype>
#include <map>
#include <unordered_map>
#include <utility>

#include "shelf/catalogue.h"
#include "shelf/database.h"

namespace trivane::shelf {
namespace {

constexpr const char* kHitColumns = "SELECT i.path, d.number, f.name, f.size, f.sha256, f.kind ";
constexpr const char* kFiles =
    "FROM files f JOIN drives d ON f.drive = d.id JOIN images i ON d.image = i.id ";
// Through the trigram index of the names, which answers LIKE (for a run
// of three letters or more in the pattern; else by a scan).
constexpr const char* kByName =
    "FROM name_words w JOIN names n ON n.id = w.rowid JOIN files f ON f.name = n.name "
    "JOIN drives d ON f.drive = d.id JOIN images i ON d.image = i.id ";
// Each text once, however many files hold it: indexing every trigram of
// every text would cost more than reading the texts a search asks of. The
// texts are read first (CROSS JOIN keeps SQLite to that order), then the
// files that hold those found: else it may go file by file, reading a text
// again for every file that holds it.
constexpr const char* kByText =
    "FROM texts t CROSS JOIN files f ON f.sha256 = t.sha256 AND f.kind = t.kind "
    "JOIN drives d ON f.drive = d.id JOIN images i ON d.image = i.id ";
// A file on more images than this is no sign of two disks being alike
// (a DOS's own files): it is left out when nearly alike disks are sought.
constexpr std::size_t kCommonFile = 50;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The words of a search, each to be found: split at blanks.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : text + " ") {
    if (c != ' ' && c != '\t') {
      word += c;
    } else if (!word.empty()) {
      words.push_back("%" + word + "%");
      word.clear();
    }
  }
  return words;
}

}  // namespace

// * and ? as LIKE's % and _ (which match any letter case of ASCII, as the
// TRS-80's names are); LIKE's own marks taken as themselves.
std::string LikePattern(const std::string& pattern) {
  std::string like;
  for (const char c : pattern) {
    if (c == '%' || c == '_' || c == '\\') like += '\\';
    like += c == '*' ? '%' : c == '?' ? '_' : c;
  }
  return like;
}

std::size_t Catalogue::Hits(const char* from, const std::string& where,
                            const std::vector<std::string>& values, const EachHit& each) {
  const std::string sql = kHitColumns + (from + where) + " ORDER BY i.path, d.number, f.name";
  Statement q(db_, sql.c_str());
  for (const std::string& v : values) q.Bind(v);
  std::size_t given = 0;
  while (q.Step()) {
    Hit h{q.Text(0), std::nullopt, q.Text(2), q.Int(3), q.Text(4), q.Text(5)};
    if (!q.Null(1)) h.drive = static_cast<int>(q.Int(1));
    ++given;
    if (!each(h)) break;
  }
  return given;
}

std::size_t Catalogue::AllFiles(const EachHit& each) {
  return Hits(kFiles, "", {}, each);
}

std::size_t Catalogue::FindNames(const std::string& pattern, const EachHit& each) {
  // The index takes no ESCAPE: a pattern with LIKE's own marks in it is
  // looked for name by name.
  const std::string like = LikePattern(pattern);
  if (like.find('\\') != std::string::npos)
    return Hits(kFiles, "WHERE f.name LIKE ? ESCAPE '\\'", {like}, each);
  return Hits(kByName, "WHERE w.name LIKE ?", {like}, each);
}

std::size_t Catalogue::FindSha256(const std::string& sha256, const EachHit& each) {
  return Hits(kFiles, "WHERE f.sha256 = ?", {Lower(sha256)}, each);
}

std::size_t Catalogue::FindText(const std::string& text, const EachHit& each) {
  const std::vector<std::string> words = Words(text);
  if (words.empty()) return 0;
  std::string where = "WHERE t.text LIKE ?";
  for (std::size_t k = 1; k < words.size(); ++k) where += " AND t.text LIKE ?";
  return Hits(kByText, where, words, each);
}

}  // namespace trivane::shelf

namespace trivane::shelf {
namespace {

// Each image's live files, by file: the SHA-256s numbered, an image's set
// of them, the name each was first seen under. Images are numbered in the
// order of their paths, so a list of image numbers in order is one of
// paths in order.
struct FileSets {
  std::vector<std::int64_t> ids;             // per image, its id in the catalogue
  std::vector<std::string> images, digests;  // per image, its path and its disk's digest
  std::vector<std::vector<int>> sets;        // per image, its files' numbers, in order
  std::vector<std::string> shas, names;      // per file number
  std::vector<std::vector<int>> on;          // per file number, its images
};

// The rows come an image at a time: each image's set is put in order when
// the next begins, and only then are its files said to be on it.
FileSets ReadFileSets(sqlite3* db) {
  FileSets s;
  std::map<std::string, int> file_of;
  const auto close = [&s] {
    if (s.sets.empty()) return;
    std::vector<int>& set = s.sets.back();
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    for (const int f : set)
      s.on[static_cast<std::size_t>(f)].push_back(static_cast<int>(s.sets.size()) - 1);
  };
  Statement q(db,
              "SELECT i.id, i.path, f.sha256, f.name, i.disk_sha256 FROM files f "
              "JOIN drives d ON f.drive = d.id JOIN images i ON d.image = i.id ORDER BY i.path");
  while (q.Step()) {
    if (s.ids.empty() || s.ids.back() != q.Int(0)) {
      close();
      s.ids.push_back(q.Int(0));
      s.images.push_back(q.Text(1));
      s.digests.push_back(q.Text(4));
      s.sets.emplace_back();
    }
    const auto [file, new_file] = file_of.emplace(q.Text(2), static_cast<int>(s.shas.size()));
    if (new_file) {
      s.shas.push_back(q.Text(2));
      s.names.push_back(q.Text(3));
      s.on.emplace_back();
    }
    s.sets.back().push_back(file->second);
  }
  close();
  return s;
}

// Pairs of images, by their numbers, whose sets of files are nearly alike
// (a share at least `least` of the files of both, not all).
struct Pair {
  int a = 0, b = 0;
  double share = 0;
};
std::vector<Pair> SimilarPairs(const FileSets& s, double least) {
  std::map<std::pair<int, int>, int> shared;
  for (const std::vector<int>& images : s.on) {
    if (images.size() > kCommonFile) continue;
    for (std::size_t a = 0; a < images.size(); ++a)
      for (std::size_t b = a + 1; b < images.size(); ++b) ++shared[{images[a], images[b]}];
  }
  std::vector<Pair> pairs;
  for (const auto& [pair, n] : shared) {
    const auto& a = s.sets[static_cast<std::size_t>(pair.first)];
    const auto& b = s.sets[static_cast<std::size_t>(pair.second)];
    const double share = static_cast<double>(n) / static_cast<double>(a.size() + b.size() - n);
    if (share >= least && a != b) pairs.push_back({pair.first, pair.second, share});
  }
  return pairs;
}

// The pairs of paths of a share at least `similar`, joined into groups
// (each its paths in order), in the order of their first paths.
using PathPairs = std::vector<std::pair<std::string, std::string>>;
std::vector<std::vector<std::string>> Joined(const PathPairs& pairs) {
  std::map<std::string, std::string> parent;
  const auto root = [&parent](const std::string& path) {
    std::string top = parent.try_emplace(path, path).first->second;
    while (parent[top] != top) top = parent[top];
    for (std::string at = path; at != top;) at = std::exchange(parent[at], top);
    return top;
  };
  for (const auto& [a, b] : pairs) {
    const std::string ra = root(a), rb = root(b);
    parent[ra] = rb;
  }
  std::map<std::string, std::vector<std::string>> groups;
  for (const auto& [path, up] : parent) groups[root(path)].push_back(path);
  std::vector<std::vector<std::string>> out;
  for (auto& [top, images] : groups) out.push_back(std::move(images));
  std::sort(out.begin(), out.end());
  return out;
}

// Nearly alike disks are kept as the pairs of at least this share; a
// lower --similar works them out again.
constexpr double kLeastKept = 0.5;

// Writes the groups kept, each as it is found: its row of dupes and a row
// of dupe_images for each of its images, in the order of their paths.
class KeptWriter {
 public:
  explicit KeptWriter(sqlite3* db)
      : db_(db),
        group_(db, "INSERT INTO dupes(kind, name, sha256) VALUES(?, ?, ?)"),
        image_(db, "INSERT INTO dupe_images(dupe, image) VALUES(?, ?)") {}
  void Write(const std::string& kind, const std::vector<std::int64_t>& images,
             const std::string& name = "", const std::string& sha256 = "") {
    ok_ = ok_ && group_.Bind(kind).Bind(name).Bind(sha256).Run();
    const std::int64_t id = sqlite3_last_insert_rowid(db_);
    for (const std::int64_t image : images) ok_ = ok_ && image_.Bind(id).Bind(image).Run();
  }
  bool ok() const { return ok_; }

 private:
  sqlite3* db_;
  Statement group_, image_;
  bool ok_ = true;
};

std::vector<std::int64_t> IdsOf(const FileSets& s, const std::vector<int>& numbers) {
  std::vector<std::int64_t> ids;
  ids.reserve(numbers.size());
  for (const int k : numbers) ids.push_back(s.ids[static_cast<std::size_t>(k)]);
  return ids;
}

// The duplicates but the nearly alike: the same disk, the same files, the
// same file on many images.
void KeepAlike(sqlite3* db, const FileSets& s, KeptWriter& out) {
  std::map<std::string, std::vector<std::int64_t>> by_disk;
  Statement disks(db, "SELECT disk_sha256, id FROM images WHERE disk_sha256 <> '' ORDER BY path");
  while (disks.Step()) by_disk[disks.Text(0)].push_back(disks.Int(1));
  for (const auto& [digest, images] : by_disk)
    if (images.size() > 1) out.Write("disk", images);
  // Keyed by the image's set of file numbers, which stand for their SHA-256s.
  std::map<std::vector<int>, std::vector<int>> by_files;
  for (std::size_t k = 0; k < s.sets.size(); ++k)
    by_files[s.sets[k]].push_back(static_cast<int>(k));
  for (const auto& [set, images] : by_files) {
    const std::string& first = s.digests[static_cast<std::size_t>(images.front())];
    // One image alone, or alike as disks already (said once, as the same
    // disk); tapes have no disk digest, and are never alike as disks.
    if (images.size() < 2 ||
        (!first.empty() && std::all_of(images.begin(), images.end(), [&](int i) {
          return s.digests[static_cast<std::size_t>(i)] == first;
        })))
      continue;
    out.Write("files", IdsOf(s, images));
  }
  for (std::size_t f = 0; f < s.shas.size(); ++f)
    if (s.on[f].size() >= 2) out.Write("file", IdsOf(s, s.on[f]), s.names[f], s.shas[f]);
}

// The images' paths by their ids.
using PathsById = std::unordered_map<std::int64_t, std::string>;
PathsById Paths(sqlite3* db) {
  PathsById paths;
  Statement q(db, "SELECT id, path FROM images");
  while (q.Step()) paths.emplace(q.Int(0), q.Text(1));
  return paths;
}

// The groups kept, "file" ones or all others, handed on one at a time;
// false when the receiver stopped. KeptWriter wrote each group's images
// right after the group, so dupe_images in the order of its rows holds
// them a group at a time in the order of the groups' ids: one pass along
// both reads every group, the first handed on before the last is read.
bool KeptGroups(sqlite3* db, bool files, const PathsById& paths, const Catalogue::EachGroup& each) {
  const std::string sql = std::string("SELECT id, kind, name, sha256 FROM dupes WHERE kind ") +
                          (files ? "=" : "<>") + " 'file' ORDER BY id";
  Statement groups(db, sql.c_str());
  Statement images(db, "SELECT dupe, image FROM dupe_images ORDER BY rowid");
  bool row = images.Step();
  while (groups.Step()) {
    const std::int64_t id = groups.Int(0);
    Group g{groups.Text(1), {}, groups.Text(2), groups.Text(3)};
    while (row && images.Int(0) < id) row = images.Step();
    for (; row && images.Int(0) == id; row = images.Step()) {
      if (const auto path = paths.find(images.Int(1)); path != paths.end())
        g.images.push_back(path->second);
    }
    if (!each(g)) return false;
  }
  return true;
}

}  // namespace

std::string Catalogue::KeepDerived() {
  const FileSets s = ReadFileSets(db_);
  bool ok = Exec(db_, "BEGIN") &&
            Exec(db_,
                 "DELETE FROM names WHERE name NOT IN (SELECT name FROM files);"
                 "DELETE FROM texts WHERE NOT EXISTS (SELECT 1 FROM files f "
                 "  WHERE f.sha256 = texts.sha256 AND f.kind = texts.kind);"
                 "DELETE FROM dupe_images; DELETE FROM dupes; DELETE FROM similar_pairs");
  KeptWriter kept(db_);
  if (ok) KeepAlike(db_, s, kept);
  ok = ok && kept.ok();
  Statement pair(db_, "INSERT INTO similar_pairs(a, b, share) VALUES(?, ?, ?)");
  for (const Pair& p : SimilarPairs(s, kLeastKept)) {
    ok = ok && pair.Bind(s.ids[static_cast<std::size_t>(p.a)])
                   .Bind(s.ids[static_cast<std::size_t>(p.b)])
                   .Bind(p.share)
                   .Run();
  }
  if (ok && Exec(db_, "COMMIT")) return "";
  const std::string why = sqlite3_errmsg(db_);
  Exec(db_, "ROLLBACK");
  return "the duplicates could not be worked out (" + why + "); those kept before stand";
}

void Catalogue::Dupes(double similar, const EachGroup& each) {
  const PathsById paths = Paths(db_);
  if (!KeptGroups(db_, false, paths, each)) return;
  PathPairs pairs;
  if (similar >= kLeastKept) {
    Statement p(db_,
                "SELECT a.path, b.path FROM similar_pairs p JOIN images a ON a.id = p.a "
                "JOIN images b ON b.id = p.b WHERE p.share >= ?");
    p.Bind(similar);
    while (p.Step()) pairs.emplace_back(p.Text(0), p.Text(1));
  } else {
    const FileSets s = ReadFileSets(db_);
    for (const Pair& p : SimilarPairs(s, similar))
      pairs.emplace_back(s.images[static_cast<std::size_t>(p.a)],
                         s.images[static_cast<std::size_t>(p.b)]);
  }
  for (auto& images : Joined(pairs))
    if (!each({"similar", std::move(images), "", ""})) return;
  KeptGroups(db_, true, paths, each);
}

std::vector<std::string> Catalogue::Stats() {
  std::vector<std::string> lines;
  const auto counts = [&](const std::string& title, const char* sql) {
    Statement q(db_, sql);
    lines.push_back(title + ":");
    while (q.Step()) lines.push_back("  " + std::to_string(q.Int(1)) + "  " + q.Text(0));
  };
  counts(
      "images by container",
      "SELECT container, count(*) FROM images WHERE container <> '' GROUP BY 1 ORDER BY 2 DESC, 1");
  counts("images by DOS",
         "SELECT coalesce(s.dos, 'none recognised'), count(DISTINCT d.image) FROM drives d "
         "LEFT JOIN filesystems s ON s.drive = d.id GROUP BY 1 ORDER BY 2 DESC, 1");
  counts("images by geometry",
         "SELECT cylinders || ' cylinders, ' || heads || ' heads', count(*) FROM images "
         "WHERE cylinders > 0 GROUP BY 1 ORDER BY 2 DESC, 1");
  counts("files by kind", "SELECT kind, count(*) FROM files GROUP BY 1 ORDER BY 2 DESC, 1");
  counts("images with findings", "SELECT 'images', count(DISTINCT image) FROM findings");
  counts("files that are no image", "SELECT 'files', count(*) FROM images WHERE container = ''");
  return lines;
}

}  // namespace trivane::shelf
