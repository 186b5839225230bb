#include "fs/trsdos/unit.h"

#include "disk/sector_store.h"
#include "formats/text.h"
#include "fs/trsdos/change.h"

namespace trivane::trsdos {
namespace {

using filesystems::Entry;

class TrsdosFilesystem : public filesystems::Filesystem {
 public:
  explicit TrsdosFilesystem(const disk::Disk& disk)
      : disk_(disk), store_(disk_), catalogue_(ReadCatalogue(store_)) {}

  int Score() const override { return catalogue_.score; }
  std::vector<std::string> Evidence() const override { return catalogue_.evidence; }
  std::string Name() const override {
    const std::string family = Family();
    return catalogue_.version.empty() ? family : family + " " + catalogue_.version;
  }
  std::string Family() const override { return FamilyName(catalogue_.family); }
  std::vector<Entry> List(bool deleted) const override;
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
  std::string WhyNotChangeable() const override { return trsdos::WhyNotChangeable(disk_); }
  Made Put(const std::string& typed, const std::vector<std::uint8_t>& bytes, bool replace,
           const std::string& date) const override {
    std::string name, ext;
    if (!DosName(typed, name, ext)) return filesystems::Refused("not a DOS name: " + typed);
    return PutFile(disk_, name, ext, bytes, replace, date);
  }
  Made Delete(const std::string& typed) const override { return DeleteFile(disk_, typed); }
  Made Rename(const std::string& typed, const std::string& to) const override {
    std::string name, ext;
    if (!DosName(to, name, ext)) return filesystems::Refused("not a DOS name: " + to);
    return RenameFile(disk_, typed, name, ext);
  }

 private:
  Entry EntryOf(const File& f) const;
  const File& FileOf(const Entry& entry) const {
    const std::size_t live = catalogue_.files.size();
    return entry.id < live ? catalogue_.files[entry.id] : catalogue_.deleted[entry.id - live];
  }

  disk::Disk disk_;
  disk::SectorStore store_;
  Catalogue catalogue_;
};

Entry TrsdosFilesystem::EntryOf(const File& f) const {
  const bool deleted = catalogue_.IsDeleted(&f);
  Entry e{f.Shown(), f.size, f.complete, deleted, {}, 0, f.dec, f.Shown() == "DIR/SYS"};
  e.id = deleted
             ? catalogue_.files.size() + static_cast<std::size_t>(&f - catalogue_.deleted.data())
             : static_cast<std::size_t>(&f - catalogue_.files.data());
  e.attributes = {{"attributes", AttributesText(f)},
                  {"lrl", std::to_string(f.lrl)},
                  {"date", f.date},
                  {"extents", ExtentsText(f)}};
  return e;
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

const File* FindFile(const Catalogue& c, const std::string& name, bool all) {
  const std::string wanted = UpperAscii(name.substr(0, name.find(':')));
  std::string dotted = wanted;  // NAME.EXT
  if (const auto dot = dotted.rfind('.'); dot != std::string::npos) dotted[dot] = '/';
  for (const auto* files : {&c.files, &c.deleted}) {
    if (files == &c.deleted && !all) break;
    for (const File& f : *files) {
      const std::string shown = UpperAscii(f.Shown());
      if (shown == wanted || shown == dotted) return &f;
    }
  }
  return nullptr;
}

std::unique_ptr<filesystems::Filesystem> OpenTrsdos(const disk::Disk& disk) {
  return std::make_unique<TrsdosFilesystem>(disk);
}

}  // namespace trivane::trsdos
