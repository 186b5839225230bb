#include "fs/psystem/unit.h"

#include <map>
#include <optional>

#include "disk/sector_store.h"
#include "formats/text.h"
#include "fs/cpm/params.h"
#include "fs/cpm/volume.h"
#include "fs/psystem/directory.h"

namespace trivane::psystem {
namespace {

using filesystems::Column;
using filesystems::Entry;
using filesystems::Value;

constexpr int kDirectoryBytes = 4 * kBlock;
constexpr std::size_t kTextHeader = 2 * kBlock;

// The name split as the listings show it: "SYSTEM" and "PASCAL".
std::pair<std::string, std::string> Parts(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {name, ""};
  return {name.substr(0, dot), name.substr(dot + 1)};
}

class PsystemFilesystem : public filesystems::ReadOnlyFilesystem {
 public:
  explicit PsystemFilesystem(const disk::SharedDisk& disk)
      : ReadOnlyFilesystem("a UCSD p-System volume is read, not changed"),
        shared_(disk),
        disk_(shared_.disk()),
        store_(shared_.store()) {
    Find();
  }

  int Score() const override {
    return row_ == nullptr ? 0 : 1 + 2 * static_cast<int>(directory_.files.size());
  }
  std::vector<std::string> Evidence() const override { return evidence_; }
  std::string Family() const override { return row_ != nullptr ? "UCSD p-System" : "unknown"; }
  std::string Version() const override { return ""; }
  std::vector<std::string> Facts() const override;
  Value Fields() const override;
  std::vector<Column> TableColumns() const override {
    return {{"name", "Name"},
            {"size", "Size", 0, true},
            {"kind", "Kind"},
            {"date", "Date"},
            {"blocks", "Blocks", 0, true}};
  }
  std::vector<Column> ListingColumns() const override {
    return {{"name", "NAME", -16},
            {"kind", "KIND", -5},
            {"size", "SIZE", 8},
            {"date", "DATE", -8},
            {"blocks", "BLOCKS", 8}};
  }
  int DirectoryCylinder() const override {
    return row_ != nullptr ? row_->params.off / row_->params.heads : -1;
  }
  int ReservedCylinders() const override {
    return row_ != nullptr ? (row_->params.off + row_->params.heads - 1) / row_->params.heads : 0;
  }
  std::vector<Entry> List(bool deleted) const override;
  Value EntryFields(const Entry& e) const override;
  // A text file: its first two blocks the editor's own, then pages of
  // lines; CR ends a line, DLE and a count stand for that many blanks less
  // 32, and each page ends in NULs.
  std::vector<std::uint8_t> HostText(std::vector<std::uint8_t> bytes) const override;
  std::optional<Entry> Find(const std::string& typed, bool deleted) const override;
  filesystems::FileBytes Read(const Entry& entry) const override;
  std::string ListedName(const std::string& typed) const override {
    const std::string up = UpperAscii(typed);
    return up.empty() || up.size() > 15 ? "" : up;
  }
  std::string NameRule() const override { return "up to 15 characters"; }
  std::string NameForm() const override { return "NAME.TYPE"; }
  std::vector<filesystems::Finding> Check() const override { return directory_.findings; }
  std::vector<std::string> CheckLines() const override {
    return filesystems::FindingLines(directory_.findings);
  }

 private:
  void Find();
  Entry EntryOf(const File& f, std::size_t id) const;

  disk::SharedDisk shared_;
  const disk::Disk& disk_;
  const disk::SectorStore& store_;
  const cpm::FormatRow* row_ = nullptr;  // the CP/M format whose data area holds the volume
  cpm::Params params_;
  std::optional<cpm::TrackIds> ids_;
  Directory directory_;
  std::vector<std::string> evidence_;
};

// The first CP/M format of the disk's heads whose data area holds a volume
// directory in block 2.
void PsystemFilesystem::Find() {
  const cpm::Held held = cpm::HeldTracks(disk_);
  std::map<int, cpm::TrackIds> ids_of;  // by sector size: many formats share one
  for (const cpm::FormatRow& row : cpm::Formats()) {
    if (row.params.heads != held.heads || held.cylinders < row.params.cylinders) continue;
    cpm::Params p = row.params;
    p.cylinders = held.cylinders;
    const cpm::TrackIds& ids = ids_of.try_emplace(p.size, disk_, p.size).first->second;
    filesystems::FileBytes b;
    cpm::Volume(store_, p, ids).Read(std::int64_t{kDirectoryBlock} * kBlock, kDirectoryBytes, b);
    Directory d;
    if (!b.whole() || !ReadDirectory(b.bytes, d)) continue;
    row_ = &row;
    params_ = p;
    ids_.emplace(ids);
    directory_ = std::move(d);
    evidence_ = {"a p-System volume directory in block 2 of the data area as " +
                     std::string(row.name) + " lays it out (" + row.params.Text() + ")",
                 "volume " + directory_.volume + ": " + std::to_string(directory_.blocks) +
                     " blocks, " + std::to_string(directory_.files.size()) + " files"};
    return;
  }
  evidence_ = {"no p-System volume directory in block 2 of any CP/M format's data area"};
}

std::vector<std::string> PsystemFilesystem::Facts() const {
  if (row_ == nullptr) return {};
  int used = directory_.directory_end;
  for (const File& f : directory_.files) used += f.next - f.first;
  return {
      "volume \"" + directory_.volume + "\"" +
          (DateText(directory_.date).empty() ? "" : " dated \"" + DateText(directory_.date) + "\""),
      std::to_string(directory_.blocks - used) + " of " + std::to_string(directory_.blocks) +
          " blocks free"};
}

Value PsystemFilesystem::Fields() const {
  Value v = Value::Object().Add("volume", Value::TextOrNull(directory_.volume));
  v.Add("volume_date", Value::TextOrNull(DateText(directory_.date)));
  return v.Add("blocks_total", Value::Number(directory_.blocks));
}

Entry PsystemFilesystem::EntryOf(const File& f, std::size_t id) const {
  Entry e;
  e.name = f.name;
  e.size = f.Size();
  e.id = id;
  e.key = static_cast<std::int64_t>(id) + 1;
  const std::string blocks = std::to_string(f.next - f.first);
  e.attributes = {{"kind", f.Kind()}, {"date", DateText(f.date)}, {"blocks", blocks}};
  e.host_name =
      filesystems::HostPart(Parts(f.name).first) +
      (Parts(f.name).second.empty() ? "" : "." + filesystems::HostPart(Parts(f.name).second));
  for (const filesystems::Finding& x : directory_.findings)
    e.complete = e.complete && x.file != f.name;
  e.complete = e.complete &&
               cpm::Volume(store_, params_, *ids_).Whole(std::int64_t{f.first} * kBlock, f.Size());
  return e;
}

Value PsystemFilesystem::EntryFields(const Entry& e) const {
  const File& f = directory_.files[e.id];
  Value fields = Value::Object().Add("name", Value::Text(Parts(f.name).first));
  fields.Add("ext", Value::Text(Parts(f.name).second)).Add("size", Value::Number(f.Size()));
  fields.Add("kind", Value::Text(f.Kind())).Add("date", Value::TextOrNull(DateText(f.date)));
  return fields.Add("first_block", Value::Number(f.first))
      .Add("blocks", Value::Number(f.next - f.first));
}

std::vector<Entry> PsystemFilesystem::List(bool) const {
  std::vector<Entry> out;
  for (std::size_t k = 0; k < directory_.files.size(); ++k)
    out.push_back(EntryOf(directory_.files[k], k));
  return out;
}

std::optional<Entry> PsystemFilesystem::Find(const std::string& typed, bool) const {
  const std::string wanted = ListedName(typed);
  for (std::size_t k = 0; k < directory_.files.size(); ++k) {
    if (UpperAscii(directory_.files[k].name) == wanted) return EntryOf(directory_.files[k], k);
  }
  return std::nullopt;
}

filesystems::FileBytes PsystemFilesystem::Read(const Entry& entry) const {
  filesystems::FileBytes out;
  if (row_ == nullptr || entry.id >= directory_.files.size()) return out;
  const File& f = directory_.files[entry.id];
  cpm::Volume(store_, params_, *ids_).Read(std::int64_t{f.first} * kBlock, f.Size(), out);
  return out;
}

std::vector<std::uint8_t> PsystemFilesystem::HostText(std::vector<std::uint8_t> bytes) const {
  std::vector<std::uint8_t> out;
  for (std::size_t k = bytes.size() > kTextHeader ? kTextHeader : 0; k < bytes.size(); ++k) {
    if (bytes[k] == 0) continue;
    if (bytes[k] == 0x10 && k + 1 < bytes.size()) {
      out.insert(out.end(), static_cast<std::size_t>(std::max(bytes[++k] - 32, 0)), ' ');
      continue;
    }
    out.push_back(bytes[k] == '\r' ? '\n' : bytes[k]);
  }
  return out;
}

}  // namespace

std::unique_ptr<filesystems::Filesystem> OpenPsystem(const disk::SharedDisk& disk, int) {
  return std::make_unique<PsystemFilesystem>(disk);
}

}  // namespace trivane::psystem
