#include "fs/trsdos/change_proof.h"

#include <algorithm>
#include <map>

#include "disk/container.h"

namespace trivane::trsdos {
namespace {

// Files are told by their entry's DEC: a disk may hold two of one name.
const File* AtDec(const Catalogue& c, int dec) {
  for (const File& f : c.files) {
    if (f.dec == dec) return &f;
  }
  return nullptr;
}

// The file of that name that is not one of the kept ones.
const File* Made(const Catalogue& c0, const Catalogue& c1, const Expect& x) {
  for (const File& f : c1.files) {
    const File* there = AtDec(c0, f.dec);
    if (f.Shown() == x.new_name && (there == nullptr || f.dec == x.old_dec)) return &f;
  }
  return nullptr;
}

bool SameEntry(const File& a, const File& b) {
  if (a.dec != b.dec || a.attributes != b.attributes || a.size != b.size ||
      a.extents.size() != b.extents.size()) {
    return false;
  }
  for (std::size_t k = 0; k < a.extents.size(); ++k) {
    if (a.extents[k].raw[0] != b.extents[k].raw[0] || a.extents[k].raw[1] != b.extents[k].raw[1])
      return false;
  }
  return true;
}

// Every file but the changed one as it was; the changed one as expected.
std::string Differences(const disk::Disk& d0, const Catalogue& c0, const disk::Disk& d1,
                        const Catalogue& c1, const Expect& x) {
  if (c1.family != c0.family) return std::string("the disk reads back as ") + FamilyName(c1.family);
  for (const File& f : c0.files) {
    if (f.dec == x.old_dec) continue;
    // DIR/SYS's bytes are the directory itself, which the change changed.
    const File* g = AtDec(c1, f.dec);
    if (g == nullptr || g->Shown() != f.Shown() || !SameEntry(f, *g) ||
        (f.Shown() != "DIR/SYS" && ReadFile(d0, c0, f).bytes != ReadFile(d1, c1, *g).bytes))
      return f.Shown() + " reads back otherwise";
  }
  const int more = x.kind == Expect::kPut ? 1 : x.kind == Expect::kDeleted ? -1 : 0;
  if (c1.files.size() != c0.files.size() + more) return "the number of files reads back otherwise";
  const File* old = AtDec(c0, x.old_dec);
  if (x.kind == Expect::kDeleted) {
    return AtDec(c1, x.old_dec) == nullptr ? "" : old->Shown() + " is still there";
  }
  const File* made = Made(c0, c1, x);
  const std::vector<std::uint8_t> meant =
      x.kind == Expect::kRenamed ? ReadFile(d0, c0, *old).bytes : x.data;
  if (made == nullptr || !made->complete || ReadFile(d1, c1, *made).bytes != meant ||
      (x.kind == Expect::kRenamed && made->dec != x.old_dec))
    return x.new_name + " reads back otherwise";
  return "";
}

// A finding of a kind there were fewer of before.
std::string NewFinding(const Catalogue& c0, const Catalogue& c1) {
  std::map<std::string, int> count;
  for (const Finding& f : c0.findings) ++count[f.kind];
  for (const Finding& f : c1.findings) {
    if (--count[f.kind] < 0) return "a new finding: " + f.kind + " " + f.file + ": " + f.detail;
  }
  return "";
}

}  // namespace

Changed Prove(const disk::Disk& before, const Catalogue& listed, disk::Disk changed,
              const Expect& expect) {
  disk::Written w =
      disk::FormatOf(changed.container).write(changed, disk::OptionsAsRead(changed));
  if (!w.losses.empty()) {
    return {{}, {}, "the container cannot hold the changed disk: " + w.losses.front(), false};
  }
  Changed out{disk::ReadDisk(ImageBuffer(w.bytes)), std::move(w.bytes), "", false};
  const Catalogue after = ReadCatalogue(out.disk);
  out.error = Differences(before, listed, out.disk, after, expect);
  if (out.error.empty()) out.error = NewFinding(listed, after);
  out.fault = !out.error.empty();
  if (out.fault) out.bytes.clear();
  return out;
}

std::string WhyNotChangeable(const disk::Disk& disk) {
  if (!disk.error.empty()) return disk.error;
  if (disk.write_protected) return "the image is write-protected";
  const Catalogue c = ReadCatalogue(disk);
  if (c.family == Family::kUnknown) return "no DOS directory was recognised on the disk";
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
