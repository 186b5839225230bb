#include "fs/cpm/unit.h"

#include <algorithm>

#include "disk/sector_store.h"
#include "formats/text.h"
#include "fs/cpm/change.h"
#include "fs/cpm/detect.h"
#include "fs/cpm/directory.h"
#include "fs/cpm/volume.h"

namespace trivane::cpm {
namespace {

using filesystems::Column;
using filesystems::Entry;
using filesystems::Made;
using filesystems::Value;

std::string AttributesText(const File& f) {
  return std::string(f.read_only ? "R" : "-") + (f.system ? "S" : "-") + (f.archived ? "A" : "-");
}

Value FieldsOf(const File& f, std::int64_t size) {
  Value attrs = Value::Object().Add("read_only", Value::Bool(f.read_only));
  attrs.Add("system", Value::Bool(f.system)).Add("archived", Value::Bool(f.archived));
  Value extents = Value::List();
  for (const Extent& x : f.extents) {
    Value blocks = Value::List();
    for (int b : x.blocks) blocks.Add("", Value::Number(b));
    extents.Add("", Value::Object()
                        .Add("entry", Value::Number(x.slot))
                        .Add("extent", Value::Number(x.number))
                        .Add("blocks", blocks));
  }
  Value v = Value::Object().Add("user", Value::Number(f.user)).Add("name", Value::Text(f.name));
  v.Add("ext", Value::Text(f.type)).Add("records", Value::Number(f.records));
  v.Add("size", Value::Number(size)).Add("attributes", attrs);
  return v.Add("extents", extents);
}

class CpmFilesystem : public filesystems::Filesystem {
 public:
  CpmFilesystem(const disk::SharedDisk& disk, const FormatRow* as, int beat = 0)
      : shared_(disk),
        disk_(shared_.disk()),
        named_(as != nullptr),
        beat_(beat),
        store_(shared_.store()),
        found_(as != nullptr ? ReadAs(store_, *as) : Detect(store_, beat)),
        ids_(disk_, found_.p.size),
        volume_(store_, found_.p, ids_) {
    if (found_.score > 0) directory_ = ReadDirectory(volume_);
  }

  int Score() const override { return found_.score; }
  std::vector<std::string> Evidence() const override { return found_.evidence; }
  std::string Family() const override { return found_.score > 0 ? "CP/M" : "unknown"; }
  std::string Version() const override { return ""; }
  std::vector<std::string> Facts() const override;
  Value Fields() const override;
  std::vector<Column> TableColumns() const override {
    return {{"name", "Name"},          {"size", "Size", 0, true}, {"records", "Records", 0, true},
            {"user", "User", 0, true}, {"attr", "Attr"},          {"extents", "Entries", 0, true}};
  }
  std::vector<Column> ListingColumns() const override {
    return {{"user", "USER", 4}, {"file", "NAME.TYP", -12}, {"records", "RECORDS", 7},
            {"size", "SIZE", 8}, {"attr", "ATTR"},          {"extents", "ENTRIES", 7}};
  }
  int DirectoryCylinder() const override {
    return found_.score > 0 ? found_.p.off / std::max(found_.p.heads, 1) : -1;
  }
  int ReservedCylinders() const override {
    const int heads = std::max(found_.p.heads, 1);
    return found_.score > 0 ? (found_.p.off + heads - 1) / heads : 0;
  }
  std::vector<Entry> List(bool deleted) const override;
  Value EntryFields(const Entry& e) const override;
  // CR LF ends a line; the text ends at the first ^Z.
  std::vector<std::uint8_t> HostText(std::vector<std::uint8_t> bytes) const override {
    return filesystems::CrLfText(std::move(bytes));
  }
  std::optional<Entry> Find(const std::string& typed, bool deleted) const override;
  filesystems::FileBytes Read(const Entry& entry) const override {
    return ReadFile(volume_, FileOf(entry));
  }
  std::vector<filesystems::Finding> Check() const override { return directory_.findings; }
  std::vector<std::string> CheckLines() const override {
    return filesystems::FindingLines(directory_.findings);
  }
  std::string ListedName(const std::string& typed) const override;
  std::string NameRule() const override {
    return "up to 8 and 3 letters, digits and marks, a user 0-15 before a colon";
  }
  std::string NameForm() const override { return "NAME.TYP"; }
  std::string WhyNotChangeable() const override;
  Made Put(const std::string& typed, const std::vector<std::uint8_t>& bytes, bool replace,
           const std::string& date) const override;
  Made Delete(const std::string& typed) const override;
  Made Rename(const std::string& typed, const std::string& to) const override;

 private:
  Entry EntryOf(const File& f, std::size_t id) const;
  // The change, unless the changed disk would be found to be another format.
  Made KeepingTheFormat(Made made) const;
  // The live file a typed name means; nullptr for none.
  const File* Live(const std::string& typed) const;
  const File& FileOf(const Entry& e) const {
    const std::size_t live = directory_.files.size();
    return e.id < live ? directory_.files[e.id] : directory_.deleted[e.id - live];
  }

  disk::SharedDisk shared_;
  const disk::Disk& disk_;
  bool named_;  // read as the format a user named, not as found
  int beat_;
  const disk::SectorStore& store_;
  Found found_;
  TrackIds ids_;
  Volume volume_;
  Directory directory_;
};

std::vector<std::string> CpmFilesystem::Facts() const {
  if (found_.score == 0) return {};
  const Params& p = found_.p;
  std::vector<std::string> facts;
  facts.push_back(found_.row != nullptr ? std::string("format ") + found_.row->name
                                        : std::string("a format of no published name"));
  facts.push_back(p.Text());
  if (!directory_.label.empty()) facts.push_back("label \"" + directory_.label + "\"");
  facts.push_back(std::to_string(p.Blocks() - directory_.blocks_used) + " of " +
                  std::to_string(p.Blocks()) + " blocks free");
  return facts;
}

Value CpmFilesystem::Fields() const {
  const Params& p = found_.p;
  Value params = Value::Object().Add("cylinders", Value::Number(p.cylinders));
  params.Add("heads", Value::Number(p.heads)).Add("sectors", Value::Number(p.spt));
  params.Add("sector_size", Value::Number(p.size)).Add("reserved_tracks", Value::Number(p.off));
  params.Add("block_size", Value::Number(p.bls)).Add("entries", Value::Number(p.entries));
  params.Add("skew", Value::Number(p.skew));
  Value v = Value::Object();
  v.Add("format", found_.row != nullptr ? Value::Text(found_.row->word) : Value{});
  v.Add("format_name", found_.row != nullptr ? Value::Text(found_.row->name) : Value{});
  v.Add("parameters", found_.score > 0 ? params : Value{});
  v.Add("label", Value::TextOrNull(directory_.label));
  v.Add("blocks_total", Value::Number(found_.score > 0 ? p.Blocks() : 0));
  return v.Add("blocks_free",
               Value::Number(found_.score > 0 ? p.Blocks() - directory_.blocks_used : 0));
}

Entry CpmFilesystem::EntryOf(const File& f, std::size_t id) const {
  Entry e;
  e.name = f.Shown();
  e.size = f.records * 128;
  e.complete = f.complete;
  e.deleted = f.deleted;
  e.id = id;
  e.key = f.extents.front().slot;
  e.attributes = {{"user", f.deleted ? "" : std::to_string(f.user)},
                  {"file", f.type.empty() ? f.name : f.name + "." + f.type},
                  {"records", std::to_string(f.records)},
                  {"attr", AttributesText(f)},
                  {"extents", std::to_string(f.extents.size())}};
  e.host_name = f.Host();
  return e;
}

Value CpmFilesystem::EntryFields(const Entry& e) const {
  const std::size_t listed = directory_.files.size();
  return FieldsOf(e.id < listed ? directory_.files[e.id] : directory_.deleted[e.id - listed],
                  e.size);
}

std::vector<Entry> CpmFilesystem::List(bool deleted) const {
  std::vector<Entry> out;
  for (std::size_t k = 0; k < directory_.files.size(); ++k)
    out.push_back(EntryOf(directory_.files[k], k));
  if (!deleted) return out;
  for (std::size_t k = 0; k < directory_.deleted.size(); ++k) {
    out.push_back(EntryOf(directory_.deleted[k], directory_.files.size() + k));
  }
  return out;
}

std::string CpmFilesystem::ListedName(const std::string& typed) const {
  FileName n;
  return ParseName(typed, n) ? n.Shown() : "";
}

std::string CpmFilesystem::WhyNotChangeable() const {
  if (std::string why = filesystems::DiskRefusal(disk_); !why.empty()) return why;
  if (found_.score == 0) return "no CP/M directory was recognised on the disk";
  // A hard disk's drives are found by hunting, on one real image.
  if (disk_.container == disk::Container::kReed) {
    return "a CP/M hard disk's drives are read, not changed: their parameters were hunted, and no "
           "second real one confirmed them";
  }
  for (const filesystems::Finding& f : directory_.findings) {
    if (f.kind != "unreadable") {
      return "the directory is in doubt (" + f.kind + (f.file.empty() ? "" : " " + f.file) + ": " +
             f.detail + ")";
    }
  }
  if (!found_.doubt.empty()) {
    std::string remedy;
    for (const std::string& word : found_.doubt_words) {
      remedy += (remedy.empty() ? "; name it with --format " : " or --format ") + word;
    }
    return "its format is not settled (" + found_.doubt +
           " reads as well): a change could be written where its DOS does not read it" + remedy;
  }
  return "";
}

const File* CpmFilesystem::Live(const std::string& typed) const {
  FileName n;
  if (!ParseName(typed, n)) return nullptr;
  for (const File& f : directory_.files) {
    if (f.user == n.user && f.name == n.name && f.type == n.type) return &f;
  }
  return nullptr;
}

Made CpmFilesystem::Put(const std::string& typed, const std::vector<std::uint8_t>& bytes,
                        bool replace, const std::string&) const {
  FileName n;
  if (!ParseName(typed, n)) return filesystems::Refused("not a CP/M name: " + typed);
  if (std::string why = WhyNotChangeable(); !why.empty()) return filesystems::Refused(why);
  return KeepingTheFormat(PutFile(disk_, found_.p, directory_, n, bytes, replace));
}

Made CpmFilesystem::Delete(const std::string& typed) const {
  if (std::string why = WhyNotChangeable(); !why.empty()) return filesystems::Refused(why);
  const File* f = Live(typed);
  if (f == nullptr) return filesystems::Refused("no file " + typed + " on the disk");
  return KeepingTheFormat(DeleteFile(disk_, found_.p, *f));
}

Made CpmFilesystem::Rename(const std::string& typed, const std::string& to) const {
  FileName n;
  if (!ParseName(to, n)) return filesystems::Refused("not a CP/M name: " + to);
  if (std::string why = WhyNotChangeable(); !why.empty()) return filesystems::Refused(why);
  const File* f = Live(typed);
  if (f == nullptr) return filesystems::Refused("no file " + typed + " on the disk");
  return KeepingTheFormat(RenameFile(disk_, found_.p, directory_, *f, n));
}

// A format found, not named, rests on what the disk holds, its files among
// it (a text file's ^Z run can settle the skew): where the changed disk
// would be found to be another format, the files left on it would read
// otherwise. A disk left with no live file has none to read otherwise.
Made CpmFilesystem::KeepingTheFormat(Made made) const {
  if (!made.error.empty() || named_) return made;
  const bool emptied = made.kind == Made::kDeleted && directory_.files.size() == 1;
  const Found after = Detect(disk::SectorStore(made.disk), beat_);
  if (after.score > 0 && (after.p == found_.p || emptied)) return made;
  return filesystems::Refused("changed so, the disk would no longer be found to be " +
                              found_.p.Text() + " (its format rests on what the change alters)");
}

std::optional<Entry> CpmFilesystem::Find(const std::string& typed, bool deleted) const {
  const std::string wanted = ListedName(typed);
  if (wanted.empty()) return std::nullopt;
  for (const Entry& e : List(deleted)) {
    if (UpperAscii(e.name) == wanted) return e;
  }
  return std::nullopt;
}

}  // namespace

std::unique_ptr<filesystems::Filesystem> OpenCpm(const disk::SharedDisk& disk, int beat) {
  return std::make_unique<CpmFilesystem>(disk, nullptr, beat);
}

std::unique_ptr<filesystems::Filesystem> OpenCpmAs(const disk::SharedDisk& disk,
                                                   const std::string& format) {
  const FormatRow* row = FormatNamed(format);
  return row != nullptr ? std::make_unique<CpmFilesystem>(disk, row) : nullptr;
}

}  // namespace trivane::cpm
