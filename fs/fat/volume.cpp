#include "fs/fat/volume.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace trivane::fat {
namespace {

constexpr int kEntry = 32, kEndOfChain = 0xFF8, kBad = 0xFF7, kMostDepth = 16;
constexpr int kLabel = 0x08, kSubdirectory = 0x10;

int Word(const std::vector<std::uint8_t>& b, std::size_t at) {
  return at + 1 < b.size() ? b[at] | b[at + 1] << 8 : 0;
}

bool PowerOfTwo(int n, int low, int high) {
  return n >= low && n <= high && (n & (n - 1)) == 0;
}

std::string Trimmed(const std::uint8_t* b, int count) {
  std::string s(reinterpret_cast<const char*>(b), static_cast<std::size_t>(count));
  return s.substr(0, s.find_last_not_of(' ') + 1);
}

bool NameOk(const std::uint8_t* e) {
  return std::all_of(e, e + 11, [](std::uint8_t c) { return c >= ' ' && c != 0x7F; }) &&
         e[0] != ' ';
}

}  // namespace

bool ReadBoot(const std::vector<std::uint8_t>& s, Boot& b) {
  if (s.size() < 512 || !((s[0] == 0xEB && s[2] == 0x90) || s[0] == 0xE9)) return false;
  b.sector_bytes = Word(s, 11);
  b.cluster_sectors = s[13];
  b.reserved = Word(s, 14);
  b.fats = s[16];
  b.root_entries = Word(s, 17);
  b.sectors = Word(s, 19);
  b.media = s[21];
  b.fat_sectors = Word(s, 22);
  b.track_sectors = Word(s, 24);
  b.heads = Word(s, 26);
  return PowerOfTwo(b.sector_bytes, 128, 1024) && PowerOfTwo(b.cluster_sectors, 1, 64) &&
         b.reserved >= 1 && b.fats >= 1 && b.fats <= 2 && b.root_entries > 0 && b.media >= 0xF0 &&
         b.fat_sectors > 0 && b.track_sectors > 0 && b.track_sectors <= 64 && b.heads >= 1 &&
         b.heads <= 2 && b.sectors > b.DataStart() && b.Clusters() < 4085 &&
         b.fat_sectors * b.sector_bytes * 2 >= (b.Clusters() + 2) * 3;
}

disk::Place Volume::PlaceOf(int n) const {
  const int track = n / boot_.track_sectors;
  return {track / boot_.heads, track % boot_.heads, 1 + n % boot_.track_sectors};
}

void Volume::ReadSector(int n, filesystems::FileBytes& out) const {
  const disk::Place at = PlaceOf(n);
  const disk::SectorRead r = store_.Get(at);
  const auto offset = static_cast<std::int64_t>(out.bytes.size());
  if (r.data.size() != static_cast<std::size_t>(boot_.sector_bytes)) {
    out.unreadable.push_back({disk::PlaceText(at), false, offset, boot_.sector_bytes});
    out.bytes.insert(out.bytes.end(), static_cast<std::size_t>(boot_.sector_bytes), 0);
    return;
  }
  if (r.crc_error)
    out.unreadable.push_back({disk::PlaceText(at), true, offset, boot_.sector_bytes});
  out.bytes.insert(out.bytes.end(), r.data.begin(), r.data.end());
}

int Volume::Next(const std::vector<std::uint8_t>& fat, int cluster) const {
  const std::size_t at = static_cast<std::size_t>(cluster) * 3 / 2;
  const int word = Word(fat, at);
  return cluster % 2 == 0 ? word & 0xFFF : word >> 4;
}

std::vector<std::uint8_t> Volume::Fat(Directory& d) const {
  filesystems::FileBytes fat;
  for (int n = 0; n < boot_.fat_sectors; ++n) ReadSector(boot_.reserved + n, fat);
  for (const filesystems::Damaged& x : fat.unreadable) {
    d.findings.push_back(
        {"fat-sector", "", x.place + (x.as_read ? " failed its CRC" : " cannot be read")});
  }
  return std::move(fat.bytes);
}

// The file's chain from its first cluster: to its end mark, never past the
// disk's clusters, never round a loop.
std::vector<int> Volume::Chain(const std::vector<std::uint8_t>& fat, File& f, Directory& d) const {
  std::vector<int> chain;
  std::set<int> seen;
  for (int c = f.cluster; c >= 2 && c < kEndOfChain; c = Next(fat, c)) {
    std::string why;
    if (c >= boot_.Clusters() + 2)
      why = "cluster " + std::to_string(c) + " is past the disk's last";
    else if (c == kBad)
      why = "its chain runs into a cluster marked bad";
    else if (!seen.insert(c).second)
      why = "its chain comes round to cluster " + std::to_string(c) + " again";
    if (!why.empty()) {
      d.findings.push_back({"chain", f.path, why});
      f.complete = false;
      break;
    }
    chain.push_back(c);
  }
  return chain;
}

void Volume::ReadEntries(const std::vector<std::uint8_t>& bytes, const std::string& path,
                         const std::vector<std::uint8_t>& fat, int depth, Directory& d) const {
  for (std::size_t at = 0; at + kEntry <= bytes.size(); at += kEntry) {
    const std::uint8_t* e = bytes.data() + at;
    if (e[0] == 0) return;
    if (e[0] == 0xE5 || e[0] == '.') continue;
    if (e[11] & kLabel) {
      if (path.empty()) d.label = Trimmed(e, 11);
      continue;
    }
    if (!NameOk(e)) {
      d.findings.push_back(
          {"malformed-entry", "", "an entry of \\" + path + " is none DOS writes"});
      continue;
    }
    File f;
    f.name = Trimmed(e, 8);
    if (e[0] == 0x05) f.name[0] = static_cast<char>(0xE5);
    f.ext = Trimmed(e + 8, 3);
    f.path = path + f.name + (f.ext.empty() ? "" : "." + f.ext);
    f.attributes = e[11];
    f.date = e[24] | e[25] << 8;
    f.cluster = e[26] | e[27] << 8;
    f.size = static_cast<std::int64_t>(e[28] | e[29] << 8 | e[30] << 16) | std::int64_t{e[31]}
                                                                               << 24;
    f.clusters = Chain(fat, f, d);
    if (!(f.attributes & kSubdirectory)) {
      d.files.push_back(std::move(f));
      continue;
    }
    if (depth >= kMostDepth) {
      d.findings.push_back({"chain", f.path, "directories nest deeper than DOS's paths reach"});
      continue;
    }
    filesystems::FileBytes sub;
    for (int c : f.clusters) {
      for (int k = 0; k < boot_.cluster_sectors; ++k)
        ReadSector(boot_.DataStart() + (c - 2) * boot_.cluster_sectors + k, sub);
    }
    ReadEntries(sub.bytes, f.path + "\\", fat, depth + 1, d);
  }
}

Directory Volume::ReadDirectories() const {
  Directory d;
  const std::vector<std::uint8_t> fat = Fat(d);
  filesystems::FileBytes root;
  for (int n = boot_.RootStart(); n < boot_.DataStart(); ++n) ReadSector(n, root);
  ReadEntries(root.bytes, "", fat, 0, d);
  std::vector<int> owner(static_cast<std::size_t>(boot_.Clusters() + 2), -1);
  for (std::size_t k = 0; k < d.files.size(); ++k) {
    File& f = d.files[k];
    const std::int64_t cluster_bytes = std::int64_t{boot_.cluster_sectors} * boot_.sector_bytes;
    if (static_cast<std::int64_t>(f.clusters.size()) * cluster_bytes < f.size) {
      d.findings.push_back({"short-chain", f.path,
                            "its chain holds " + std::to_string(f.clusters.size()) +
                                " clusters; its size needs " +
                                std::to_string((f.size + cluster_bytes - 1) / cluster_bytes)});
      f.complete = false;
    }
    for (int c : f.clusters) {
      int& o = owner[static_cast<std::size_t>(c)];
      if (o >= 0) {
        d.findings.push_back({"cluster-twice", f.path,
                              "cluster " + std::to_string(c) + " is also " +
                                  d.files[static_cast<std::size_t>(o)].path + "'s"});
        f.complete = false;
      }
      o = static_cast<int>(k);
    }
  }
  for (File& f : d.files) {
    if (f.complete && !ReadFile(f).whole()) {
      f.complete = false;
      d.findings.push_back({"unreadable", f.path, "a sector of it cannot be read whole"});
    }
  }
  for (int c = 2; c < boot_.Clusters() + 2; ++c) d.free_clusters += Next(fat, c) == 0;
  return d;
}

filesystems::FileBytes Volume::ReadFile(const File& f) const {
  filesystems::FileBytes out;
  for (int c : f.clusters) {
    if (static_cast<std::int64_t>(out.bytes.size()) >= f.size) break;
    for (int k = 0; k < boot_.cluster_sectors; ++k)
      ReadSector(boot_.DataStart() + (c - 2) * boot_.cluster_sectors + k, out);
  }
  if (static_cast<std::int64_t>(out.bytes.size()) > f.size) {
    out.bytes.resize(static_cast<std::size_t>(f.size));
    std::erase_if(out.unreadable,
                  [&](const filesystems::Damaged& x) { return x.offset >= f.size; });
  }
  out.missing = f.size - static_cast<std::int64_t>(out.bytes.size());
  return out;
}

std::string DateText(int date) {
  const int day = date & 31, month = date >> 5 & 15, year = 1980 + (date >> 9);
  if (day < 1 || month < 1 || month > 12) return "";
  char text[24];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

}  // namespace trivane::fat
