// The changes themselves: a new entry (and extended entries) with the file's
// granules taken as the DOS takes them, its data written into their
// sectors; an entry deleted or renamed as the DOS does it (which bytes, the
// HIT, the GAT).
#include "fs/trsdos/change.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "disk/reed.h"
#include "formats/reed.h"
#include "fs/filesystem.h"
#include "fs/trsdos/directory_bytes.h"
#include "fs/trsdos/directory_edit.h"

namespace trivane::trsdos {

using filesystems::Refused;

bool SystemFile(const File& f) {
  return f.Shown() == "BOOT/SYS" || f.Shown() == "DIR/SYS";
}

bool DosName(const std::string& text, std::string& name, std::string& ext) {
  std::string t = text;
  for (char& ch : t) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  const std::size_t cut = t.find_first_of("/.");
  name = t.substr(0, cut);
  ext = cut == std::string::npos ? "" : t.substr(cut + 1);
  const auto alnum = [](const std::string& s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
  };
  return !name.empty() && name.size() <= 8 && ext.size() <= 3 &&
         std::isalpha(static_cast<unsigned char>(name[0])) && alnum(name) && alnum(ext);
}

Made DeleteFile(const disk::Disk& disk, const Catalogue& before, const std::string& shown) {
  if (std::string why = WhyNotChangeable(disk, before); !why.empty()) return Refused(why);
  const File* f = FindFile(before, shown, false);
  if (f == nullptr) return Refused("no file " + shown + " on the disk");
  if (SystemFile(*f)) return Refused(f->Shown() + " is the DOS's own: it is not deleted");
  disk::Disk work = disk;
  disk::SectorStore store(work);
  DirectoryEdit dir(store, before);
  dir.Remove(*f);
  if (!dir.Flush()) return Refused("a directory sector cannot be written");
  return {Made::kDeleted, f->dec, "", {}, std::move(work), ""};
}

Made RenameFile(const disk::Disk& disk, const Catalogue& before, const std::string& shown,
                const std::string& name, const std::string& ext) {
  if (std::string why = WhyNotChangeable(disk, before); !why.empty()) return Refused(why);
  const File* f = FindFile(before, shown, false);
  const std::string to = ext.empty() ? name : name + "/" + ext;
  if (f == nullptr) return Refused("no file " + shown + " on the disk");
  if (SystemFile(*f)) return Refused(f->Shown() + " is the DOS's own: it is not renamed");
  if (FindFile(before, to, false) != nullptr) {
    return Refused("a file " + to + " is on the disk already");
  }
  disk::Disk work = disk;
  disk::SectorStore store(work);
  DirectoryEdit dir(store, before);
  PutName(dir.Entry(f->dec), name, ext);
  for (int dec : f->entries) dir.Hit(dec) = NameHashOf(name, ext);
  if (!dir.Flush()) return Refused("a directory sector cannot be written");
  return {Made::kRenamed, f->dec, to, {}, std::move(work), ""};
}

std::string WhyNotChangeable(const disk::Disk& disk, const Catalogue& c) {
  if (std::string why = filesystems::DiskRefusal(disk); !why.empty()) return why;
  if (c.family == Family::kUnknown) return "no DOS directory was recognised on the disk";
  if (c.family == Family::kMultidos) {
    return "a MULTIDOS disk is read, not changed: no real one confirmed how MULTIDOS changes its "
           "directory";
  }
  // Hard-disk drives are changed as LDOS and LS-DOS lay them out, which a
  // real image confirms; another family's hard-disk layout is not known.
  if (disk.container == disk::Container::kReed) {
    const int system = disk::ReedHeaderOf(disk.image).system;
    const bool ldos = c.family == Family::kLdos || c.family == Family::kLsdos;
    if (!ldos || (system != reed::kLdos && system != reed::kLsdos)) {
      return "a " + disk::ReedSystemName(system) + " hard disk's " + FamilyName(c.family) +
             " drives are read, not changed: no real one confirmed how it lays them out";
    }
  }
  for (const Finding& f : c.findings) {
    if (f.kind == "granule-twice" || f.kind == "bad-link" || f.kind == "directory-sector" ||
        (f.kind == "crc-error" && f.file == "DIR/SYS")) {
      return "the directory's allocation is in doubt (" + f.kind +
             (f.file.empty() ? "" : " " + f.file) + ": " + f.detail + ")";
    }
  }
  return "";
}

}  // namespace trivane::trsdos
