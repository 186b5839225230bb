// Directory entries (32 bytes; 48 on Model III TRSDOS 1.3):
//   +0  attributes: 0x80 extended entry, 0x40 system, 0x20 partitioned,
//       0x10 in use, 0x08 invisible, 0x07 protection level
//   +1..2 date (LDOS family: +1 bits 0..3 month; +2 bits 3..7 day, bits 0..2
//       year - 1980; Model III: +1 month, +2 year); an extended entry: +1
//       the DEC of the entry that links to it
//   +3 EOF byte, +4 logical record length (0 = 256), +5..12 name, +13..15
//   extension, +20..21 ERN
//   +22.. extents of 2 bytes: four, then +30..31 a fifth, or FE and the DEC
//       of an extended entry, or FF; FF as an extent's first byte ends them
//       (Model III: thirteen extents from +22)
// GAT: allocation bits from +00; +CB version; +D0..D7 disk name; +D8..DF date.
#include "fs/trsdos/directory.h"

#include <algorithm>
#include <map>
#include <set>

#include "fs/trsdos/directory_bytes.h"

namespace trivane::trsdos {
namespace {

std::string Text(const std::vector<std::uint8_t>& bytes, int from, int count) {
  std::string text;
  for (int k = from; k < from + count && k < static_cast<int>(bytes.size()); ++k) {
    text += bytes[k] >= 0x20 && bytes[k] < 0x7F ? static_cast<char>(bytes[k]) : ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// An entry's name or extension as listed: blanks (or zeros) at the end trimmed, a byte
// outside 20..7E (or a backslash) as \xNN, so that odd bytes are shown and
// never reach a terminal raw.
std::string NameText(const std::uint8_t* bytes, int count) {
  while (count > 0 && (bytes[count - 1] == ' ' || bytes[count - 1] == 0)) --count;
  std::string text;
  for (int k = 0; k < count; ++k) {
    const std::uint8_t b = bytes[k];
    if (b >= 0x20 && b < 0x7F && b != '\\') {
      text += static_cast<char>(b);
    } else {
      text += "\\x" + HexByte(b);
    }
  }
  return text;
}

// A live entry's name has a printable byte other than a blank; a deleted
// entry is told from an unused slot by a name that is printable throughout.
bool Named(const std::uint8_t* e) {
  return std::any_of(e + 5, e + 13, [](std::uint8_t b) { return b > 0x20 && b < 0x7F; });
}
bool PrintableName(const std::uint8_t* e) {
  return e[5] > 0x20 && e[5] < 0x7F &&
         std::all_of(e + 5, e + 16, [](std::uint8_t b) { return b >= 0x20 && b < 0x7F; });
}

class Reader {
 public:
  Reader(const disk::SectorStore& sectors, const Layout& layout, bool dated, bool quiet)
      : sectors_(sectors), layout_(layout), dated_(dated), quiet_(quiet), shape_(layout.Row()) {}

  Directory Read();

 private:
  // A finding; its texts are made only when findings are kept.
  template <typename Detail>
  void Find(const char* kind, const File* file, Detail detail, int granule = -1,
            const File* other = nullptr) {
    if (quiet_) return;
    d_.catalogue.findings.push_back({kind, file == nullptr ? "" : file->Shown(), detail(), granule,
                                     other == nullptr ? "" : other->Shown()});
  }
  const std::uint8_t* Entry(int dec) const;
  File Parse(const std::uint8_t* e, int dec);
  void AddExtents(File& f, const std::uint8_t* e, std::set<int>& visited);
  void Account(const File& f, std::vector<int>& owner);
  void CheckStart(const File& f, const Extent& x);
  void ReadSectors();
  void ReadEntries(std::vector<bool>& hit_used);

  const disk::SectorStore& sectors_;
  const Layout& layout_;
  bool dated_, quiet_;
  const SchemeRow& shape_;
  Directory d_;
  std::vector<std::uint8_t> gat_, hit_;
  std::vector<std::vector<std::uint8_t>> entry_sectors_;
};

const std::uint8_t* Reader::Entry(int dec) const {
  int sector = 0, slot = 0;
  layout_.DecPlace(dec, sector, slot);
  if (sector < 0 || sector >= static_cast<int>(entry_sectors_.size())) return nullptr;
  const auto& bytes = entry_sectors_[sector];
  return bytes.size() == kSectorBytes ? bytes.data() + slot * shape_.entry_bytes : nullptr;
}

void Reader::AddExtents(File& f, const std::uint8_t* e, std::set<int>& visited) {
  for (int k = 0; k < shape_.extent_pairs; ++k) {
    const std::uint8_t a = e[22 + 2 * k], b = e[23 + 2 * k];
    if (a == 0xFF) return;
    if (shape_.linked && k == shape_.extent_pairs - 1 && a == 0xFE) {
      const std::uint8_t* next = Entry(b);
      if (next == nullptr || !(next[0] & kExtended) || !visited.insert(b).second) {
        Find("bad-link", &f, [&] {
          return "the link to DEC " + std::to_string(b) +
                 (next == nullptr || !(next[0] & kExtended) ? " leads to no extended entry"
                                                            : " goes round in a circle");
        });
        f.complete = false;
        return;
      }
      f.entries.push_back(b);
      AddExtents(f, next, visited);
      return;
    }
    Extent x;
    x.raw[0] = a;
    x.raw[1] = b;
    layout_.Extent(a, b, x.first_granule, x.granules);
    f.extents.push_back(x);
  }
}

File Reader::Parse(const std::uint8_t* e, int dec) {
  File f;
  f.dec = dec;
  f.attributes = e[0];
  f.system = e[0] & 0x40;
  f.pds = e[0] & 0x20;
  f.invisible = e[0] & 0x08;
  f.protection = e[0] & 0x07;
  f.eof = e[3];
  f.lrl = e[4] == 0 ? 256 : e[4];
  f.name = NameText(e + 5, 8);
  f.ext = NameText(e + 13, 3);
  f.ern = e[20] | e[21] << 8;
  f.size = shape_.model3_entries ? std::int64_t{f.ern} * 256 + f.eof
                                 : std::int64_t{f.ern} * 256 + f.eof - (f.eof != 0 ? 256 : 0);
  f.size = std::max<std::int64_t>(f.size, 0);
  char date[16] = "";
  if (shape_.model3_entries && e[1] >= 1 && e[1] <= 12) {
    std::snprintf(date, sizeof date, "%04d-%02d", 1900 + (e[2] < 80 ? e[2] + 100 : e[2]), e[1]);
  } else if (dated_ && (e[1] & 15) >= 1 && (e[1] & 15) <= 12 && (e[2] >> 3) >= 1) {
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", 1980 + (e[2] & 7), e[1] & 15, e[2] >> 3);
  }
  f.date = date;
  std::set<int> visited = {dec};
  f.entries = {dec};
  AddExtents(f, e, visited);
  return f;
}

// Claims the file's granules: twice, outside the disk, free in the GAT. An
// extent that starts at a granule its track does not have, runs past the
// disk or claims another file's granule counts against the layout.
// An extent must start at a granule its cylinder (or lump) has.
void Reader::CheckStart(const File& f, const Extent& x) {
  const int per = layout_.UnitGranules();
  if ((x.raw[1] >> 5) < per) return;
  ++d_.conflicts;
  Find("extent-outside", &f, [&] {
    return "an extent starts at granule " + std::to_string(x.raw[1] >> 5) + " of " + shape_.unit +
           " " + std::to_string(x.raw[0]) + ", which has " + std::to_string(per);
  });
}

void Reader::Account(const File& f, std::vector<int>& owner) {
  const int total = layout_.TotalGranules();
  const int me = static_cast<int>(d_.catalogue.files.size());
  std::int64_t held = 0;
  for (const Extent& x : f.extents) {
    held += x.granules;
    CheckStart(f, x);
    for (int g = x.first_granule; g < x.first_granule + x.granules; ++g) {
      if (g >= total) {
        ++d_.conflicts;
        Find("extent-outside", &f, [&] {
          return "granule " + std::to_string(g) + " is past the disk's " + std::to_string(total);
        });
        break;
      }
      if (const int other = owner[g]; other >= 0) {
        ++d_.conflicts;
        const File& o = other == me ? f : d_.catalogue.files[other];
        Find(
            "granule-twice", &f,
            [&] { return "granule " + std::to_string(g) + " is also " + o.Shown() + "'s"; }, g, &o);
      } else {
        owner[g] = me;
      }
      int byte = 0, bit = 0;
      layout_.GatBit(g, byte, bit);
      if (byte < layout_.GatReadEnd() && !(gat_[byte] >> bit & 1)) {
        Find(
            "gat-free-but-used", &f,
            [&] { return "granule " + std::to_string(g) + " is free in the GAT"; }, g);
      }
    }
  }
  const std::int64_t needed = f.SectorsNeeded();
  if (held * layout_.sectors_per_granule < needed) {
    Find("short-allocation", &f, [&] {
      return "its extents hold " + std::to_string(held * layout_.sectors_per_granule) +
             " sectors; its size needs " + std::to_string(needed);
    });
  }
}

// The GAT, HIT and entry sectors, each as 256 bytes (zeros where missing).
void Reader::ReadSectors() {
  for (int i = 0; i < layout_.dir_sectors; ++i) {
    disk::SectorRead read = sectors_.Get(layout_.DirectorySector(i));
    std::vector<std::uint8_t>& bytes = read.data;
    if (bytes.size() != kSectorBytes || read.crc_error) {
      Find("directory-sector", nullptr, [&] {
        return PlaceText(layout_.DirectorySector(i)) +
               (bytes.empty() ? " is missing" : " failed its CRC");
      });
    }
    bytes.resize(kSectorBytes, 0);
    (i == 0 ? gat_ : i == 1 ? hit_ : entry_sectors_.emplace_back()) = std::move(bytes);
  }
}

// Each entry: a live file (its HIT byte checked, its granules claimed), an
// extended entry, or a deleted file. Marks the HIT bytes that have an entry.
void Reader::ReadEntries(std::vector<bool>& hit_used) {
  Catalogue& c = d_.catalogue;
  std::vector<int> owner(static_cast<std::size_t>(std::max(c.granules_total, 0)), -1);
  std::set<std::string> names;
  for (int s = 0; s < static_cast<int>(entry_sectors_.size()); ++s) {
    for (int slot = 0; slot < shape_.per_sector; ++slot) {
      const int dec = layout_.Dec(s, slot);
      const std::uint8_t* e = entry_sectors_[s].data() + slot * shape_.entry_bytes;
      const std::uint8_t hit = dec < kSectorBytes ? hit_[dec] : 0;
      if ((e[0] & kInUse) && !(e[0] & kExtended) && Named(e)) {
        File f = Parse(e, dec);
        ++d_.entries;
        if (dec < kSectorBytes) hit_used[dec] = true;
        const bool hashed = hit == NameHash(e + 5);
        if (hashed) {
          ++d_.matched;
        } else {
          Find("hit-mismatch", &f, [&] {
            return "HIT byte " + std::to_string(hit) + " is not the name's hash " +
                   std::to_string(NameHash(e + 5));
          });
        }
        const int conflicts = d_.conflicts;
        Account(f, owner);
        d_.sound += hashed && d_.conflicts == conflicts && names.insert(f.Shown()).second;
        c.files.push_back(std::move(f));
      } else if (e[0] & kExtended) {
        if (dec < kSectorBytes) hit_used[dec] = true;
      } else if (!(e[0] & (kInUse | kExtended)) && PrintableName(e)) {
        c.deleted.push_back(Parse(e, dec));
      }
    }
  }
}

Directory Reader::Read() {
  Catalogue& c = d_.catalogue;
  c.layout = layout_;
  ReadSectors();
  if (layout_.dir_sectors < 2) return std::move(d_);
  d_.readable = true;
  c.disk_name = Text(gat_, kGatName, 8);
  c.disk_date = Text(gat_, kGatDate, 8);
  c.granules_total = layout_.TotalGranules();
  int used = 0;
  for (int g = 0; g < c.granules_total; ++g) {
    int byte = 0, bit = 0;
    layout_.GatBit(g, byte, bit);
    used += byte < layout_.GatReadEnd() && (gat_[byte] >> bit & 1);
  }
  c.granules_free = c.granules_total - used;
  std::vector<bool> hit_used(kSectorBytes, false);
  ReadEntries(hit_used);
  for (int dec = 0; dec < static_cast<int>(hit_.size()); ++dec) {
    if (hit_[dec] != 0 && !hit_used[dec] && Entry(dec) != nullptr) {
      Find("hit-mismatch", nullptr,
           [&] { return "HIT byte at DEC " + std::to_string(dec) + " has no entry"; });
    }
  }
  auto named = [&](int dec, const char* name) {
    for (const File& f : c.files) {
      if (f.dec == dec) return f.Shown() == name;
    }
    return false;
  };
  d_.system_files = named(0, "BOOT/SYS") && named(1, "DIR/SYS");
  return std::move(d_);
}

}  // namespace

int Directory::Score() const {
  // BOOT/SYS and DIR/SYS where they belong keep a directory whose other
  // HIT bytes mostly mismatch (real disks carry odd and stale ones).
  // Only sound entries count for it, so that a file of one repeated byte
  // (every entry alike, claiming the same granules or none on the disk)
  // explains nothing.
  if (readable && entries == 0 && signed_sectors) return 1;
  if (!readable || sound == 0 || (sound * 2 < entries && !system_files)) return 0;
  return std::max(1, 1 + sound * 2 - entries + (system_files ? 20 : 0));
}

Directory ReadDirectory(const disk::SectorStore& sectors, const Layout& layout, bool dated,
                        bool findings) {
  return Reader(sectors, layout, dated, !findings).Read();
}

std::uint8_t NameHash(const std::uint8_t* name11) {
  std::uint8_t h = 0;
  for (int k = 0; k < 11; ++k) {
    h ^= name11[k];
    h = static_cast<std::uint8_t>(h << 1 | h >> 7);
  }
  return h == 0 ? 1 : h;
}

}  // namespace trivane::trsdos
