// Which DOS made the disk: every layout the disk's own bytes suggest is read
// as a directory, and the one whose directory best explains the disk wins
// (HIT bytes that match their names, BOOT/SYS and DIR/SYS where they
// belong). Each result says why it is believed.
//
// Suggestions: the NEWDOS/80 system sector (A5 at byte 239, its PDRIVE
// table of 10 entries of 16 bytes: +0 DDSL, +2 bit 0x40 track-0 offset, +3
// TC, +4 sectors per cylinder, +5 GPL, +9 DDGA); the boot sector's byte 2 as
// a TRSDOS directory cylinder or a NEWDOS/80 DDSL; a cylinder whose sectors
// carry the directory mark; the boot sector's byte 1 as a Model III TRSDOS
// 1.3 directory cylinder.
#include <algorithm>
#include <map>
#include <optional>

#include "dos/directory.h"
#include "formats/data_marks.h"
#include "formats/newdos80.h"

namespace trivane::dos {
namespace {

using newdos80::kPdriveEntries, newdos80::kPdriveEntryBytes, newdos80::kSignature,
    newdos80::kSignatureAt;
constexpr int kGatVersion = 0xCB, kGatGeometry = 0xCD;

// A layout tried, its directory read without findings.
struct Candidate {
  Family family;
  std::string version;
  std::vector<std::string> evidence;
  Directory directory;
  bool dated;
};

// What the sectors say of the disk's shape.
struct Shape {
  int cylinders = 0, heads = 1, spt = 10, first = 0;
  bool double_density = false;
  std::vector<int> first_of;  // per cylinder: its lowest sector id on head 0, -1 for none
  bool Has(int cylinder) const {
    return cylinder >= 0 && cylinder < static_cast<int>(first_of.size()) && first_of[cylinder] >= 0;
  }
};

Shape ShapeOf(const disk::Disk& disk) {
  Shape s;
  s.cylinders = disk.cylinders;
  s.first_of.assign(static_cast<std::size_t>(std::max(disk.cylinders, 0)), -1);
  int dd = 0, head1 = 0, on[2] = {0, 0};
  for (const disk::Sector& x : disk.sectors) {
    head1 += x.head == 1;
    if (x.head != 0 || x.cylinder >= s.cylinders) continue;
    int& first = s.first_of[x.cylinder];
    first = first < 0 ? x.id_sector : std::min<int>(first, x.id_sector);
    if (x.cylinder < 2) ++on[x.cylinder];
    if (x.cylinder == 1) dd += x.density == disk::Density::kDouble ? 1 : -1;
  }
  s.heads = head1 > 0 ? 2 : 1;
  const int probe = on[1] > 0 ? 1 : 0;
  s.spt = std::max(1, on[probe]);
  s.first = s.Has(probe) ? s.first_of[probe] : 0;
  s.double_density = dd > 0;
  return s;
}

// A granule geometry of a TRSDOS-family disk.
struct Geometry {
  int granules_per_track, heads;
  bool from_gat;  // what GAT byte CD says
};

class Detector {
 public:
  Detector(const SectorIndex& sectors, const disk::Disk& disk)
      : sectors_(sectors), disk_(disk), shape_(ShapeOf(disk)) {}
  Catalogue Decide();

 private:
  std::vector<std::uint8_t> Sector(int cylinder, int head, int id) const {
    bool crc = false;
    return sectors_.Data({cylinder, head, id}, crc);
  }
  void Try(Family family, std::string version, std::vector<std::string> evidence,
           const Layout& layout, bool dated);
  void Keep(Family family, std::string version, std::vector<std::string> evidence, Directory d,
            bool dated);
  std::vector<Geometry> Geometries(int cd, bool ldos) const;
  std::pair<Layout, Directory> BestGeometry(Layout l, int cd, bool ldos, bool dated,
                                            std::vector<std::string>& evidence) const;
  void NewdosFromSystemSector();
  void NewdosDataDisk(int ddsl);
  bool Plausible(const Layout& layout) const;
  void TrsdosCylinder(int cylinder, const std::string& why);
  void Model3(int cylinder);
  void MarkedCylinders(int named);
  Layout Base(Layout::Scheme scheme) const;

  const SectorIndex& sectors_;
  const disk::Disk& disk_;
  Shape shape_;
  std::vector<Candidate> candidates_;
  std::vector<std::string> looked_at_;
};

Layout Detector::Base(Layout::Scheme scheme) const {
  Layout l;
  l.scheme = scheme;
  l.cylinders = shape_.cylinders;
  l.heads = shape_.heads;
  l.spt = shape_.spt;
  l.first_sector = shape_.first;
  return l;
}

void Detector::Try(Family family, std::string version, std::vector<std::string> evidence,
                   const Layout& layout, bool dated) {
  // PDRIVE tables often describe one drive several times.
  for (const Candidate& c : candidates_) {
    if (c.directory.catalogue.layout == layout && c.family == family) return;
  }
  Directory d = ReadDirectory(sectors_, layout, dated, false);
  // DIR/SYS's own extent gives the directory's size where a guess was made.
  for (const File& f : d.catalogue.files) {
    if (layout.scheme != Layout::Scheme::kRelative || f.Shown() != "DIR/SYS" || f.extents.empty())
      continue;
    const int sectors = f.extents[0].granules * layout.sectors_per_granule;
    if (f.extents[0].first_granule * 5 == layout.dir_first && sectors != layout.dir_sectors &&
        sectors >= 2 && sectors <= 2 + 32) {
      Layout sized = layout;
      sized.dir_sectors = sectors;
      d = ReadDirectory(sectors_, sized, dated, false);
      break;
    }
  }
  Keep(family, std::move(version), std::move(evidence), std::move(d), dated);
}

void Detector::Keep(Family family, std::string version, std::vector<std::string> evidence,
                    Directory d, bool dated) {
  evidence.push_back("HIT bytes match " + std::to_string(d.matched) + " of " +
                     std::to_string(d.entries) + " entries");
  if (d.system_files) evidence.push_back("BOOT/SYS at DEC 0 and DIR/SYS at DEC 1");
  candidates_.push_back({family, std::move(version), std::move(evidence), std::move(d), dated});
}

void Detector::NewdosFromSystemSector() {
  for (int cylinder : {0, 1}) {
    if (!shape_.Has(cylinder)) continue;
    const int id = shape_.first_of[cylinder] + 2;
    const std::vector<std::uint8_t> s = Sector(cylinder, 0, id);
    if (s.size() < 256 || s[kSignatureAt] != kSignature) continue;
    const std::string where =
        "A5 at byte 239 of cylinder " + std::to_string(cylinder) + " sector " + std::to_string(id);
    for (int k = 0; k < kPdriveEntries; ++k) {
      const std::uint8_t* e = s.data() + k * kPdriveEntryBytes;
      const int ddsl = e[0], spc = e[4], gpl = e[5], ddga = e[9];
      if (gpl < 2 || gpl > 8 || spc == 0 || ddga == 0) continue;
      Layout l = Base(Layout::Scheme::kRelative);
      l.heads = std::clamp(spc / shape_.spt, 1, 2);
      l.spt = spc / l.heads;
      l.gpl = gpl;
      l.track0_offset = (e[2] & 0x40) || cylinder == 1 ? 1 : 0;
      l.dir_first = ddsl * gpl * 5;
      l.dir_sectors = ddga * 5;
      Try(Family::kNewdos80, "",
          {where, "PDRIVE entry " + std::to_string(k) + ": DDSL " + std::to_string(ddsl) +
                      ", GPL " + std::to_string(gpl) + ", SPC " + std::to_string(spc) + ", DDGA " +
                      std::to_string(ddga)},
          l, false);
    }
    return;
  }
  looked_at_.push_back("no A5 at byte 239 of the system sector on cylinder 0 or 1");
}

// A quick look before a whole directory is read: the entry at DEC 0 is in
// use and its HIT byte is its name's hash, as BOOT/SYS's is on every disk.
bool Detector::Plausible(const Layout& l) const {
  bool crc = false;
  const std::vector<std::uint8_t> hit = sectors_.Data(l.DirectorySector(1), crc);
  const std::vector<std::uint8_t> entries = sectors_.Data(l.DirectorySector(2), crc);
  return hit.size() == 256 && entries.size() == 256 && (entries[0] & 0x10) &&
         hit[0] == NameHash(entries.data() + 5);
}

void Detector::NewdosDataDisk(int ddsl) {
  for (int gpl = 2; gpl <= 8; ++gpl) {
    for (int heads = shape_.heads; heads >= 1; --heads) {
      for (int offset : {0, 1}) {
        Layout l = Base(Layout::Scheme::kRelative);
        l.heads = heads;
        l.gpl = gpl;
        l.track0_offset = offset;
        l.dir_first = ddsl * gpl * 5;
        l.dir_sectors = 10;
        if (!Plausible(l)) continue;
        Try(Family::kNewdos80, "",
            {"boot byte 2 read as DDSL " + std::to_string(ddsl) + " with GPL " +
             std::to_string(gpl) + ", " + std::to_string(heads) +
             (heads == 1 ? " head" : " heads") + (offset ? ", from cylinder 1" : "")},
            l, false);
      }
    }
  }
}

// The granule geometries to try for a directory cylinder: what GAT byte CD
// says, when it gives granules of 5 or 8 sectors (single density) or 6 or 10
// (double) that fill the track, then 2 granules a track (single density) or
// 3 (double) with as many heads as the disk has, then with one.
std::vector<Geometry> Detector::Geometries(int cd, bool ldos) const {
  const bool dd = shape_.double_density;
  std::vector<Geometry> all;
  if (ldos) {
    const int gpt = (cd & 7) + 1, spg = shape_.spt / gpt;
    const bool fits = shape_.spt % gpt == 0 && (dd ? spg == 6 || spg == 10 : spg == 5 || spg == 8);
    if (fits) all.push_back({gpt, cd & 0x20 && shape_.heads == 2 ? 2 : 1, true});
  }
  for (int heads = shape_.heads; heads >= 1; --heads) {
    const Geometry g{dd ? 3 : 2, heads, false};
    if (std::none_of(all.begin(), all.end(), [&](const Geometry& x) {
          return x.granules_per_track == g.granules_per_track && x.heads == g.heads;
        })) {
      all.push_back(g);
    }
  }
  return all;
}

// Of the geometries, the one whose directory explains the disk best: a
// higher score, then fewer extents that overlap, run past the disk or start
// at a granule the track does not have; the earlier on a tie.
std::pair<Layout, Directory> Detector::BestGeometry(Layout l, int cd, bool ldos, bool dated,
                                                    std::vector<std::string>& evidence) const {
  std::optional<std::pair<Layout, Directory>> best;
  bool cd_tried = false;
  for (const Geometry& g : Geometries(cd, ldos)) {
    cd_tried = cd_tried || g.from_gat;
    l.heads = g.heads;
    l.granules_per_track = g.granules_per_track;
    l.sectors_per_granule = l.spt / g.granules_per_track;
    l.dir_sectors = std::min(34, l.spt * l.heads);
    Directory d = ReadDirectory(sectors_, l, dated, false);
    if (!best || std::make_pair(d.Score() > 0, -d.conflicts) >
                     std::make_pair(best->second.Score() > 0, -best->second.conflicts)) {
      best.emplace(l, std::move(d));
    }
  }
  const Layout& chosen = best->first;
  const bool cd_kept = cd_tried && chosen.granules_per_track == (cd & 7) + 1 &&
                       chosen.heads == (cd & 0x20 && shape_.heads == 2 ? 2 : 1);
  if (ldos && !cd_kept) {
    evidence.push_back("GAT byte CD (" + disk::HexByte(cd) + ") says " +
                       std::to_string((cd & 7) + 1) + ((cd & 7) ? " granules" : " granule") +
                       " a track" + (cd & 0x20 ? ", two heads" : "") + "; set aside for " +
                       std::to_string(chosen.granules_per_track) + " granules a track, " +
                       std::to_string(chosen.heads) + (chosen.heads == 1 ? " head" : " heads") +
                       ", which the directory fits");
  }
  return *std::move(best);
}

void Detector::TrsdosCylinder(int cylinder, const std::string& why) {
  Layout l = Base(Layout::Scheme::kCylinder);
  l.dir_cylinder = cylinder;
  l.first_sector = shape_.Has(cylinder) ? shape_.first_of[cylinder] : shape_.first;
  const std::vector<std::uint8_t> gat = Sector(cylinder, 0, l.first_sector);
  if (gat.size() < 256) return;
  const int v = gat[kGatVersion];
  // The geometry byte means something on LDOS-family disks only.
  const bool ldos = v >> 4 == 5 || v >> 4 == 6;
  std::vector<std::string> evidence = {why};
  Family family = Family::kTrsdos23;
  std::string version;
  if (ldos) {
    family = v >> 4 == 5 ? Family::kLdos : Family::kLsdos;
    version = std::to_string(v >> 4) + "." + std::to_string(v & 15);
    evidence.push_back("GAT version byte " + disk::HexByte(v));
  }
  for (int c : {0, 1}) {
    for (int id = shape_.first; id < shape_.first + shape_.spt && family == Family::kTrsdos23;
         ++id) {
      const std::vector<std::uint8_t> s = Sector(c, 0, id);
      const std::string text(s.begin(), s.end());
      if (text.find("DOSPLUS") != std::string::npos) {
        family = Family::kDosplus;
        evidence.push_back("\"DOSPLUS\" in cylinder " + std::to_string(c) + " sector " +
                           std::to_string(id));
      }
    }
  }
  const bool dated = family == Family::kLdos || family == Family::kLsdos;
  auto [layout, directory] = BestGeometry(l, gat[kGatGeometry], ldos, dated, evidence);
  Keep(family, version, std::move(evidence), std::move(directory), dated);
}

void Detector::Model3(int cylinder) {
  Layout l = Base(Layout::Scheme::kModel3);
  l.dir_cylinder = cylinder;
  l.heads = 1;
  l.sectors_per_granule = shape_.double_density ? 3 : 2;
  l.granules_per_track = std::max(1, l.spt / l.sectors_per_granule);
  l.dir_sectors = l.spt;
  int signed_sectors = 0;
  for (int i = 2; i < l.spt; ++i) {
    const std::vector<std::uint8_t> s = Sector(cylinder, 0, l.first_sector + i);
    signed_sectors +=
        s.size() == 256 && std::string(s.begin() + 0xF0, s.begin() + 0xFE) == "(c) 1980 Tandy";
  }
  if (signed_sectors == 0) {
    looked_at_.push_back("boot byte 1 names cylinder " + std::to_string(cylinder) +
                         ", whose sectors do not end with \"(c) 1980 Tandy\"");
    return;
  }
  Try(Family::kTrsdos13, "",
      {"boot byte 1 names directory cylinder " + std::to_string(cylinder),
       "\"(c) 1980 Tandy\" at byte 240 of " + std::to_string(signed_sectors) + " entry sectors"},
      l, false);
}

// When no named cylinder explains the disk: a cylinder whose every sector
// carries a directory mark (F8 or FA, in either density), kept when its
// DIR/SYS entry points at it.
void Detector::MarkedCylinders(int named) {
  std::map<int, std::pair<int, int>> marks;  // cylinder: sectors, directory-marked
  for (const disk::Sector& s : disk_.sectors) {
    if (s.head != 0) continue;
    auto& [all, dir] = marks[s.cylinder];
    ++all;
    dir += s.dam == marks::kDirectoryDouble || s.dam == marks::kDirectorySingle;
  }
  for (const auto& [at, count] : marks) {
    const int cylinder = at;
    if (count.second != count.first || count.first <= 2 || cylinder == named) continue;
    const std::size_t before = candidates_.size();
    TrsdosCylinder(cylinder, "the sectors of cylinder " + std::to_string(cylinder) +
                                 " carry the directory mark");
    if (candidates_.size() == before) continue;
    const std::vector<File>& files = candidates_.back().directory.catalogue.files;
    const bool pointed = std::any_of(files.begin(), files.end(), [&](const File& f) {
      return f.Shown() == "DIR/SYS" && !f.extents.empty() && f.extents[0].raw[0] == cylinder;
    });
    if (!pointed) {
      looked_at_.push_back("the sectors of cylinder " + std::to_string(cylinder) +
                           " carry the directory mark, but no DIR/SYS there points at it");
      candidates_.pop_back();
    }
  }
}

Catalogue Detector::Decide() {
  const std::vector<std::uint8_t> boot = Sector(0, 0, shape_.Has(0) ? shape_.first_of[0] : 0);
  NewdosFromSystemSector();
  if (boot.size() >= 3) {
    TrsdosCylinder(boot[2] & 0x7F,
                   "boot byte 2 names directory cylinder " + std::to_string(boot[2] & 0x7F));
    Model3(boot[1] & 0x7F);
    if (candidates_.empty() ||
        std::none_of(candidates_.begin(), candidates_.end(),
                     [](const Candidate& c) { return c.directory.Score() > 0; })) {
      NewdosDataDisk(boot[2]);
    }
  } else {
    looked_at_.push_back("no boot sector on cylinder 0");
  }
  if (std::none_of(candidates_.begin(), candidates_.end(),
                   [](const Candidate& c) { return c.directory.Score() > 0; })) {
    MarkedCylinders(boot.size() >= 3 ? boot[2] & 0x7F : -1);
  }
  const auto best = std::max_element(candidates_.begin(), candidates_.end(),
                                     [](const Candidate& a, const Candidate& b) {
                                       return a.directory.Score() < b.directory.Score();
                                     });
  Catalogue c;
  if (best == candidates_.end() || best->directory.Score() == 0) {
    c.evidence = looked_at_;
    for (const Candidate& k : candidates_) {
      c.evidence.push_back(k.evidence.front() + ": " + k.evidence.back());
    }
    if (c.evidence.empty()) c.evidence.push_back("no layout to try");
    return c;
  }
  // The winner read again, with its findings.
  c = ReadDirectory(sectors_, best->directory.catalogue.layout, best->dated).catalogue;
  c.family = best->family;
  c.version = best->version;
  c.evidence = best->evidence;
  const std::string boot_text(boot.begin(), boot.end());
  if (c.family == Family::kNewdos80 && (boot_text.find("G-DOS") != std::string::npos ||
                                        c.disk_name.find("G-DOS") != std::string::npos)) {
    c.family = Family::kGdos;
    c.evidence.push_back("\"G-DOS\" in the boot sector or the disk name");
  }
  return c;
}

}  // namespace

Catalogue ReadCatalogue(const SectorIndex& sectors) {
  Catalogue c = Detector(sectors, sectors.disk()).Decide();
  if (c.family != Family::kUnknown) MarkUnreadable(sectors, c);
  return c;
}

Catalogue ReadCatalogue(const disk::Disk& disk) {
  return ReadCatalogue(SectorIndex(disk));
}

const char* FamilyName(Family family) {
  switch (family) {
    case Family::kNewdos80:
      return "NEWDOS/80";
    case Family::kGdos:
      return "G-DOS";
    case Family::kTrsdos23:
      return "TRSDOS 2.3";
    case Family::kLdos:
      return "LDOS";
    case Family::kLsdos:
      return "LS-DOS";
    case Family::kDosplus:
      return "DOSPLUS";
    case Family::kTrsdos13:
      return "TRSDOS 1.3";
    case Family::kUnknown:
      break;
  }
  return "unknown";
}

}  // namespace trivane::dos
