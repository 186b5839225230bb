#include "fs/cpm/change.h"

#include <algorithm>

#include "formats/text.h"

namespace trivane::cpm {
namespace {

using filesystems::Made;
using filesystems::Refused;

constexpr int kEntry = 32, kRecord = 128;
constexpr std::uint8_t kFree = 0xE5;

// The disk copied to be changed, its directory's bytes in memory until Done.
class Edit {
 public:
  Edit(const disk::Disk& disk, const Params& p)
      : work_(disk), store_(work_), ids_(work_, p.size), v_(store_, p, ids_) {
    filesystems::FileBytes b;
    v_.Read(0, std::int64_t{p.entries} * kEntry, b);
    dir_ = std::move(b.bytes);
  }
  std::uint8_t* Entry(int slot) { return dir_.data() + slot * kEntry; }
  // The stamps CP/M 3 keeps for the slot in every fourth entry, cleared.
  void Touched(int slot) {
    const int stamps = slot | 3;
    if (slot == stamps || KindOf(Entry(stamps)) != Slot::kStamps) return;
    std::fill_n(Entry(stamps) + 1 + 10 * (slot & 3), 10, 0);
  }
  // The lowest free slots, as many as asked; fewer when there are not.
  std::vector<int> FreeSlots(int count) {
    std::vector<int> slots;
    for (int s = 0; s < v_.params().entries && static_cast<int>(slots.size()) < count; ++s) {
      const Slot kind = KindOf(Entry(s));
      if (kind == Slot::kFree || kind == Slot::kDeleted) slots.push_back(s);
    }
    return slots;
  }
  // The bytes into the data area from at; false when a sector cannot take them.
  bool Write(std::int64_t at, const std::uint8_t* bytes, std::int64_t count) {
    const int size = v_.params().size;
    for (std::int64_t n = at / size; n * size < at + count; ++n) {
      disk::Place place;
      if (!v_.PlaceOf(n, place)) return false;
      std::vector<std::uint8_t> data = store_.Get(place).data;
      if (data.size() != static_cast<std::size_t>(size)) return false;
      const std::int64_t from = std::max(at, n * size), to = std::min(at + count, (n + 1) * size);
      std::copy(bytes + (from - at), bytes + (to - at), data.begin() + (from - n * size));
      if (!store_.Put(place, data)) return false;
    }
    return true;
  }
  Made Done(Made made) {
    if (!Write(0, dir_.data(), static_cast<std::int64_t>(dir_.size()))) {
      return Refused("a directory sector cannot be written");
    }
    made.disk = std::move(work_);
    return made;
  }

 private:
  disk::Disk work_;
  disk::SectorStore store_;
  TrackIds ids_;
  Volume v_;
  std::vector<std::uint8_t> dir_;
};

void PutName(std::uint8_t* e, const FileName& n) {
  e[0] = static_cast<std::uint8_t>(n.user);
  for (int k = 0; k < 11; ++k) {
    const std::string& part = k < 8 ? n.name : n.type;
    const std::size_t at = static_cast<std::size_t>(k < 8 ? k : k - 8);
    const std::uint8_t c = at < part.size() ? static_cast<std::uint8_t>(part[at]) : ' ';
    e[1 + k] = static_cast<std::uint8_t>(c | (e[1 + k] & 0x80));
  }
}

const File* Named(const Directory& dir, const FileName& n) {
  for (const File& f : dir.files) {
    if (f.user == n.user && f.name == n.name && f.type == n.type) return &f;
  }
  return nullptr;
}

// The lowest blocks no live file but `except` holds, as many as asked.
std::vector<int> FreeBlocks(const Params& p, const Directory& dir, const File* except, int count) {
  std::vector<bool> used(static_cast<std::size_t>(std::max(p.Blocks(), 0)), false);
  for (int b = 0; b < p.DirectoryBlocks() && b < p.Blocks(); ++b)
    used[static_cast<std::size_t>(b)] = true;
  for (const File& f : dir.files) {
    if (&f == except) continue;
    for (const Extent& x : f.extents) {
      for (int b : x.blocks) {
        if (b < p.Blocks()) used[static_cast<std::size_t>(b)] = true;
      }
    }
  }
  std::vector<int> free;
  for (int b = 0; b < p.Blocks() && static_cast<int>(free.size()) < count; ++b) {
    if (!used[static_cast<std::size_t>(b)]) free.push_back(b);
  }
  return free;
}

void PutEntry(std::uint8_t* e, const FileName& n, const Params& p, int number, int rc,
              const std::vector<int>& blocks) {
  std::fill(e, e + kEntry, 0);
  PutName(e, n);
  e[12] = static_cast<std::uint8_t>(number & 31);
  e[14] = static_cast<std::uint8_t>(number >> 5);
  e[15] = static_cast<std::uint8_t>(rc);
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    if (p.Wide()) {
      e[16 + 2 * k] = static_cast<std::uint8_t>(blocks[k]);
      e[17 + 2 * k] = static_cast<std::uint8_t>(blocks[k] >> 8);
    } else {
      e[16 + k] = static_cast<std::uint8_t>(blocks[k]);
    }
  }
}

// The file's entries into the slots: entry k holds logical extents from
// k x (EXM + 1), its share of the blocks, its last extent's number and RC.
void PutEntries(Edit& e, const std::vector<int>& slots, const FileName& name, const Params& p,
                int records, const std::vector<int>& blocks) {
  const int per_entry = (p.Exm() + 1) * kRecord;
  const auto pointers = static_cast<std::size_t>(p.PointersPerEntry());
  for (std::size_t k = 0; k < slots.size(); ++k) {
    const int held = std::min(records - static_cast<int>(k) * per_entry, per_entry);
    const int first = static_cast<int>(k) * (p.Exm() + 1);
    const int number = first + (held > 0 ? (held - 1) / kRecord : 0);
    const std::size_t from = std::min(k * pointers, blocks.size());
    const std::vector<int> mine(
        blocks.begin() + static_cast<std::ptrdiff_t>(from),
        blocks.begin() + static_cast<std::ptrdiff_t>(std::min(from + pointers, blocks.size())));
    PutEntry(e.Entry(slots[k]), name, p, number, held - (number - first) * kRecord, mine);
    e.Touched(slots[k]);
  }
}

}  // namespace

std::string FileName::Shown() const {
  const std::string base = type.empty() ? name : name + "." + type;
  return user == 0 ? base : std::to_string(user) + ":" + base;
}

bool ParseName(const std::string& typed, FileName& out) {
  std::string t = UpperAscii(typed);
  out = {};
  if (const auto colon = t.find(':'); colon != std::string::npos) {
    const std::string u = t.substr(0, colon);
    if (u.empty() || u.size() > 2 ||
        !std::all_of(u.begin(), u.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    out.user = std::stoi(u);
    t = t.substr(colon + 1);
  }
  const std::size_t dot = t.find_first_of("./");
  out.name = t.substr(0, dot);
  out.type = dot == std::string::npos ? "" : t.substr(dot + 1);
  const auto ok = [](const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
      return c > ' ' && c < 0x7F && std::string(".:;,=<>*?[]/\\|").find(c) == std::string::npos;
    });
  };
  return out.user <= 15 && !out.name.empty() && out.name.size() <= 8 && out.type.size() <= 3 &&
         ok(out.name) && ok(out.type);
}

Made PutFile(const disk::Disk& disk, const Params& p, const Directory& dir, const FileName& name,
             const std::vector<std::uint8_t>& data, bool replace) {
  const File* old = Named(dir, name);
  if (old != nullptr && !replace)
    return Refused("a file " + old->Shown() + " is on the disk already");
  if (old != nullptr && old->read_only) return Refused(old->Shown() + " is read-only");
  std::vector<std::uint8_t> padded = data;
  padded.resize((padded.size() + kRecord - 1) / kRecord * kRecord, 0x1A);
  const int records = static_cast<int>(padded.size() / kRecord);
  const int needed = static_cast<int>((padded.size() + static_cast<std::size_t>(p.bls) - 1) /
                                      static_cast<std::size_t>(p.bls));
  const std::vector<int> blocks = FreeBlocks(p, dir, old, needed);
  if (static_cast<int>(blocks.size()) < needed) {
    return Refused("the disk is too full: the file needs " + std::to_string(needed) + " blocks, " +
                   std::to_string(blocks.size()) + " are free");
  }
  const int per_entry = (p.Exm() + 1) * kRecord;  // records an entry holds
  const int entries = std::max(1, (records + per_entry - 1) / per_entry);
  Edit e(disk, p);
  if (old != nullptr) {
    for (const Extent& x : old->extents) e.Entry(x.slot)[0] = kFree;
  }
  const std::vector<int> slots = e.FreeSlots(entries);
  if (static_cast<int>(slots.size()) < entries) return Refused("the directory has no free entry");
  PutEntries(e, slots, name, p, records, blocks);
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    const std::size_t at = k * static_cast<std::size_t>(p.bls);
    const std::size_t count = std::min(static_cast<std::size_t>(p.bls), padded.size() - at);
    if (!e.Write(std::int64_t{blocks[k]} * p.bls, padded.data() + at,
                 static_cast<std::int64_t>(count))) {
      return Refused("a sector of the disk cannot be written");
    }
  }
  return e.Done({old != nullptr ? Made::kReplaced : Made::kPut,
                 old != nullptr ? old->extents.front().slot : -1,
                 name.Shown(),
                 padded,
                 {},
                 ""});
}

Made DeleteFile(const disk::Disk& disk, const Params& p, const File& f) {
  if (f.read_only) return Refused(f.Shown() + " is read-only");
  Edit e(disk, p);
  for (const Extent& x : f.extents) {
    e.Entry(x.slot)[0] = kFree;
    e.Touched(x.slot);
  }
  return e.Done({Made::kDeleted, f.extents.front().slot, "", {}, {}, ""});
}

Made RenameFile(const disk::Disk& disk, const Params& p, const Directory& dir, const File& f,
                const FileName& to) {
  if (Named(dir, to) != nullptr) return Refused("a file " + to.Shown() + " is on the disk already");
  if (f.read_only) return Refused(f.Shown() + " is read-only");
  Edit e(disk, p);
  for (const Extent& x : f.extents) PutName(e.Entry(x.slot), to);
  return e.Done({Made::kRenamed, f.extents.front().slot, to.Shown(), {}, {}, ""});
}

}  // namespace trivane::cpm
