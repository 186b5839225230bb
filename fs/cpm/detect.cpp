#include "fs/cpm/detect.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "fs/cpm/directory.h"
#include "fs/cpm/format.h"
#include "fs/cpm/volume.h"

namespace trivane::cpm {
namespace {

constexpr int kEntry = 32, kRecord = 128;
constexpr int kEntryCounts[] = {32, 64, 128, 192, 256, 512};
constexpr int kBlockSizes[] = {1024, 2048, 4096, 8192, 16384};
constexpr int kMostReserved = 8;
const char* const kTextTypes[] = {"TXT", "DOC", "ASM", "MAC", "Z80", "SUB", "C", "H", "PRN", "LST"};

struct Shape {
  int spt = 0, size = 0;
  Held held;  // the cylinders and heads with sectors
};

// The data tracks' shape: the commonest count and size of a track's
// sectors, track 0 left out (a boot track often has another).
Shape DataShape(const disk::Disk& d) {
  Shape best;
  best.held = HeldTracks(d);
  std::map<std::tuple<int, int, int>, int> per_track;  // cylinder, head, size -> sectors
  for (const disk::Sector& s : d.sectors) {
    if (s.has_data() && (s.cylinder > 0 || best.held.cylinders == 1))
      ++per_track[{s.cylinder, s.head, s.size}];
  }
  std::map<std::pair<int, int>, int> shapes;  // sectors, size -> tracks
  for (const auto& [key, count] : per_track) ++shapes[{count, std::get<2>(key)}];
  int most = 0;
  for (const auto& [shape, tracks] : shapes) {
    if (tracks <= most) continue;
    most = tracks;
    best.spt = shape.first;
    best.size = shape.second;
  }
  return best;
}

struct Candidate {
  Params p;
  const FormatRow* row = nullptr;
  Tally t;
  int text = 0;         // text files whose last record ends with their run of ^Z
  bool starts = false;  // the lowest block a file takes is the first after the directory
};

// Well formed, and naming a file: a live one, or (in a published format,
// whose shape the disk has) a deleted one whose blocks fit its records, as
// on a disk whose files were all deleted.
bool Accepted(const Tally& t, bool published) {
  return (t.files > 0 || (published && t.deleted_fit > 0)) && t.bad * 10 <= t.used;
}

bool IsText(const std::uint8_t* e) {
  std::string type;
  for (int k = 9; k < 12; ++k) type += static_cast<char>(e[k] & 0x7F);
  type = type.substr(0, type.find(' '));
  return std::find(std::begin(kTextTypes), std::end(kTextTypes), type) != std::end(kTextTypes);
}

// The last record of the file of the entry ends with one run of ^Z.
bool EndsRight(const Volume& v, const std::uint8_t* e) {
  const Params& p = v.params();
  const int records = RecordsOf(e, p);
  if (records == 0) return false;
  const int at = (records - 1) * kRecord, index = at / p.bls;
  if (index >= p.PointersPerEntry()) return false;
  const int block = BlockAt(e, p, index);
  filesystems::FileBytes last;
  v.Read(std::int64_t{block} * p.bls + at % p.bls, kRecord, last);
  if (!last.whole()) return false;
  const auto z = std::find(last.bytes.begin(), last.bytes.end(), 0x1A);
  return z != last.bytes.end() &&
         std::all_of(z, last.bytes.end(), [](std::uint8_t b) { return b == 0x1A; });
}

// Text files and where the files' blocks start, for the candidate.
void Weigh(const disk::SectorStore& store, const TrackIds& ids,
           const std::vector<std::uint8_t>& dir, Candidate& c) {
  const Volume v(store, c.p, ids);
  std::map<std::string, const std::uint8_t*> last;  // user and name -> its highest entry
  int lowest = c.p.Blocks();
  for (int slot = 0; slot < c.p.entries && (slot + 1) * kEntry <= static_cast<int>(dir.size());
       ++slot) {
    const std::uint8_t* e = dir.data() + slot * kEntry;
    if (KindOf(e) != Slot::kFile) continue;
    for (int b : Pointers(e, c.p)) lowest = std::min(lowest, b);
    const std::string key(reinterpret_cast<const char*>(e), 12);
    if (!last.contains(key) || ExtentNumber(e) > ExtentNumber(last[key])) last[key] = e;
  }
  c.starts = lowest == c.p.DirectoryBlocks();
  for (const auto& [key, e] : last) {
    if (IsText(e) && EndsRight(v, e)) ++c.text;
  }
}

// The directory fills its blocks, as every published format's does.
bool Fills(const Params& p) {
  return p.entries * kEntry % p.bls == 0;
}

// The candidate's score, as the units' readings are compared.
int Score(const Candidate& c) {
  return std::max(1, 1 + 2 * c.t.fit - c.t.used);
}

// How well the candidate explains the disk; the table and the least skew
// then choose among those that explain it as well.
auto Weight(const Candidate& c) {
  return std::make_tuple(c.t.fit, -c.t.gaps, c.text, c.t.files, c.starts, Fills(c.p));
}

auto Rank(const Candidate& c) {
  return std::tuple_cat(Weight(c), std::make_tuple(c.row != nullptr, -c.p.skew, -c.p.off));
}

std::string Described(const Candidate& c) {
  return c.row != nullptr ? std::string(c.row->name) + " (" + c.p.Text() + ")" : c.p.Text();
}

std::vector<std::uint8_t> DirectoryBytes(const disk::SectorStore& store, const TrackIds& ids,
                                         const Params& p) {
  filesystems::FileBytes b;
  Volume(store, p, ids).Read(0, std::int64_t{p.entries} * kEntry, b);
  return std::move(b.bytes);
}

// The directory's first sector names a file, live or deleted, and holds a
// quarter of slots CP/M would not write at most: where not, no skew or
// size makes a directory of it (a new disk is known by its tracks instead).
bool FirstSectorOk(const std::vector<std::uint8_t>& dir, int size) {
  int slots = 0, bad = 0, named = 0;
  for (int at = 0; at + kEntry <= size && at + kEntry <= static_cast<int>(dir.size());
       at += kEntry) {
    ++slots;
    const Slot kind = KindOf(dir.data() + at);
    if (kind == Slot::kBad) ++bad;
    if (kind == Slot::kFile || kind == Slot::kDeleted) ++named;
  }
  return named > 0 && bad * 4 <= slots;
}

bool SameShape(const Params& row, const Shape& s) {
  return row.spt == s.spt && row.size == s.size && row.heads == s.held.heads &&
         s.held.cylinders >= row.cylinders;
}

std::vector<Candidate> FromTable(const disk::SectorStore& store, const TrackIds& ids,
                                 const Shape& s) {
  std::vector<Candidate> out;
  for (const FormatRow& row : Formats()) {
    if (!SameShape(row.params, s)) continue;
    Candidate c{row.params, &row, {}, 0, false};
    const std::vector<std::uint8_t> dir = DirectoryBytes(store, ids, c.p);
    c.t = Count(dir, c.p);
    if (!Accepted(c.t, true)) continue;
    Weigh(store, ids, dir, c);
    out.push_back(c);
  }
  return out;
}

// The file entries of a directory of these slots: no reading of it scores
// more than 1 + these, since 1 + 2 fit - used is at most 1 + files (no more
// entries fit than are files, and every file entry is used).
int FileEntries(const Slots& slots) {
  return static_cast<int>(std::count(slots.kinds.begin(), slots.kinds.end(), Slot::kFile));
}

// What a hunted reading must reach to matter: a score past `beat`, another
// unit's, and a fit no lower than the best reading's so far (Weight puts
// the fit first: a reading of lower fit is never chosen, nor in doubt
// with the one that is).
struct Bar {
  int beat = 0;
  int fit = 0;
  int skipped = -1;  // the most file entries of a directory skipped for beat
};

// Every reserved-track count, skew, directory size and block size the
// shape allows on the heads, read; those whose entries are well formed kept.
void HuntSides(const disk::SectorStore& store, const TrackIds& ids, const Shape& s, Params p,
               Bar& bar, std::vector<Candidate>& out) {
  for (p.off = 0; p.off <= kMostReserved && p.off < p.Tracks(); ++p.off) {
    // The first sector is the same for every skew.
    p.entries = std::max(1, s.size / kEntry);
    if (!FirstSectorOk(DirectoryBytes(store, ids, p), s.size)) continue;
    for (p.skew = 1; p.skew <= std::max(1, s.spt - 1); ++p.skew) {
      p.entries = kEntryCounts[std::size(kEntryCounts) - 1];
      const std::vector<std::uint8_t> dir = DirectoryBytes(store, ids, p);
      const Slots slots = SlotsOf(dir);
      if (const int files = FileEntries(slots); 1 + files <= bar.beat) {
        bar.skipped = std::max(bar.skipped, files);
        continue;
      }
      for (int entries : kEntryCounts) {
        for (int bls : kBlockSizes) {
          Candidate c{p, nullptr, {}, 0, false};
          c.p.entries = entries;
          c.p.bls = bls;
          if (c.p.Blocks() <= c.p.DirectoryBlocks()) continue;
          c.t = Count(slots, dir, c.p);
          if (!Accepted(c.t, false) || c.t.fit < bar.fit) continue;
          bar.fit = c.t.fit;
          Weigh(store, ids, dir, c);
          out.push_back(c);
        }
      }
    }
  }
}

std::vector<Candidate> Hunt(const disk::SectorStore& store, const TrackIds& ids, const Shape& s,
                            Bar& bar) {
  std::vector<Candidate> out;
  // Every head, and head 0 alone: a filesystem may keep to one side while
  // the other carries another format; the heads in turn, and one by one.
  const Params both{s.held.cylinders, std::max(s.held.heads, 1), s.spt, s.size};
  HuntSides(store, ids, s, both, bar, out);
  if (both.heads >= 2) {
    Params one = both;
    one.heads = 1;
    HuntSides(store, ids, s, one, bar, out);
    // Side 0 first, over the cylinders every head holds in the data shape:
    // a disk may end in tracks of another format.
    Params side_first = both;
    side_first.sides_in_turn = false;
    side_first.cylinders = 0;
    for (int c = 0; c < both.cylinders; ++c) {
      bool all = true;
      for (int h = 0; h < both.heads; ++h) all = all && ids.First(c, h) >= 0;
      if (all) side_first.cylinders = c + 1;
    }
    HuntSides(store, ids, s, side_first, bar, out);
  }
  return out;
}

// The other published formats of the same parameters, as evidence names them.
std::string AlsoNamed(const FormatRow& row) {
  std::string also;
  for (const FormatRow& other : Formats()) {
    if (&other != &row && other.params == row.params)
      also += (also.empty() ? "" : ", ") + std::string(other.name);
  }
  return also.empty() ? "" : " (the same parameters as " + also + ")";
}

Found Chosen(const Candidate& c, const Shape& s, bool hunted) {
  Found f;
  f.p = c.p;
  f.row = c.row;
  f.score = Score(c);
  f.evidence.push_back("the data tracks hold " + std::to_string(s.spt) + " x " +
                       std::to_string(s.size));
  if (c.row != nullptr) {
    f.evidence.push_back(std::string("the published format ") + c.row->name + AlsoNamed(*c.row) +
                         ": " + c.p.Text());
  } else {
    f.evidence.push_back("no published format explains it; found by hunting: " + c.p.Text());
  }
  f.evidence.push_back(c.t.files > 0
                           ? std::to_string(c.t.fit) + " of " + std::to_string(c.t.files) +
                                 " entries hold the blocks their records need"
                           : "only deleted files are named: " + std::to_string(c.t.deleted_fit) +
                                 " of their entries hold the blocks their records need");
  if (c.text > 0) {
    f.evidence.push_back(std::to_string(c.text) + " text files end with their run of ^Z");
  }
  if (c.p.heads < s.held.heads) {
    f.evidence.push_back("head 0 alone: the files lie there, head 1 holds another format");
  }
  if (hunted) f.evidence.push_back("no published format explains every entry: hunted too");
  return f;
}

// Another reading that explains the disk as well and would put a file's
// records elsewhere: the disk does not settle its format.
void Doubt(const std::vector<Candidate>& all, const Candidate& best, Found& f) {
  for (const Candidate& c : all) {
    if (Weight(c) != Weight(best) || c.p == best.p) continue;
    f.doubt = Described(c);
    if (best.row != nullptr && c.row != nullptr) f.doubt_words = {best.row->word, c.row->word};
    f.evidence.push_back("as well read as " + f.doubt + ": nothing on the disk settles which");
    return;
  }
}

// A new disk: its tracks as a published format lays them out, every
// sector E5. Where formats of other parameters lay tracks out alike, the
// disk does not settle which.
Found Empty(const disk::Disk& d) {
  Found f;
  // Only a format of the disk's cylinders and heads can have laid it out:
  // the others are not read.
  const Held held = HeldTracks(d);
  for (const FormatRow& row : Formats()) {
    if (held.cylinders != row.params.cylinders || held.heads != row.params.heads ||
        !EmptyDiskOf(d, row))
      continue;
    if (f.row == nullptr) {
      f.p = row.params;
      f.row = &row;
      f.score = 1;
      f.evidence.push_back("every sector is E5 and the tracks are as " + std::string(row.name) +
                           " lays them out: a new disk" + AlsoNamed(row));
    } else if (!(row.params == f.p) && f.doubt.empty()) {
      f.doubt = std::string(row.name) + " (" + row.params.Text() + ")";
      f.doubt_words = {f.row->word, row.word};
      f.evidence.push_back("as well read as " + f.doubt + ": nothing on the disk settles which");
    }
  }
  return f;
}

}  // namespace

// The hunted readings added to the table's. Asked to beat another unit's
// score, and no table format passing it, the hunt skips the directories no
// reading of which could pass it; should the reading chosen then be one a
// skipped directory might have outranked (its fit no higher than that
// directory's file entries), and pass the score, the hunt is made in full.
void AddHunted(const disk::SectorStore& store, const TrackIds& ids, const Shape& s, int beat,
               std::vector<Candidate>& all) {
  int table_best = 0, fit = 0;
  for (const Candidate& c : all) {
    table_best = std::max(table_best, Score(c));
    fit = std::max(fit, c.t.fit);
  }
  Bar bar{table_best > beat ? 0 : beat, fit};
  std::vector<Candidate> hunted = Hunt(store, ids, s, bar);
  const auto better = [](const Candidate& a, const Candidate& b) { return Rank(a) < Rank(b); };
  all.insert(all.end(), hunted.begin(), hunted.end());
  if (bar.skipped < 0 || all.empty()) return;
  const Candidate best = *std::max_element(all.begin(), all.end(), better);
  if (best.t.fit > bar.skipped || Score(best) <= beat) return;
  all.resize(all.size() - hunted.size());
  Bar full{0, fit};
  hunted = Hunt(store, ids, s, full);
  all.insert(all.end(), hunted.begin(), hunted.end());
}

Found Detect(const disk::SectorStore& store, int beat) {
  const Shape s = DataShape(store.disk());
  if (s.spt == 0) return {{}, nullptr, {"no sectors to read as CP/M"}, 0, "", {}};
  const TrackIds ids(store.disk(), s.size);
  std::vector<Candidate> all = FromTable(store, ids, s);
  const auto better = [](const Candidate& a, const Candidate& b) { return Rank(a) < Rank(b); };
  const bool settled =
      !all.empty() && std::max_element(all.begin(), all.end(), better)->t.fit ==
                          std::max_element(all.begin(), all.end(), better)->t.files;
  if (!settled) AddHunted(store, ids, s, beat, all);
  if (!all.empty()) {
    const Candidate& best = *std::max_element(all.begin(), all.end(), better);
    Found f = Chosen(best, s, !settled);
    Doubt(all, best, f);
    return f;
  }
  // A new disk scores 1, which cannot beat another unit's reading.
  Found none = beat < 1 ? Empty(store.disk()) : Found{};
  if (none.score > 0) return none;
  none.evidence.push_back("the data tracks hold " + std::to_string(s.spt) + " x " +
                          std::to_string(s.size) +
                          ": no reserved tracks, skew, directory or block size gives a "
                          "directory of well-formed entries");
  return none;
}

Found ReadAs(const disk::SectorStore& store, const FormatRow& row) {
  const TrackIds ids(store.disk(), row.params.size);
  const Tally t = Count(DirectoryBytes(store, ids, row.params), row.params);
  Found f;
  f.p = row.params;
  f.row = &row;
  f.evidence.push_back(std::string("the format named: ") + row.name + ", " + row.params.Text());
  // A directory of free entries only on a new disk: any other disk's free
  // space reads so too.
  if (!Accepted(t, true) && !(t.used == 0 && EmptyDiskOf(store.disk(), row))) {
    f.evidence.push_back("its directory is not one of well-formed entries");
    return f;
  }
  f.score = std::max(1, 1 + 2 * t.fit - t.used);
  return f;
}

}  // namespace trivane::cpm
