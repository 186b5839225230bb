#include "builder/dos_images.h"

#include <algorithm>
#include <set>

#include "builder/sector_images.h"
#include "formats/data_marks.h"
#include "fs/trsdos/catalogue.h"
#include "ops/convert.h"
#include "ops/filesystems.h"

namespace trivane::build {
namespace {

constexpr int kSector = 256;
using Sector = std::vector<std::uint8_t>;

struct Entry {
  std::string name, ext;
  int attributes = 0;
  int eof = 0, ern = 0;
  std::vector<std::pair<int, int>> runs;  // granule runs: first, count
  int dec = 0, link_from = -1;            // an extended entry: the DEC linking to it
  Deletion deleted = Deletion::kNone;
  bool no_hit = false;
};

class Builder {
 public:
  explicit Builder(const DosDisk& d) : d_(d), l_(d.layout) {}
  DosSectors Build();

 private:
  Sector& At(trsdos::Place p) {
    Sector& s = sectors_[{p.cylinder, p.head, p.sector}];
    s.resize(kSector, 0);
    return s;
  }
  std::vector<int> DirectoryGranules() const;
  void Place(const DosFile& f);
  void WriteEntries();
  std::vector<Entry> Chained() const;
  void WriteEntry(const std::vector<Entry>& all, std::size_t n);
  std::vector<std::uint8_t> ExtentBytes(int first, int count) const;
  void WriteGatAndBoot();

  const DosDisk& d_;
  const trsdos::Layout& l_;
  DosSectors sectors_;
  std::set<int> used_;
  std::vector<Entry> entries_;
  int next_ = 1;
};

std::vector<int> Builder::DirectoryGranules() const {
  std::vector<int> g;
  if (l_.scheme == trsdos::Layout::Scheme::kRelative) {
    for (int k = l_.dir_first / 5; k < (l_.dir_first + l_.dir_sectors) / 5; ++k) g.push_back(k);
  } else {
    const int per = l_.GranulesPerCylinder();
    for (int k = l_.dir_cylinder * per; k < (l_.dir_cylinder + 1) * per; ++k) g.push_back(k);
  }
  return g;
}

// Runs of at most 31 granules that an extent can say.
std::vector<std::pair<int, int>> Runs(const std::vector<int>& granules) {
  std::vector<std::pair<int, int>> runs;
  for (int g : granules) {
    if (!runs.empty() && runs.back().first + runs.back().second == g && runs.back().second < 31) {
      ++runs.back().second;
    } else {
      runs.push_back({g, 1});
    }
  }
  return runs;
}

void Builder::Place(const DosFile& f) {
  const int sectors = static_cast<int>((f.bytes.size() + kSector - 1) / kSector);
  const int count = (sectors + l_.sectors_per_granule - 1) / l_.sectors_per_granule;
  std::vector<int> granules;
  while (static_cast<int>(granules.size()) < count) {
    if (!used_.contains(next_)) {
      granules.push_back(next_);
      if (f.deleted == Deletion::kNone) used_.insert(next_);
      next_ += f.scattered ? 2 : 1;
    } else {
      ++next_;
    }
  }
  int k = 0;
  for (int g : granules) {
    for (const trsdos::Place& p : l_.Granule(g)) {
      Sector& s = At(p);
      for (int b = 0; b < kSector && k < static_cast<int>(f.bytes.size()); ++b) s[b] = f.bytes[k++];
    }
  }
  const int attributes = f.deleted == Deletion::kNone       ? f.attributes
                         : f.deleted == Deletion::kInUseBit ? f.attributes & ~0x10
                                                            : 0;
  Entry e{f.name, f.ext, attributes, static_cast<int>(f.bytes.size() % kSector), 0, Runs(granules)};
  if (f.deleted == Deletion::kExtents) e.runs.clear();
  e.ern = sectors;
  if (d_.model3) e.ern = static_cast<int>(f.bytes.size() / kSector);
  e.deleted = f.deleted;
  e.no_hit = f.no_hit;
  entries_.push_back(e);
}

std::vector<std::uint8_t> Builder::ExtentBytes(int first, int count) const {
  const int per =
      l_.scheme == trsdos::Layout::Scheme::kRelative ? l_.gpl : l_.GranulesPerCylinder();
  const int b = (first % per) << 5 | (d_.model3 ? count : count - 1);
  return {static_cast<std::uint8_t>(first / per), static_cast<std::uint8_t>(b)};
}

// The entries with extended entries for runs past what an entry holds, each
// with its DEC.
std::vector<Entry> Builder::Chained() const {
  const int slots = d_.model3 ? 13 : 4;
  std::vector<Entry> all;
  for (const Entry& e : entries_) {
    std::vector<Entry> chain = {e};
    while (!d_.model3 && static_cast<int>(chain.back().runs.size()) > 5) {
      Entry more;
      more.attributes = 0x90;
      more.runs.assign(chain.back().runs.begin() + slots, chain.back().runs.end());
      more.name = chain.front().name;  // for the HIT byte only
      more.ext = chain.front().ext;
      chain.back().runs.resize(slots);
      chain.back().link_from = -2;  // links on
      chain.push_back(more);
    }
    all.insert(all.end(), chain.begin(), chain.end());
  }
  const int entry_sectors = d_.model3 ? 0 : l_.dir_sectors - 2;
  for (std::size_t n = 0; n < all.size(); ++n) {
    all[n].dec =
        d_.model3 ? static_cast<int>(n)
                  : static_cast<int>(n / entry_sectors) << 5 | static_cast<int>(n % entry_sectors);
  }
  return all;
}

// Entry n of the chained entries into its slot, and its HIT byte.
void Builder::WriteEntry(const std::vector<Entry>& all, std::size_t n) {
  const Entry& e = all[n];
  const int size = d_.model3 ? 48 : 32;
  const int sector = d_.model3 ? e.dec / 5 : e.dec & 31, slot = d_.model3 ? e.dec % 5 : e.dec >> 5;
  std::uint8_t* p = At(l_.DirectorySector(2 + sector)).data() + slot * size;
  std::fill_n(p, size, 0);
  std::fill_n(p + 22, size - 22, 0xFF);
  p[0] = static_cast<std::uint8_t>(e.attributes);
  std::uint8_t name11[11];
  std::fill_n(name11, 11, ' ');
  std::copy_n(e.name.begin(), std::min<std::size_t>(8, e.name.size()), name11);
  std::copy_n(e.ext.begin(), std::min<std::size_t>(3, e.ext.size()), name11 + 8);
  if (e.attributes == 0x90) {  // extended
    p[1] = static_cast<std::uint8_t>(all[n - 1].dec);
  } else {
    std::copy_n(name11, 11, p + 5);
    p[3] = static_cast<std::uint8_t>(e.eof);
    p[20] = static_cast<std::uint8_t>(e.ern & 0xFF);
    p[21] = static_cast<std::uint8_t>(e.ern >> 8);
    if (d_.version >> 4 == 5 || d_.version >> 4 == 6) p[1] = 6, p[2] = 15 << 3 | 6;  // 1986-06-15
    if (d_.model3) p[1] = 6, p[2] = 86;
  }
  for (std::size_t k = 0; k < e.runs.size(); ++k) {
    const auto bytes = ExtentBytes(e.runs[k].first, e.runs[k].second);
    p[22 + 2 * k] = bytes[0];
    p[23 + 2 * k] = bytes[1];
  }
  if (e.link_from == -2) p[30] = 0xFE, p[31] = static_cast<std::uint8_t>(all[n + 1].dec);
  Sector& hit = At(l_.DirectorySector(1));
  if (e.deleted == Deletion::kNone && !e.no_hit) hit[e.dec] = trsdos::NameHash(name11);
  if (e.name == "DIR" && e.ext == "SYS" && d_.dir_sys_hit >= 0) hit[e.dec] = d_.dir_sys_hit;
}

void Builder::WriteEntries() {
  const std::vector<Entry> all = Chained();
  for (std::size_t n = 0; n < all.size(); ++n) WriteEntry(all, n);
  if (d_.model3) {
    for (int k = 2; k < l_.dir_sectors; ++k)
      std::copy_n("(c) 1980 Tandy", 14, At(l_.DirectorySector(k)).data() + 0xF0);
  }
}

// PDRIVE entries 1 to 9 as a real system disk keeps them for its other
// drives: 5 1/4" and 8" drives of 35 to 80 cylinders, one or two heads,
// single or double density (DDSL, lumps, flags, TC, SPC, GPL, ..., DDGA).
void OtherDrives(Sector& sys) {
  constexpr std::uint8_t kDrives[9][10] = {
      {0x11, 0x50, 0x13, 0x50, 0x0A, 0x02, 0, 0x00, 0x11, 0x02},
      {0x11, 0x90, 0x13, 0x50, 0x12, 0x02, 0, 0x01, 0x11, 0x02},
      {0x04, 0xBB, 0x1C, 0x16, 0x20, 0x08, 0, 0x00, 0x04, 0x21},
      {0x11, 0x48, 0x13, 0x28, 0x12, 0x02, 0, 0x01, 0x11, 0x02},
      {0x11, 0x28, 0x07, 0x28, 0x0A, 0x02, 0, 0x00, 0x11, 0x02},
      {0x11, 0xA0, 0x13, 0x50, 0x14, 0x02, 0, 0x40, 0x11, 0x02},
      {0x23, 0x48, 0x13, 0x50, 0x24, 0x08, 0, 0x41, 0x23, 0x06},
      {0x11, 0x90, 0x13, 0x28, 0x24, 0x02, 0, 0x41, 0x11, 0x02},
      {0x11, 0x23, 0x07, 0x23, 0x0A, 0x02, 0, 0x00, 0x11, 0x02},
  };
  for (int k = 0; k < 9; ++k) std::copy_n(kDrives[k], 10, sys.begin() + 16 * (k + 1));
}

void Builder::WriteGatAndBoot() {
  Sector& gat = At(l_.DirectorySector(0));
  for (int g : used_) {
    int byte = 0, bit = 0;
    l_.GatBit(g, byte, bit);
    if (byte < 0xC0) gat[byte] |= static_cast<std::uint8_t>(1 << bit);
  }
  gat[0xCB] = static_cast<std::uint8_t>(d_.version);
  if (d_.version != 0) {
    gat[0xCC] = static_cast<std::uint8_t>(l_.cylinders - 35);
    gat[0xCD] = static_cast<std::uint8_t>((l_.granules_per_track - 1) | (l_.heads == 2 ? 0x20 : 0) |
                                          (d_.double_density ? 0x40 : 0));
  }
  if (d_.gat_cd >= 0) gat[0xCD] = static_cast<std::uint8_t>(d_.gat_cd);
  for (int k = 0; k < 8; ++k) {
    gat[0xD0 + k] = k < static_cast<int>(d_.name.size()) ? d_.name[k] : ' ';
    gat[0xD8 + k] = k < static_cast<int>(d_.date.size()) ? d_.date[k] : ' ';
  }
  gat[0xE0] = 0x0D;
  const bool relative = l_.scheme == trsdos::Layout::Scheme::kRelative;
  const int ddsl = relative ? l_.dir_first / (l_.gpl * 5) : l_.dir_cylinder;
  Sector& boot = At({0, 0, l_.first_sector});
  boot[0] = 0x00;
  boot[1] = static_cast<std::uint8_t>(d_.model3 ? l_.dir_cylinder : 0xFE);
  boot[2] = static_cast<std::uint8_t>(d_.boot_directory >= 0 ? d_.boot_directory : ddsl);
  if (d_.newdos_system_sector) {
    Sector& sys = At({l_.track0_offset, 0, l_.first_sector + 2});
    const std::uint8_t entry[10] = {std::uint8_t(ddsl),
                                    0,
                                    std::uint8_t(l_.track0_offset ? 0x40 : 0),
                                    std::uint8_t(l_.cylinders),
                                    std::uint8_t(l_.spt * l_.heads),
                                    std::uint8_t(l_.gpl),
                                    0,
                                    0,
                                    std::uint8_t(ddsl),
                                    std::uint8_t(l_.dir_sectors / 5)};
    std::copy_n(entry, 10, sys.begin());
    if (d_.other_drives) OtherDrives(sys);
    sys[239] = 0xA5;
  }
}

DosSectors Builder::Build() {
  for (int g : DirectoryGranules()) used_.insert(g);
  used_.insert(0);
  const int sectors_of_boot = l_.sectors_per_granule;
  if (!d_.model3) {
    entries_.push_back({"BOOT", "SYS", 0x5F, 0, sectors_of_boot, {{0, 1}}});
    const std::vector<int> dir = DirectoryGranules();
    entries_.push_back({"DIR", "SYS", 0x5F, 0, l_.dir_sectors, Runs(dir)});
  }
  for (const DosFile& f : d_.files) Place(f);
  WriteEntries();
  WriteGatAndBoot();
  return sectors_;
}

trsdos::Layout Geometry(trsdos::Layout::Scheme scheme, int heads, int spt) {
  trsdos::Layout l;
  l.scheme = scheme;
  l.cylinders = 40;
  l.heads = heads;
  l.spt = spt;
  return l;
}

std::vector<DosFile> TenFiles() {
  const int sizes[] = {300, 1, 256, 5000, 1280, 2000, 777, 4096, 9000, 640};
  std::vector<DosFile> files;
  for (int n = 0; n < 10; ++n) {
    DosFile f{"FILE" + std::to_string(n), n % 2 ? "DAT" : "BAS", DosFileBytes(n, sizes[n])};
    if (n == 8) f.name = "SCATTER", f.scattered = true;
    if (n == 9) f.name = "OLD", f.ext = "TXT", f.deleted = Deletion::kAttributes;
    if (n == 3) f.attributes = 0x10 | 0x08 | 0x05;  // invisible, protection 5
    files.push_back(f);
  }
  return files;
}

bool DirectoryPlace(const DosDisk& d, int c, int h, int s) {
  const trsdos::Layout& l = d.layout;
  for (int k = 0; k < l.dir_sectors; ++k) {
    const trsdos::Place p = l.DirectorySector(k);
    if (p.cylinder == c && p.head == h && p.sector == s) return true;
  }
  return false;
}

int DirectoryMark(const DosDisk& d, bool single_density) {
  return d.directory_mark >= 0 ? d.directory_mark
         : single_density      ? marks::kDirectorySingle
                               : marks::kDirectoryDouble;
}

// The JV3 flags of a data mark: single density FB 00, FA 20, F9 40, F8 60;
// double density FB 00, F8 20.
int Jv3Mark(int mark, bool single_density) {
  return single_density ? (marks::kData - mark) << 5 : mark == marks::kDirectoryDouble ? 0x20 : 0;
}

}  // namespace

DosSectors LayOut(const DosDisk& disk) {
  return Builder(disk).Build();
}

std::vector<std::uint8_t> DosFileBytes(int n, int size) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  for (int k = 0; k < size; ++k) bytes[k] = static_cast<std::uint8_t>(n * 31 + k * 7 + (k >> 8));
  return bytes;
}

Bytes DosJv3(const DosDisk& d, const DosSectors& sectors) {
  std::vector<Jv3Entry> entries;
  Bytes data;
  const trsdos::Layout& l = d.layout;
  for (int c = 0; c < l.cylinders; ++c) {
    for (int h = 0; h < l.heads; ++h) {
      const bool sd = !d.double_density || (d.single_density_track0 && c == 0);
      const int spt = sd && c == 0 && d.single_density_track0 ? 10 : l.spt;
      if (c == 0 && h == 1 && d.single_density_track0) continue;
      for (int s = l.first_sector; s < l.first_sector + spt; ++s) {
        const int dam = DirectoryPlace(d, c, h, s) ? Jv3Mark(DirectoryMark(d, sd), sd) : 0;
        entries.push_back({c, s, (sd ? 0 : jv3::kDoubleDensity) | (h ? jv3::kSide1 : 0) | dam});
        const auto it = sectors.find({c, h, s});
        const Sector bytes = it == sectors.end() ? Sector(kSector, 0xE5) : it->second;
        data.insert(data.end(), bytes.begin(), bytes.end());
      }
    }
  }
  Bytes image = Jv3(entries);
  std::copy(data.begin(), data.end(), image.begin() + jv3::kDataStart);
  return image;
}

Bytes DosJv1(const DosDisk& d, const DosSectors& sectors) {
  Bytes image;
  for (int c = 0; c < d.layout.cylinders; ++c) {
    for (int s = 0; s < jv1::kSectorsPerTrack; ++s) {
      const auto it = sectors.find({c, 0, s});
      const Sector bytes = it == sectors.end() ? Sector(kSector, 0xE5) : it->second;
      image.insert(image.end(), bytes.begin(), bytes.end());
    }
  }
  return image;
}

Bytes DosDmk(const DosDisk& d, const DosSectors& sectors, const Places& bad_crc) {
  const trsdos::Layout& l = d.layout;
  return DmkWithFields(dmk::kDoubleTrack, l.cylinders, l.heads, 0, [&](int c, int h) {
    const bool sd = !d.double_density || (d.single_density_track0 && c == 0);
    const int spt = d.single_density_track0 && c == 0 ? 10 : l.spt;
    std::vector<DmkField> fields;
    if (c == 0 && h == 1 && d.single_density_track0) return fields;
    for (int s = l.first_sector; s < l.first_sector + spt; ++s) {
      const auto it = sectors.find({c, h, s});
      DmkField f{.cylinder = c, .head = h, .sector = s, .double_density = !sd};
      f.dam = DirectoryPlace(d, c, h, s) ? DirectoryMark(d, sd) : marks::kData;
      f.data = it == sectors.end() ? Sector(kSector, 0xE5) : it->second;
      f.bad_data_crc =
          std::find(bad_crc.begin(), bad_crc.end(), std::make_tuple(c, h, s)) != bad_crc.end();
      fields.push_back(f);
    }
    return fields;
  });
}

DosDisk NewdosDisk(int heads, int gpl, bool system_sector, bool single_density_track0) {
  DosDisk d;
  d.layout = Geometry(trsdos::Layout::Scheme::kRelative, heads, 18);
  d.layout.gpl = gpl;
  d.layout.track0_offset = single_density_track0 ? 1 : 0;
  d.layout.dir_first = 10 * gpl * 5;
  d.layout.dir_sectors = 10;
  d.newdos_system_sector = system_sector;
  d.single_density_track0 = single_density_track0;
  d.files = TenFiles();
  return d;
}

DosDisk TrsdosDisk(int version) {
  DosDisk d;
  const bool dd = version != 0;
  d.layout = Geometry(trsdos::Layout::Scheme::kCylinder, 1, dd ? 18 : 10);
  d.layout.granules_per_track = dd ? 3 : 2;
  d.layout.sectors_per_granule = dd ? 6 : 5;
  d.layout.dir_cylinder = 17;
  d.layout.dir_sectors = d.layout.spt;
  d.double_density = dd;
  d.version = version;
  d.files = TenFiles();
  return d;
}

DosDisk Model3Disk() {
  DosDisk d;
  d.model3 = true;
  d.layout = Geometry(trsdos::Layout::Scheme::kModel3, 1, 18);
  d.layout.sectors_per_granule = 3;
  d.layout.granules_per_track = 6;
  d.layout.dir_cylinder = 17;
  d.layout.dir_sectors = 18;
  d.files = TenFiles();
  return d;
}

DosDisk Ldos53DataDisk(bool double_density) {
  DosDisk d = TrsdosDisk(0x53);
  d.double_density = double_density;
  d.layout.spt = double_density ? 18 : 10;
  d.layout.heads = double_density ? 2 : 1;
  d.layout.granules_per_track = double_density ? 3 : 2;
  d.layout.sectors_per_granule = double_density ? 6 : 5;
  d.layout.dir_cylinder = 20;
  d.layout.dir_sectors = std::min(34, d.layout.spt * d.layout.heads);
  d.gat_cd = double_density ? 0xE8 : 0x88;
  d.name = "LDOSDATA";
  return d;
}

DosDisk Trsdos23DataDisk() {
  DosDisk d = TrsdosDisk(0);
  d.boot_directory = 0x01;
  d.directory_mark = marks::kDirectoryDouble;  // in single density
  d.dir_sys_hit = 0x2C;
  d.files.resize(3);
  d.files.push_back({"AB\x01\x7F", "X\x1B", DosFileBytes(11, 100)});
  d.files.back().no_hit = true;
  return d;
}

DosDisk BigNewdosDisk(bool gdos) {
  DosDisk d = NewdosDisk(2, 4, true, true);
  d.layout.cylinders = 80;
  d.layout.dir_first = 17 * 4 * 5;
  d.layout.dir_sectors = 20;
  if (gdos) d.name = "G-DOS";
  d.files = TenFiles();
  d.files[9].deleted = Deletion::kInUseBit;
  d.files[9].attributes = 0x10 | 0x05;
  d.files.push_back({"GONE", "CMD", DosFileBytes(12, 3000)});
  d.files.back().deleted = Deletion::kExtents;
  return d;
}

Places BigNewdosBadSectors() {
  // Inside FILE3/DAT and SCATTER/BAS.
  return {{1, 1, 2}, {3, 0, 8}};
}

Bytes NewHardDisk(int cylinders, int heads, int drives) {
  filesystems::FormatRequest q;
  q.dos = "ldos";
  q.cylinders = cylinders;
  q.heads = heads;
  q.drives = drives;
  q.date = "12/08/26";
  q.container = disk::Container::kReed;
  return ops::NewImage(ops::FormatNew(q), q.container, {}).bytes;
}

}  // namespace trivane::build
