// Indexing (catalogue.h): the folders walked, each file (and each zip's
// images) compared with what the catalogue knows of it, what is new or
// changed read over the processors a batch at a time, each batch written
// in one transaction, and what is gone dropped.
#include <algorithm>
#include <map>
#include <set>

#include "cli/in_order.h"
#include "formats/text.h"
#include "ops/archives.h"
#include "shelf/catalogue.h"
#include "shelf/database.h"

namespace trivane::shelf {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBatch = 256;

// Seconds since 1970, UTC, as a keeper reading the catalogue expects: the
// file clock's own count starts elsewhere, and not in one place everywhere.
std::int64_t MtimeOf(const fs::directory_entry& e) {
  std::error_code ec;
  const auto t = e.last_write_time(ec);
  if (ec) return 0;
  const auto since_1970 = std::chrono::file_clock::to_sys(t).time_since_epoch();
  return std::chrono::duration_cast<std::chrono::seconds>(since_1970).count();
}

std::vector<Catalogue::Found> Walk(const std::vector<fs::path>& folders, IndexReport& report) {
  std::vector<Catalogue::Found> found;
  for (const fs::path& folder : folders) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
      report.problems.push_back(Utf8Of(folder) + ": not a folder that can be read");
      continue;
    }
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      std::error_code fe;
      if (!it->is_regular_file(fe)) continue;
      found.push_back({it->path(), static_cast<std::int64_t>(it->file_size(fe)), MtimeOf(*it)});
    }
    if (ec) report.problems.push_back(Utf8Of(folder) + ": " + ec.message());
  }
  std::sort(found.begin(), found.end(),
            [](const Catalogue::Found& a, const Catalogue::Found& b) { return a.path < b.path; });
  return found;
}

std::map<std::string, Catalogue::Row> Rows(sqlite3* db) {
  std::map<std::string, Catalogue::Row> rows;
  Statement all(db, "SELECT id, path, size, mtime, sha256 FROM images");
  while (all.Step()) rows[all.Text(1)] = {all.Int(0), all.Int(2), all.Int(3), all.Text(4)};
  return rows;
}

std::vector<ImageRecord> RecordsOf(const Catalogue::Found& f) {
  if (f.archive) return ReadArchiveRecords(f.path, f.size, f.mtime);
  std::vector<ImageRecord> one;
  one.push_back(ReadRecord(f.path, f.size, f.mtime));
  return one;
}

// The records of the paths (a zip's, each of its images), read side by
// side, the largest files first so that no one large image is left to the
// end with one processor on it. Each path's records are handed to `each` on
// the calling thread in that order as soon as they are read, so that they
// are written while the rest are read.
void ReadEach(const std::vector<Catalogue::Found>& paths,
              const std::function<void(const std::vector<ImageRecord>&)>& each) {
  std::vector<std::size_t> order(paths.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return paths[a].size > paths[b].size; });
  const unsigned workers = cli::Workers();
  cli::InOrder<std::vector<ImageRecord>>(
      order.size(), workers, 4 * workers, [&](std::size_t n) { return RecordsOf(paths[order[n]]); },
      [&](std::size_t, const std::vector<ImageRecord>& records) {
        each(records);
        return true;
      });
}

// The rows of a path: the file's own, or a zip's members' (and its own,
// where it held no image).
Catalogue::RowsOfPath RowsOf(const std::map<std::string, Catalogue::Row>& rows,
                             const std::string& path) {
  Catalogue::RowsOfPath of;
  if (const auto own = rows.find(path); own != rows.end()) of.push_back(own);
  for (auto at = rows.lower_bound(path + "/");
       at != rows.end() && at->first.starts_with(path + "/"); ++at)
    of.push_back(at);
  return of;
}

bool Under(const std::string& path, const std::vector<fs::path>& folders) {
  return std::any_of(folders.begin(), folders.end(), [&](const fs::path& f) {
    // The folder with its separator after it, as the walk's paths have it.
    return path.starts_with(Utf8Of(f / ""));
  });
}

}  // namespace

// Unchanged: the size and mtime its rows hold, or (a file's mtime alone
// moved) the same SHA-256, its mtime then brought up to date.
bool Catalogue::Unchanged(const Found& f, const RowsOfPath& of) {
  const fs::path& file = f.path;
  const std::int64_t size = f.size, mtime = f.mtime;
  if (of.empty() || of.front()->second.size != size) return false;
  if (of.front()->second.mtime == mtime) return true;
  if (of.size() != 1 || of.front()->first != Utf8Of(file) ||
      FileSha256(file) != of.front()->second.sha256)
    return false;
  Statement touch(db_, "UPDATE images SET mtime = ? WHERE id = ?");
  return touch.Bind(mtime).Bind(of.front()->second.id).Run();
}

IndexReport Catalogue::Index(const std::vector<fs::path>& folders,
                             const std::function<void(std::size_t, std::size_t)>& progress) {
  IndexReport report;
  const std::vector<Found> found = Walk(folders, report);
  const std::map<std::string, Row> rows = Rows(db_);
  std::set<std::int64_t> kept;
  std::vector<Found> to_read;
  for (const Found& f : found) {
    const auto of = RowsOf(rows, Utf8Of(f.path));
    if (Unchanged(f, of)) {
      for (const auto& at : of) kept.insert(at->second.id);
      ++report.unchanged;
    } else {
      to_read.push_back(f);
      to_read.back().archive = ops::IsZipFile(f.path);
    }
  }
  ReadAndWrite(to_read, progress, rows, kept, report);
  Statement drop(db_, "DELETE FROM images WHERE id = ?");
  Exec(db_, "BEGIN");
  for (const auto& [path, row] : rows) {
    if (kept.contains(row.id) || !Under(path, folders)) continue;
    drop.Bind(row.id).Run();
    ++report.dropped;
  }
  Exec(db_, "COMMIT");
  if (report.read > 0 || report.dropped > 0) {
    if (const std::string why = KeepDerived(); !why.empty()) report.problems.push_back(why);
  }
  return report;
}

// Reads the files a batch at a time over the processors, writing each
// batch in one transaction; a file gone while indexing is said, not kept.
// A path written again keeps its place: its old rows are not dropped twice.
void Catalogue::ReadAndWrite(const std::vector<Found>& to_read,
                             const std::function<void(std::size_t, std::size_t)>& progress,
                             const std::map<std::string, Row>& rows, std::set<std::int64_t>& kept,
                             IndexReport& report) {
  for (std::size_t from = 0; from < to_read.size(); from += kBatch) {
    const auto end = to_read.begin() + static_cast<long>(std::min(to_read.size(), from + kBatch));
    const std::vector<Found> part(to_read.begin() + static_cast<long>(from), end);
    Batch batch(db_);
    ReadEach(part, [&](const std::vector<ImageRecord>& records) {
      for (const ImageRecord& r : records) {
        std::error_code ec;
        if (r.container.empty() && !fs::exists(PathFromUtf8(r.path), ec) &&
            !ops::InArchive(PathFromUtf8(r.path))) {
          report.problems.push_back(r.path + ": gone while it was indexed");
          continue;
        }
        if (const auto row = rows.find(r.path); row != rows.end()) kept.insert(row->second.id);
        batch.Add(r);
        ++report.read;
      }
    });
    if (const std::string why = batch.Commit(); !why.empty()) report.problems.push_back(why);
    if (progress) progress(from + part.size(), to_read.size());
  }
}

}  // namespace trivane::shelf
