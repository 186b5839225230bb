#include "fs/fat/unit.h"

#include <algorithm>
#include <optional>
#include <set>

#include "formats/text.h"
#include "fs/fat/volume.h"

namespace trivane::fat {
namespace {

using filesystems::Column;
using filesystems::Entry;
using filesystems::Value;

constexpr int kMinEntries = 4;  // a sector of fewer is no directory to go by
constexpr const char* kNoBoot = "no DOS boot sector at cylinder 0 head 0 sector 1";

std::string HexByte(int b) {
  const char* digits = "0123456789ABCDEF";
  return {digits[b >> 4 & 15], digits[b & 15]};
}

std::string Attributes(int a) {
  return std::string(a & 1 ? "R" : "-") + (a & 2 ? "H" : "-") + (a & 4 ? "S" : "-") +
         (a & 0x20 ? "A" : "-");
}

// "NAME.EXT" from an entry's 11 bytes.
std::string Shown(const std::uint8_t* e) {
  std::string name(reinterpret_cast<const char*>(e), 8),
      ext(reinterpret_cast<const char*>(e) + 8, 3);
  name.erase(name.find_last_not_of(' ') + 1);
  ext.erase(ext.find_last_not_of(' ') + 1);
  return ext.empty() ? name : name + "." + ext;
}

// Well-formed DOS directory entries in the sector (DOS 2 leaves bytes 12
// to 21 zero): the names of those there, or none when fewer than a few.
std::vector<std::string> EntriesIn(const std::vector<std::uint8_t>& s) {
  std::vector<std::string> names;
  for (std::size_t at = 0; at + 32 <= s.size(); at += 32) {
    const std::uint8_t* e = s.data() + at;
    const bool named = std::all_of(e, e + 11, [](std::uint8_t c) {
      return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == ' ' || c == '$' || c == '_';
    });
    if (named && e[0] != ' ' && (e[11] & 0xC8) == 0 &&
        std::all_of(e + 12, e + 22, [](std::uint8_t c) { return c == 0; }))
      names.push_back(Shown(e));
  }
  return names.size() >= kMinEntries ? names : std::vector<std::string>{};
}

class FatFilesystem : public filesystems::ReadOnlyFilesystem {
 public:
  // `beat` is the best score so far: a disk without a boot sector scores 1
  // at most, so it is not searched for directories when that cannot win.
  FatFilesystem(const disk::SharedDisk& disk, int beat)
      : ReadOnlyFilesystem("an MS-DOS disk is read, not changed"),
        shared_(disk),
        disk_(shared_.disk()),
        store_(shared_.store()) {
    Find(beat);
  }

  int Score() const override { return score_; }
  std::vector<std::string> Evidence() const override { return evidence_; }
  std::string Family() const override { return score_ > 0 ? "MS-DOS" : "unknown"; }
  std::string Version() const override { return ""; }
  std::vector<std::string> Facts() const override;
  Value Fields() const override;
  std::vector<Column> TableColumns() const override {
    return {{"name", "Name"}, {"size", "Size", 0, true}, {"attr", "Attr"}, {"date", "Date"}};
  }
  std::vector<Column> ListingColumns() const override {
    return {{"name", "NAME", -24}, {"size", "SIZE", 8}, {"attr", "ATTR"}, {"date", "DATE", -10}};
  }
  int DirectoryCylinder() const override { return volume_ ? 0 : -1; }
  std::vector<Entry> List(bool deleted) const override;
  Value EntryFields(const Entry& e) const override;
  // CR LF ends a line; the text ends at the first ^Z.
  std::vector<std::uint8_t> HostText(std::vector<std::uint8_t> bytes) const override;
  std::optional<Entry> Find(const std::string& typed, bool deleted) const override;
  filesystems::FileBytes Read(const Entry& entry) const override {
    return volume_ && entry.id < directory_.files.size()
               ? volume_->ReadFile(directory_.files[entry.id])
               : filesystems::FileBytes{};
  }
  std::string ListedName(const std::string& typed) const override;
  std::string NameRule() const override { return "up to 8 and 3 letters, digits and marks"; }
  std::string NameForm() const override { return "NAME.EXT"; }
  std::vector<filesystems::Finding> Check() const override { return directory_.findings; }
  std::vector<std::string> CheckLines() const override {
    return filesystems::FindingLines(directory_.findings);
  }

 private:
  void Find(int beat);
  void WithoutBoot();
  Entry EntryOf(const File& f, std::size_t id) const;

  disk::SharedDisk shared_;
  const disk::Disk& disk_;
  const disk::SectorStore& store_;
  std::optional<Volume> volume_;
  Directory directory_;
  std::vector<std::string> evidence_;
  int score_ = 0;
};

void FatFilesystem::Find(int beat) {
  const disk::SectorRead boot = store_.Get({0, 0, 1});
  Boot b;
  if (!ReadBoot(boot.data, b)) {
    evidence_ = {kNoBoot};
    if (beat < 1) WithoutBoot();
    return;
  }
  volume_.emplace(store_, b);
  directory_ = volume_->ReadDirectories();
  score_ = 1 + 2 * static_cast<int>(directory_.files.size());
  evidence_ = {
      "a DOS boot sector at cylinder 0 head 0 sector 1: " + std::to_string(b.sector_bytes) +
          "-byte sectors, " + std::to_string(b.cluster_sectors) + " a cluster, " +
          std::to_string(b.fats) + " FATs of " + std::to_string(b.fat_sectors) + " sectors, " +
          std::to_string(b.root_entries) + " root entries, media " + HexByte(b.media),
      std::to_string(directory_.files.size()) + " files in its directories"};
}

bool Blank(const std::vector<std::uint8_t>& data) {
  return std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b == 0xE5; });
}

// No boot sector: MS-DOS only when cylinder 0 holds nothing and DOS
// directory entries lie elsewhere; what is missing is said. Cylinder 0 is
// looked at first, as on most disks it settles the question; entries are
// sought in 512-byte sectors alone, as DOS has them, and the cylinders
// that hold data only once two sectors of them were found.
void FatFilesystem::WithoutBoot() {
  for (const disk::Sector& s : disk_.sectors) {
    if (s.cylinder == 0 && !Blank(disk::SectorData(disk_, s))) return;
  }
  std::string first, names;
  int directories = 0;
  for (const disk::Sector& s : disk_.sectors) {
    if (s.size != 512) continue;
    const std::vector<std::string> found = EntriesIn(disk::SectorData(disk_, s));
    if (found.empty() || directories++ > 0) continue;
    first = disk::PlaceText({s.cylinder, s.head, s.id_sector});
    for (std::size_t k = 0; k < 3; ++k) names += (k ? ", " : "") + found[k];
  }
  if (directories < 2) return;
  std::set<int> held;  // cylinders with a sector of other bytes than E5
  for (const disk::Sector& s : disk_.sectors) {
    if (!Blank(disk::SectorData(disk_, s))) held.insert(s.cylinder);
  }
  std::vector<std::string> cylinders;
  for (int c : held) cylinders.push_back(std::to_string(c));
  score_ = 1;
  evidence_.push_back("every sector of cylinder 0 holds E5 alone, as formatting leaves it");
  evidence_.push_back("DOS directory entries in " + std::to_string(directories) +
                      " sectors, the first at " + first + " (" + names + ")");
  directory_.findings.push_back(
      {"boot-sector-missing", "",
       "the boot sector, the FATs and the root directory (cylinder 0) are not on the image: no "
       "file can be found; it holds data on cylinders " +
           JoinedWords(cylinders, ", ", " and ") + " alone"});
}

std::vector<std::string> FatFilesystem::Facts() const {
  if (score_ == 0) return {};
  std::vector<std::string> facts;
  if (!directory_.label.empty()) facts.push_back("label \"" + directory_.label + "\"");
  if (volume_) {
    facts.push_back(std::to_string(directory_.free_clusters) + " of " +
                    std::to_string(volume_->boot().Clusters()) + " clusters free");
  }
  return facts;
}

Value FatFilesystem::Fields() const {
  Value v = Value::Object().Add("label", Value::TextOrNull(directory_.label));
  v.Add("clusters_total", Value::Number(volume_ ? volume_->boot().Clusters() : 0));
  return v.Add("clusters_free", Value::Number(directory_.free_clusters));
}

Entry FatFilesystem::EntryOf(const File& f, std::size_t id) const {
  Entry e;
  e.name = f.path;
  e.size = f.size;
  e.complete = f.complete;
  e.id = id;
  e.key = static_cast<std::int64_t>(id);
  e.attributes = {{"attr", Attributes(f.attributes)}, {"date", DateText(f.date)}};
  std::string host;
  for (std::size_t at = 0, end; at <= f.path.size(); at = end + 1) {
    end = std::min(f.path.find('\\', at), f.path.size());
    const std::string part = f.path.substr(at, end - at);
    const std::size_t dot = part.find('.');
    host += (host.empty() ? "" : "/") + filesystems::HostPart(part.substr(0, dot)) +
            (dot == std::string::npos ? "" : "." + filesystems::HostPart(part.substr(dot + 1)));
  }
  e.host_name = host;
  return e;
}

Value FatFilesystem::EntryFields(const Entry& e) const {
  const File& f = directory_.files[e.id];
  Value fields = Value::Object().Add("name", Value::Text(f.name)).Add("ext", Value::Text(f.ext));
  fields.Add("path", Value::Text(f.path)).Add("size", Value::Number(f.size));
  fields.Add("attributes", Value::Text(Attributes(f.attributes)));
  fields.Add("date", Value::TextOrNull(DateText(f.date)));
  return fields.Add("first_cluster", Value::Number(f.cluster));
}

std::vector<Entry> FatFilesystem::List(bool) const {
  std::vector<Entry> out;
  for (std::size_t k = 0; k < directory_.files.size(); ++k)
    out.push_back(EntryOf(directory_.files[k], k));
  return out;
}

std::vector<std::uint8_t> FatFilesystem::HostText(std::vector<std::uint8_t> bytes) const {
  return filesystems::CrLfText(std::move(bytes));
}

std::string FatFilesystem::ListedName(const std::string& typed) const {
  std::string up = UpperAscii(typed);
  std::replace(up.begin(), up.end(), '/', '\\');
  return up;
}

std::optional<Entry> FatFilesystem::Find(const std::string& typed, bool) const {
  const std::string wanted = ListedName(typed);
  for (std::size_t k = 0; k < directory_.files.size(); ++k) {
    if (directory_.files[k].path == wanted) return EntryOf(directory_.files[k], k);
  }
  return std::nullopt;
}

}  // namespace

std::unique_ptr<filesystems::Filesystem> OpenFat(const disk::SharedDisk& disk, int beat) {
  return std::make_unique<FatFilesystem>(disk, beat);
}

}  // namespace trivane::fat
