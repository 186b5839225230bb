#include "ops/prove.h"

#include <map>

#include "disk/container.h"
#include "disk/reed.h"
#include "ops/filesystems.h"

namespace trivane::ops {
namespace {

using filesystems::Entry;
using filesystems::Filesystem;
using filesystems::Made;

// Files are told by their entry's key: a disk may hold two of one name.
const Entry* AtKey(const std::vector<Entry>& entries, std::int64_t key) {
  for (const Entry& e : entries) {
    if (e.key == key) return &e;
  }
  return nullptr;
}

bool SameEntry(const Entry& a, const Entry& b) {
  if (a.name != b.name || a.size != b.size || a.attributes.size() != b.attributes.size()) {
    return false;
  }
  for (std::size_t k = 0; k < a.attributes.size(); ++k) {
    if (a.attributes[k].name != b.attributes[k].name ||
        a.attributes[k].value != b.attributes[k].value)
      return false;
  }
  return true;
}

// The changed file as meant: gone, or there under its new name with its bytes.
std::string ChangedFile(const Filesystem& fs0, const std::vector<Entry>& e0, const Filesystem& fs1,
                        const std::vector<Entry>& e1, const Made& x) {
  const int more = x.kind == Made::kPut ? 1 : x.kind == Made::kDeleted ? -1 : 0;
  if (e1.size() != e0.size() + more) return "the number of files reads back otherwise";
  const Entry* old = AtKey(e0, x.key);
  if (x.kind != Made::kPut && old == nullptr) return "the changed file was not listed";
  if (x.kind == Made::kDeleted)
    return AtKey(e1, x.key) == nullptr ? "" : old->name + " is still there";
  const Entry* made = nullptr;
  for (const Entry& f : e1) {
    if (f.name == x.name && (AtKey(e0, f.key) == nullptr || f.key == x.key)) {
      made = &f;
      break;
    }
  }
  // A renamed file reads as it did, whole or not; a put one reads whole.
  const bool renamed = x.kind == Made::kRenamed;
  const std::vector<std::uint8_t> meant = renamed ? fs0.Read(*old).bytes : x.data;
  if (made == nullptr || made->complete != (!renamed || old->complete) ||
      fs1.Read(*made).bytes != meant || (renamed && made->key != x.key))
    return x.name + " reads back otherwise";
  return "";
}

// A finding of a kind there were fewer of before.
std::string NewFinding(const Filesystem& fs0, const Filesystem& fs1) {
  std::map<std::string, int> count;
  for (const filesystems::Finding& f : fs0.Check()) ++count[f.kind];
  for (const filesystems::Finding& f : fs1.Check()) {
    if (--count[f.kind] < 0) return "a new finding: " + f.kind + " " + f.file + ": " + f.detail;
  }
  return "";
}

filesystems::Changed NotDone(std::string why) {
  filesystems::Changed c;
  c.error = std::move(why);
  return c;
}

}  // namespace

std::string ReadsBackOtherwise(const Filesystem& before, const std::vector<Entry>& listed,
                               const Filesystem& after, const std::vector<Entry>& listed_after,
                               std::int64_t except) {
  if (after.Family() != before.Family()) return "the disk reads back as " + after.Family();
  for (const Entry& f : listed) {
    if (f.key == except && except >= 0) continue;
    // The directory's own bytes are what a change changed.
    const Entry* g = AtKey(listed_after, f.key);
    if (g == nullptr || !SameEntry(f, *g) ||
        (!f.directory && before.Read(f).bytes != after.Read(*g).bytes))
      return f.name + " reads back otherwise";
  }
  return "";
}

filesystems::Changed Prove(const Filesystem& before, Made made) {
  if (!made.error.empty()) return NotDone(made.error);
  disk::Written w =
      disk::FormatOf(made.disk.container).write(made.disk, disk::OptionsAsRead(made.disk));
  if (!w.losses.empty()) {
    return NotDone("the container cannot hold the changed disk: " + w.losses.front());
  }
  filesystems::Changed out;
  out.disk = disk::ReadBack(made.disk, ImageBuffer(w.bytes));
  out.bytes = std::move(w.bytes);
  const std::shared_ptr<const Filesystem> after = FilesystemToChange(out.disk);
  // A DOS is known by what its disk holds: where the change takes away what
  // it was known by, the changed disk would be read as another, and the
  // change is not made.
  if (after->Family() != before.Family()) {
    return NotDone("changed so, the disk would be read as " + after->Family() + ", not as " +
                   before.Family() + ": what it is known by is what the change alters");
  }
  const std::vector<Entry> e0 = before.List(false), e1 = after->List(false);
  out.error = ReadsBackOtherwise(before, e0, *after, e1, made.key);
  if (out.error.empty()) out.error = ChangedFile(before, e0, *after, e1, made);
  if (out.error.empty()) out.error = NewFinding(before, *after);
  out.fault = !out.error.empty();
  if (out.fault) out.bytes.clear();
  if (!out.fault) out.filesystem = after;
  return out;
}

filesystems::Changed PutFile(const Filesystem& fs, const std::string& name,
                             const std::vector<std::uint8_t>& bytes, bool replace,
                             const std::string& date) {
  return Prove(fs, fs.Put(name, bytes, replace, date));
}

filesystems::Changed DeleteFile(const Filesystem& fs, const std::string& name) {
  return Prove(fs, fs.Delete(name));
}

filesystems::Changed RenameFile(const Filesystem& fs, const std::string& name,
                                const std::string& to) {
  return Prove(fs, fs.Rename(name, to));
}

}  // namespace trivane::ops
