// The questions asked of the catalogue (catalogue.h): files found by name,
// SHA-256 or words; duplicates; counts; every file exported.
#include <algorithm>
#include <cctype>
#include <map>
#include <set>

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
// every text would cost more than reading the texts a search asks of.
constexpr const char* kByText =
    "FROM texts t JOIN files f ON f.sha256 = t.sha256 AND f.kind = t.kind "
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

// Images by a key, in groups of more than one.
template <typename Key>
std::vector<std::vector<std::string>> GroupsBy(const std::map<Key, std::set<std::string>>& by) {
  std::vector<std::vector<std::string>> groups;
  for (const auto& [key, images] : by)
    if (images.size() > 1) groups.push_back({images.begin(), images.end()});
  return groups;
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

std::vector<Hit> Catalogue::Hits(const char* from, const std::string& where,
                                 const std::vector<std::string>& values) {
  std::vector<Hit> hits;
  const std::string sql = kHitColumns + (from + where) + " ORDER BY i.path, d.number, f.name";
  Statement q(db_, sql.c_str());
  for (const std::string& v : values) q.Bind(v);
  while (q.Step()) {
    Hit h{q.Text(0), std::nullopt, q.Text(2), q.Int(3), q.Text(4), q.Text(5)};
    if (!q.Null(1)) h.drive = static_cast<int>(q.Int(1));
    hits.push_back(std::move(h));
  }
  return hits;
}

std::vector<Hit> Catalogue::AllFiles() {
  return Hits(kFiles, "", {});
}

std::vector<Hit> Catalogue::FindNames(const std::string& pattern) {
  // The index takes no ESCAPE: a pattern with LIKE's own marks in it is
  // looked for name by name.
  const std::string like = LikePattern(pattern);
  if (like.find('\\') != std::string::npos)
    return Hits(kFiles, "WHERE f.name LIKE ? ESCAPE '\\'", {like});
  return Hits(kByName, "WHERE w.name LIKE ?", {like});
}

std::vector<Hit> Catalogue::FindSha256(const std::string& sha256) {
  return Hits(kFiles, "WHERE f.sha256 = ?", {Lower(sha256)});
}

std::vector<Hit> Catalogue::FindText(const std::string& text) {
  const std::vector<std::string> words = Words(text);
  if (words.empty()) return {};
  std::string where = "WHERE t.text LIKE ?";
  for (std::size_t k = 1; k < words.size(); ++k) where += " AND t.text LIKE ?";
  return Hits(kByText, where, words);
}

}  // namespace trivane::shelf

namespace trivane::shelf {
namespace {

// Each image's live files, by file: the SHA-256s numbered, an image's set
// of them, the name each was first seen under.
struct FileSets {
  std::vector<std::string> images;            // paths, by number
  std::vector<std::vector<int>> sets;         // per image, its files' numbers, in order
  std::vector<std::string> shas, names;       // per file number
  std::vector<std::vector<int>> on;           // per file number, its images
  std::map<std::string, std::string> digest;  // path: its disk's digest
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
              "SELECT i.path, f.sha256, f.name, i.disk_sha256 FROM files f "
              "JOIN drives d ON f.drive = d.id JOIN images i ON d.image = i.id ORDER BY i.path");
  while (q.Step()) {
    if (s.images.empty() || s.images.back() != q.Text(0)) {
      close();
      s.images.push_back(q.Text(0));
      s.sets.emplace_back();
      s.digest[q.Text(0)] = q.Text(3);
    }
    const auto [file, new_file] = file_of.emplace(q.Text(1), static_cast<int>(s.shas.size()));
    if (new_file) {
      s.shas.push_back(q.Text(1));
      s.names.push_back(q.Text(2));
      s.on.emplace_back();
    }
    s.sets.back().push_back(file->second);
  }
  close();
  return s;
}

// Pairs of images whose sets of files are nearly alike (a share at least
// `least` of the files of both, not all), by their paths.
struct Pair {
  std::string a, b;
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
    if (share >= least && a != b)
      pairs.push_back({s.images[static_cast<std::size_t>(pair.first)],
                       s.images[static_cast<std::size_t>(pair.second)], share});
  }
  return pairs;
}

int Root(std::map<std::string, int>& index, std::vector<int>& parent, const std::string& path) {
  const auto [at, fresh] = index.emplace(path, static_cast<int>(parent.size()));
  if (fresh) parent.push_back(at->second);
  int k = at->second;
  while (parent[static_cast<std::size_t>(k)] != k)
    k = parent[static_cast<std::size_t>(k)] =
        parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(k)])];
  return k;
}

// The pairs of a share at least `similar`, joined into groups, in the
// order of their first paths.
std::vector<std::vector<std::string>> Joined(const std::vector<Pair>& pairs, double similar) {
  std::map<std::string, int> index;
  std::vector<int> parent;
  for (const Pair& p : pairs) {
    if (p.share < similar) continue;
    const int a = Root(index, parent, p.a);
    parent[static_cast<std::size_t>(a)] = Root(index, parent, p.b);
  }
  std::map<int, std::set<std::string>> groups;
  for (const auto& [path, k] : index) groups[Root(index, parent, path)].insert(path);
  std::vector<std::vector<std::string>> out;
  for (const auto& [root, images] : groups) out.push_back({images.begin(), images.end()});
  std::sort(out.begin(), out.end());
  return out;
}

// Nearly alike disks are kept as the pairs of at least this share; a
// lower --similar works them out again.
constexpr double kLeastKept = 0.5;

// The duplicates but the nearly alike: the same disk, the same files, the
// same file on many images.
std::vector<Group> Alike(sqlite3* db, const FileSets& s) {
  std::vector<Group> out;
  std::map<std::string, std::set<std::string>> by_disk;
  Statement disks(db, "SELECT disk_sha256, path FROM images WHERE disk_sha256 <> ''");
  while (disks.Step()) by_disk[disks.Text(0)].insert(disks.Text(1));
  for (auto& images : GroupsBy(by_disk)) out.push_back({"disk", std::move(images), "", ""});
  // Keyed by the image's set of file numbers, which stand for their SHA-256s.
  std::map<std::vector<int>, std::set<std::string>> by_files;
  for (std::size_t k = 0; k < s.images.size(); ++k) by_files[s.sets[k]].insert(s.images[k]);
  for (auto& images : GroupsBy(by_files)) {
    const std::string& first = s.digest.at(images.front());
    // Alike as disks already: said once, as the same disk.
    if (std::all_of(images.begin(), images.end(),
                    [&](const std::string& i) { return s.digest.at(i) == first; }))
      continue;
    out.push_back({"files", std::move(images), "", ""});
  }
  for (std::size_t f = 0; f < s.shas.size(); ++f) {
    if (s.on[f].size() < 2) continue;
    Group g{"file", {}, s.names[f], s.shas[f]};
    for (const int i : s.on[f]) g.images.push_back(s.images[static_cast<std::size_t>(i)]);
    out.push_back(std::move(g));
  }
  return out;
}

}  // namespace

void Catalogue::KeepDerived() {
  const FileSets s = ReadFileSets(db_);
  Exec(db_, "BEGIN");
  Exec(db_,
       "DELETE FROM names WHERE name NOT IN (SELECT name FROM files);"
       "DELETE FROM texts WHERE NOT EXISTS (SELECT 1 FROM files f "
       "  WHERE f.sha256 = texts.sha256 AND f.kind = texts.kind);"
       "DELETE FROM dupes; DELETE FROM similar_pairs");
  Statement group(db_, "INSERT INTO dupes(kind, name, sha256) VALUES(?, ?, ?)");
  Statement image(db_, "INSERT INTO dupe_images(dupe, path) VALUES(?, ?)");
  for (const Group& g : Alike(db_, s)) {
    group.Bind(g.kind).Bind(g.name).Bind(g.sha256).Run();
    const std::int64_t id = sqlite3_last_insert_rowid(db_);
    for (const std::string& path : g.images) image.Bind(id).Bind(path).Run();
  }
  Statement pair(db_, "INSERT INTO similar_pairs(a, b, share) VALUES(?, ?, ?)");
  for (const Pair& p : SimilarPairs(s, kLeastKept)) {
    pair.Bind(p.a).Bind(p.b).Bind(p.share).Run();
  }
  Exec(db_, "COMMIT");
}

std::vector<Group> Catalogue::Dupes(double similar) {
  std::vector<Group> kept;
  Statement q(db_,
              "SELECT g.id, g.kind, g.name, g.sha256, i.path FROM dupes g "
              "JOIN dupe_images i ON i.dupe = g.id ORDER BY g.id, i.rowid");
  std::int64_t last = -1;
  while (q.Step()) {
    if (q.Int(0) != last) kept.push_back({q.Text(1), {}, q.Text(2), q.Text(3)}), last = q.Int(0);
    kept.back().images.push_back(q.Text(4));
  }
  std::vector<Pair> pairs;
  if (similar >= kLeastKept) {
    Statement p(db_, "SELECT a, b, share FROM similar_pairs");
    while (p.Step()) pairs.push_back({p.Text(0), p.Text(1), p.Real(2)});
  } else {
    pairs = SimilarPairs(ReadFileSets(db_), similar);
  }
  // As they were worked out: the same disks, the same files, then the
  // nearly alike, then each file on many images.
  std::vector<Group> out;
  for (Group& g : kept)
    if (g.kind != "file") out.push_back(std::move(g));
  for (auto& images : Joined(pairs, similar)) out.push_back({"similar", std::move(images), "", ""});
  for (Group& g : kept)
    if (g.kind == "file") out.push_back(std::move(g));
  return out;
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
