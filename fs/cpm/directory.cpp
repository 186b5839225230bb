#include "fs/cpm/directory.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace trivane::cpm {
namespace {

constexpr std::uint8_t kFree = 0xE5, kLabelByte = 0x20, kStampsByte = 0x21;
constexpr int kEntry = 32, kRecord = 128, kExtentBytes = 16384;

bool Printable(std::uint8_t b) {
  b &= 0x7F;
  return b >= 0x20 && b < 0x7F;
}

bool NameOk(const std::uint8_t* e) {
  return (e[1] & 0x7F) != ' ' && std::all_of(e + 1, e + 12, Printable);
}

std::string Trimmed(const std::uint8_t* bytes, int count) {
  std::string s;
  for (int k = 0; k < count; ++k) s += static_cast<char>(bytes[k] & 0x7F);
  return s.substr(0, s.find_last_not_of(' ') + 1);
}

using Key = std::tuple<int, std::string>;  // user, the 11 name bytes without attributes

Extent ExtentOf(const std::uint8_t* e, int slot, const Params& p) {
  Extent x;
  x.slot = slot;
  x.number = ExtentNumber(e);
  x.records = RecordsOf(e, p);
  x.first = x.number - (e[12] & p.Exm());
  x.blocks = Pointers(e, p);
  return x;
}

File FileOf(const std::uint8_t* e, bool deleted) {
  File f;
  f.user = deleted ? 0 : e[0];
  f.deleted = deleted;
  f.name = Trimmed(e + 1, 8);
  f.type = Trimmed(e + 9, 3);
  f.read_only = e[9] & 0x80;
  f.system = e[10] & 0x80;
  f.archived = e[11] & 0x80;
  return f;
}

// The directory's slots gathered into files, live and deleted.
void Gather(const std::vector<std::uint8_t>& bytes, const Params& p, Directory& d) {
  std::map<Key, std::size_t> live, gone;
  for (int slot = 0; slot < p.entries; ++slot) {
    const std::uint8_t* e = bytes.data() + slot * kEntry;
    const Slot kind = KindOf(e);
    if (kind == Slot::kLabel) d.label = Trimmed(e + 1, 11);
    if (kind == Slot::kBad) {
      d.findings.push_back(
          {"malformed-entry", "", "entry " + std::to_string(slot) + " is no entry CP/M writes"});
    }
    if (kind != Slot::kFile && kind != Slot::kDeleted) continue;
    const bool deleted = kind == Slot::kDeleted;
    auto& index = deleted ? gone : live;
    auto& files = deleted ? d.deleted : d.files;
    std::string name;
    for (int k = 1; k < 12; ++k) name += static_cast<char>(e[k] & 0x7F);
    const Key key{deleted ? 0 : e[0], name};
    auto [at, fresh] = index.try_emplace(key, files.size());
    if (fresh) files.push_back(FileOf(e, deleted));
    files[at->second].extents.push_back(ExtentOf(e, slot, p));
  }
}

// A live file's later entries of an extent it has already: CP/M opens the
// first entry of the extent it looks for, so the later is no part of it.
void DropRepeats(File& f, std::vector<filesystems::Finding>& findings) {
  std::vector<Extent> kept;
  for (Extent& x : f.extents) {
    if (!kept.empty() && kept.back().number == x.number) {
      findings.push_back({"extent-twice", f.Shown(),
                          "entry " + std::to_string(x.slot) + " names extent " +
                              std::to_string(x.number) + " again; CP/M reads entry " +
                              std::to_string(kept.back().slot) + "'s"});
      continue;
    }
    kept.push_back(std::move(x));
  }
  f.extents = std::move(kept);
}

// Each file's extents in order, its records, and the extents not there.
void Order(Directory& d) {
  for (auto* files : {&d.files, &d.deleted}) {
    for (File& f : *files) {
      std::stable_sort(f.extents.begin(), f.extents.end(),
                       [](const Extent& a, const Extent& b) { return a.number < b.number; });
      if (!f.deleted) DropRepeats(f, d.findings);
      const Extent& last = f.extents.back();
      f.records = std::int64_t{last.first} * kRecord + last.records;
      int next = 0;
      for (const Extent& x : f.extents) {
        if (x.first > next && !f.deleted) {
          d.findings.push_back({"missing-extent", f.Shown(),
                                "extent " + std::to_string(next) + " is not in the directory"});
        }
        if (x.first != next) f.complete = false;
        next = x.number + 1;
      }
    }
  }
}

// Claims each live file's blocks: twice, past the disk, in the directory.
void Claim(const Params& p, Directory& d) {
  std::vector<int> owner(static_cast<std::size_t>(std::max(p.Blocks(), 0)), -1);
  const int directory = p.DirectoryBlocks();
  d.blocks_used = std::min(directory, p.Blocks());
  for (std::size_t i = 0; i < d.files.size(); ++i) {
    File& f = d.files[i];
    for (const Extent& x : f.extents) {
      for (int b : x.blocks) {
        std::string why;
        if (b >= p.Blocks()) {
          why = "block " + std::to_string(b) + " is past the disk's " + std::to_string(p.Blocks());
        } else if (b < directory) {
          why = "block " + std::to_string(b) + " is the directory's";
        } else if (const int other = owner[static_cast<std::size_t>(b)]; other >= 0) {
          d.findings.push_back({"block-twice", f.Shown(),
                                "block " + std::to_string(b) + " is also " +
                                    d.files[static_cast<std::size_t>(other)].Shown() + "'s"});
          f.complete = false;
          continue;
        } else {
          owner[static_cast<std::size_t>(b)] = static_cast<int>(i);
          ++d.blocks_used;
          continue;
        }
        d.findings.push_back({"block-outside", f.Shown(), why});
        f.complete = false;
      }
    }
  }
  // A deleted file reads back only while no live file took its blocks.
  for (File& f : d.deleted) {
    for (const Extent& x : f.extents) {
      for (int b : x.blocks) {
        if (b < directory || b >= p.Blocks() || owner[static_cast<std::size_t>(b)] >= 0)
          f.complete = false;
      }
    }
  }
}

// Whether every block the file's records need is there and can be read.
void CheckReadable(const Volume& v, Directory& d) {
  const Params& p = v.params();
  for (auto* files : {&d.files, &d.deleted}) {
    for (File& f : *files) {
      for (const Extent& x : f.extents) {
        const int needed = (x.records * kRecord + p.bls - 1) / p.bls;
        if (static_cast<int>(x.blocks.size()) < needed) f.complete = false;
        for (int b : x.blocks) {
          if (b >= p.Blocks() || !v.Whole(std::int64_t{b} * p.bls, p.bls)) f.complete = false;
        }
      }
      if (!f.complete && !f.deleted &&
          std::none_of(d.findings.begin(), d.findings.end(),
                       [&](const auto& x) { return x.file == f.Shown(); }))
        d.findings.push_back({"unreadable", f.Shown(), "a block of it cannot be read whole"});
    }
  }
}

// Pointer k of the entry, of two bytes or one.
int Block(const std::uint8_t* e, bool wide, int k) {
  return wide ? e[16 + 2 * k] | e[17 + 2 * k] << 8 : e[16 + k];
}

}  // namespace

std::string File::Shown() const {
  const std::string base = type.empty() ? name : name + "." + type;
  return user == 0 ? base : std::to_string(user) + ":" + base;
}

std::string File::Host() const {
  const std::string base =
      filesystems::HostPart(name) + (type.empty() ? "" : "." + filesystems::HostPart(type));
  return user == 0 ? base : "user" + std::to_string(user) + "/" + base;
}

int BlockAt(const std::uint8_t* e, const Params& p, int k) {
  return Block(e, p.Wide(), k);
}

int RecordsOf(const std::uint8_t* e, const Params& p) {
  return (e[12] & p.Exm()) * kRecord + e[15];
}

int ExtentNumber(const std::uint8_t* e) {
  return (e[14] & 0x3F) * 32 + (e[12] & 31);
}

std::vector<int> Pointers(const std::uint8_t* e, const Params& p) {
  std::vector<int> out;
  const bool wide = p.Wide();
  for (int k = 0; k < (wide ? 8 : 16); ++k) {
    if (const int b = Block(e, wide, k); b != 0) out.push_back(b);
  }
  return out;
}

Slot KindOf(const std::uint8_t* e) {
  if (e[0] == kFree) {
    const bool blank = std::all_of(e + 1, e + 12, [](std::uint8_t b) { return b == kFree; });
    return blank || !NameOk(e) || e[15] > kRecord ? Slot::kFree : Slot::kDeleted;
  }
  if (e[0] == kLabelByte) return Slot::kLabel;
  if (e[0] == kStampsByte) return Slot::kStamps;
  if (e[0] > 15 || !NameOk(e) || e[15] > kRecord || e[12] > 31) return Slot::kBad;
  return Slot::kFile;
}

// Asked of every entry of every reading a hunt weighs: the disk's shape
// worked out once, the pointers counted where they lie.
bool Fits(const std::uint8_t* e, const Params& p) {
  const int blocks = p.Blocks(), first = p.DirectoryBlocks();
  const bool wide = blocks > 256;
  int count = 0;
  for (int k = 0; k < (wide ? 8 : 16); ++k) {
    const int b = Block(e, wide, k);
    if (b == 0) continue;
    if (b < first || b >= blocks) return false;
    ++count;
  }
  return count == (RecordsOf(e, p) * kRecord + p.bls - 1) / p.bls;
}

Slots SlotsOf(const std::vector<std::uint8_t>& directory) {
  Slots out;
  for (std::size_t at = 0; at + kEntry <= directory.size(); at += kEntry) {
    const std::uint8_t* e = directory.data() + at;
    out.kinds.push_back(KindOf(e));
    out.never_used.push_back(std::all_of(e, e + kEntry, [](std::uint8_t b) { return b == kFree; }));
  }
  return out;
}

Tally Count(const std::vector<std::uint8_t>& directory, const Params& p) {
  return Count(SlotsOf(directory), directory, p);
}

Tally Count(const Slots& s, const std::vector<std::uint8_t>& directory, const Params& p) {
  Tally t;
  const int slots = std::min<int>(p.entries, static_cast<int>(s.kinds.size()));
  int unused = 0;  // never-used slots since the last used one
  for (int slot = 0; slot < slots; ++slot) {
    const std::uint8_t* e = directory.data() + slot * kEntry;
    const Slot kind = s.kinds[static_cast<std::size_t>(slot)];
    if (kind == Slot::kFree) {
      unused += s.never_used[static_cast<std::size_t>(slot)];
    } else {
      ++t.used;
      t.gaps += unused;
      unused = 0;
    }
    if (kind == Slot::kBad) ++t.bad;
    if (kind == Slot::kDeleted && Fits(e, p)) ++t.deleted_fit;
    if (kind != Slot::kFile) continue;
    ++t.files;
    if (Fits(e, p)) ++t.fit;
  }
  return t;
}

Directory ReadDirectory(const Volume& v) {
  const Params& p = v.params();
  Directory d;
  filesystems::FileBytes bytes;
  v.Read(0, std::int64_t{p.entries} * kEntry, bytes);
  for (const filesystems::Damaged& x : bytes.unreadable) {
    d.findings.push_back(
        {"directory-sector", "", x.place + (x.as_read ? " failed its CRC" : " cannot be read")});
  }
  d.tally = Count(bytes.bytes, p);
  Gather(bytes.bytes, p, d);
  Order(d);
  Claim(p, d);
  CheckReadable(v, d);
  return d;
}

filesystems::FileBytes ReadFile(const Volume& v, const File& f) {
  const Params& p = v.params();
  filesystems::FileBytes out;
  const std::int64_t capacity = std::int64_t{p.Blocks()} * p.bls;
  for (const Extent& x : f.extents) {
    const std::int64_t start = std::int64_t{x.first} * kExtentBytes;
    // No file holds more than the disk: what an extent past it claims is missing.
    if (start >= capacity) break;
    const auto at = static_cast<std::int64_t>(out.bytes.size());
    if (start > at) {
      out.unreadable.push_back({"records not in the directory", false, at, start - at});
      out.bytes.resize(static_cast<std::size_t>(start), 0);
    }
    // An extent that overlaps the one before it takes the place of its end.
    if (start < at) out.bytes.resize(static_cast<std::size_t>(start));
    std::int64_t left = std::int64_t{x.records} * kRecord;
    for (int b : x.blocks) {
      if (left <= 0) break;
      const std::int64_t take = std::min<std::int64_t>(left, p.bls);
      v.Read(std::int64_t{b} * p.bls, take, out);
      left -= take;
    }
    if (left > 0 && &x == &f.extents.back()) out.missing += left;
  }
  // The bytes end at the file's records; what they do not reach is missing.
  const std::int64_t want = f.records * kRecord;
  if (static_cast<std::int64_t>(out.bytes.size()) > want) {
    out.bytes.resize(static_cast<std::size_t>(want));
    std::erase_if(out.unreadable, [&](const auto& d) { return d.offset >= want; });
  }
  out.missing = want - static_cast<std::int64_t>(out.bytes.size());
  return out;
}

}  // namespace trivane::cpm
