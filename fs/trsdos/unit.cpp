#include "fs/trsdos/unit.h"

#include <algorithm>

#include "disk/sector_store.h"
#include "formats/text.h"
#include "fs/trsdos/change.h"
#include "fs/trsdos/families.h"
#include "fs/trsdos/format.h"

namespace trivane::trsdos {
namespace {

using filesystems::Entry;

class TrsdosFilesystem : public filesystems::Filesystem {
 public:
  explicit TrsdosFilesystem(const disk::SharedDisk& disk)
      : shared_(disk),
        disk_(shared_.disk()),
        store_(shared_.store()),
        catalogue_(ReadCatalogue(store_)) {}

  int Score() const override { return catalogue_.score; }
  std::vector<std::string> Evidence() const override { return catalogue_.evidence; }
  std::string Family() const override { return FamilyName(catalogue_.family); }
  std::string Version() const override { return catalogue_.version; }
  std::vector<std::string> Facts() const override;
  filesystems::Value Fields() const override;
  std::vector<filesystems::Column> TableColumns() const override {
    return {{"name", "Name/Ext"}, {"size", "Size", 0, true}, {"lrl", "LRL", 0, true},
            {"attr", "Attr"},     {"date", "Date"},          {"extents", "Extents"}};
  }
  std::vector<filesystems::Column> ListingColumns() const override {
    return {{"name", "NAME/EXT", -12}, {"attr", "ATTR"},
            {"lrl", "LRL", 3},         {"size", "SIZE", 8},
            {"date", "DATE", -10},     {"extents", "EXTENTS (granule+count)"}};
  }
  int DirectoryCylinder() const override {
    return known() ? catalogue_.layout.DirectorySector(0).cylinder : -1;
  }
  std::vector<Entry> List(bool deleted) const override;
  filesystems::Value EntryFields(const Entry& e) const override;
  std::optional<Entry> Find(const std::string& typed, bool deleted) const override {
    const File* f = FindFile(catalogue_, typed, deleted);
    if (f == nullptr) return std::nullopt;
    return EntryOf(*f);
  }
  filesystems::FileBytes Read(const Entry& entry) const override {
    return ReadFile(store_, catalogue_, FileOf(entry));
  }
  std::vector<filesystems::Finding> Check() const override {
    std::vector<filesystems::Finding> out;
    for (const Finding& f : catalogue_.findings) out.push_back({f.kind, f.file, f.detail});
    return out;
  }
  std::vector<std::string> CheckLines() const override { return FindingLines(catalogue_.findings); }
  std::string ListedName(const std::string& typed) const override {
    std::string name, ext;
    if (!DosName(typed, name, ext)) return "";
    return ext.empty() ? name : name + "/" + ext;
  }
  std::string NameRule() const override {
    return "letters and digits, first a letter, up to 8 and 3";
  }
  std::string NameForm() const override { return "NAME/EXT"; }
  std::string WhyNotChangeable() const override {
    return trsdos::WhyNotChangeable(disk_, catalogue_);
  }
  Made Put(const std::string& typed, const std::vector<std::uint8_t>& bytes, bool replace,
           const std::string& date) const override {
    std::string name, ext;
    if (!DosName(typed, name, ext)) return filesystems::Refused("not a DOS name: " + typed);
    return PutFile(disk_, catalogue_, name, ext, bytes, replace, date);
  }
  Made Delete(const std::string& typed) const override {
    return DeleteFile(disk_, catalogue_, typed);
  }
  Made Rename(const std::string& typed, const std::string& to) const override {
    std::string name, ext;
    if (!DosName(to, name, ext)) return filesystems::Refused("not a DOS name: " + to);
    return RenameFile(disk_, catalogue_, typed, name, ext);
  }

 private:
  bool known() const { return catalogue_.family != trsdos::Family::kUnknown; }
  Entry EntryOf(const File& f) const;
  bool HoldsDirectory(const File& f) const;
  const File& FileOf(const Entry& entry) const {
    const std::size_t live = catalogue_.files.size();
    return entry.id < live ? catalogue_.files[entry.id] : catalogue_.deleted[entry.id - live];
  }

  disk::SharedDisk shared_;
  const disk::Disk& disk_;
  const disk::SectorStore& store_;
  Catalogue catalogue_;
};

std::vector<std::string> TrsdosFilesystem::Facts() const {
  if (!known()) return {};
  const Catalogue& c = catalogue_;
  return {"disk \"" + c.disk_name + "\" dated \"" + c.disk_date + "\"",
          std::to_string(c.granules_free) + " of " + std::to_string(c.granules_total) +
              " granules free"};
}

filesystems::Value TrsdosFilesystem::Fields() const {
  using filesystems::Value;
  Value v = Value::Object();
  v.Add("disk_name", Value::Text(catalogue_.disk_name));
  v.Add("disk_date", Value::Text(catalogue_.disk_date));
  v.Add("granules_total", Value::Number(catalogue_.granules_total));
  return v.Add("granules_free", Value::Number(catalogue_.granules_free));
}

// NAME, EXT, size, record length, EOF, ERN, attributes, date, extents.
filesystems::Value FieldsOf(const File& f) {
  using filesystems::Value;
  Value attrs = Value::Object();
  attrs.Add("system", Value::Bool(f.system)).Add("invisible", Value::Bool(f.invisible));
  attrs.Add("pds", Value::Bool(f.pds)).Add("protection", Value::Number(f.protection));
  Value extents = Value::List();
  for (const Extent& x : f.extents) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string raw;
    for (const std::uint8_t b : x.raw) raw += {kHex[b >> 4], kHex[b & 15]};
    Value e = Value::Object().Add("raw", Value::Text(raw));
    extents.Add("", e.Add("first_granule", Value::Number(x.first_granule))
                        .Add("granules", Value::Number(x.granules)));
  }
  Value v = Value::Object().Add("name", Value::Text(f.name)).Add("ext", Value::Text(f.ext));
  v.Add("size", Value::Number(f.size)).Add("lrl", Value::Number(f.lrl));
  v.Add("eof", Value::Number(f.eof)).Add("ern", Value::Number(f.ern));
  v.Add("attrs", attrs).Add("date", Value::TextOrNull(f.date));
  return v.Add("extents", extents);
}

// A file whose extents hold a directory sector (DIR/SYS under a damaged
// name): its bytes change with every change.
bool TrsdosFilesystem::HoldsDirectory(const File& f) const {
  const Layout& l = catalogue_.layout;
  for (const Extent& x : f.extents) {
    for (int g = std::max(x.first_granule, 0);
         g < x.first_granule + x.granules && g < l.TotalGranules(); ++g) {
      for (const Place& p : l.Granule(g)) {
        for (int i = 0; i < l.dir_sectors; ++i) {
          const Place d = l.DirectorySector(i);
          if (p.cylinder == d.cylinder && p.head == d.head && p.sector == d.sector) return true;
        }
      }
    }
  }
  return false;
}

Entry TrsdosFilesystem::EntryOf(const File& f) const {
  const bool deleted = catalogue_.IsDeleted(&f);
  Entry e;
  e.name = f.Shown();
  e.size = f.size;
  e.complete = f.complete;
  e.deleted = deleted;
  e.key = f.dec;
  e.directory = f.Shown() == "DIR/SYS" || HoldsDirectory(f);
  e.id = deleted
             ? catalogue_.files.size() + static_cast<std::size_t>(&f - catalogue_.deleted.data())
             : static_cast<std::size_t>(&f - catalogue_.files.data());
  e.attributes = {{"attr", AttributesText(f)},
                  {"lrl", std::to_string(f.lrl)},
                  {"date", f.date},
                  {"extents", ExtentsText(f)}};
  e.host_name = f.ext.empty() ? filesystems::HostPart(f.name)
                              : filesystems::HostPart(f.name) + "." + filesystems::HostPart(f.ext);
  return e;
}

filesystems::Value TrsdosFilesystem::EntryFields(const Entry& e) const {
  const std::size_t listed = catalogue_.files.size();
  return FieldsOf(e.id < listed ? catalogue_.files[e.id] : catalogue_.deleted[e.id - listed]);
}

std::vector<Entry> TrsdosFilesystem::List(bool deleted) const {
  std::vector<Entry> out;
  for (const File& f : catalogue_.files) out.push_back(EntryOf(f));
  if (deleted) {
    for (const File& f : catalogue_.deleted) out.push_back(EntryOf(f));
  }
  return out;
}

}  // namespace

std::unique_ptr<filesystems::Filesystem> OpenTrsdos(const disk::SharedDisk& disk, int) {
  return std::make_unique<TrsdosFilesystem>(disk);
}

std::vector<filesystems::FormatChoice> TrsdosFormats() {
  std::vector<filesystems::FormatChoice> out;
  for (const FamilyRow* r : Formatted()) out.push_back({r->rule.word, r->name, ""});
  return out;
}

filesystems::NewDisk FormatTrsdos(const filesystems::FormatRequest& r) {
  const NewDiskRequest q{
      FormattedNamed(r.dos), r.cylinders, r.heads, r.density, r.name, r.date, r.container};
  return r.container == disk::Container::kReed ? FormatHardDisk(q, r.drives) : FormatDisk(q);
}

}  // namespace trivane::trsdos
