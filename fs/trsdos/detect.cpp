// Which DOS made the disk: every layout the disk's own bytes suggest is read
// as a directory, and the one whose directory best explains the disk wins
// (HIT bytes that match their names, BOOT/SYS and DIR/SYS where they
// belong). Each result says why it is believed.
//
// The families suggest, in this order: NEWDOS/80 from its system sector
// (newdos80.cpp); TRSDOS 2.3 and its kin from the cylinder boot byte 2 names
// (trsdos.cpp); Model III TRSDOS 1.3 from the cylinder boot byte 1 names
// (model3.cpp); then, while nothing explains the disk, NEWDOS/80 with boot
// byte 2 as DDSL, and a cylinder that carries the directory mark.
#include <algorithm>
#include <atomic>
#include <set>
#include <tuple>

#include "fs/trsdos/candidates.h"

namespace trivane::trsdos {
namespace {

using Key = std::tuple<int, int, int>;

Key KeyOf(const Place& p) {
  return {p.cylinder, p.head, p.sector};
}

std::set<Key> DirectoryPlaces(const Layout& l) {
  std::set<Key> out;
  for (int i = 0; i < l.dir_sectors; ++i) out.insert(KeyOf(l.DirectorySector(i)));
  return out;
}

// True when a's GAT and HIT are sectors of a live file of b's directory
// (DIR/SYS aside, whose sectors are b's directory itself) and the two
// directories share no sector: then a's "directory" is what b's file holds.
bool InsideAFileOf(const Candidate& a, const Candidate& b) {
  const Layout& la = a.directory.catalogue.layout;
  const Layout& lb = b.directory.catalogue.layout;
  if (la.dir_sectors < 2) return false;
  const std::set<Key> own = DirectoryPlaces(lb);
  for (const Key& k : DirectoryPlaces(la)) {
    if (own.contains(k)) return false;
  }
  std::set<Key> held;
  for (const File& f : b.directory.catalogue.files) {
    if (f.Shown() == "DIR/SYS") continue;
    for (const Place& p : FileSectors(lb, f)) held.insert(KeyOf(p));
  }
  return held.contains(KeyOf(la.DirectorySector(0))) && held.contains(KeyOf(la.DirectorySector(1)));
}

// True when the directory's own GAT gives out the granules its GAT and HIT
// lie in, as every real disk's does; a copy of a directory elsewhere on a
// disk (in a file, or left in the free space when the file was deleted)
// keeps the GAT of the place it was copied from.
bool OwnsItsPlace(const Candidate& k, const disk::SectorStore& sectors) {
  const Layout& l = k.directory.catalogue.layout;
  std::vector<std::uint8_t> gat = sectors.Get(l.DirectorySector(0)).data;
  gat.resize(256, 0);
  const std::set<Key> heads = {KeyOf(l.DirectorySector(0)), KeyOf(l.DirectorySector(1))};
  int owned = 0;
  for (int g = 0; g < l.TotalGranules() && owned < 2; ++g) {
    int byte = 0, bit = 0;
    l.GatBit(g, byte, bit);
    if (byte >= 0xC0 || !(gat[static_cast<std::size_t>(byte)] >> bit & 1)) continue;
    for (const Place& p : l.Granule(g)) owned += heads.contains(KeyOf(p));
  }
  return owned == 2;
}

// Why a's directory is set aside for b's, or empty: a lies in a file of b
// and b in none of a's; or a's GAT disowns its place while b's owns it.
std::string SetAside(const Candidate& a, const Candidate& b, bool a_owns, bool b_owns) {
  if (InsideAFileOf(a, b) && !InsideAFileOf(b, a)) {
    return "its directory lies inside a file of the " + std::string(FamilyName(b.family)) +
           " directory";
  }
  if (!a_owns && b_owns) return "its GAT gives out its own directory's granules as free";
  return "";
}

// A file's own bytes can look like a directory: a file of one repeated
// byte whose name hash is that byte fills a cylinder with matching entries,
// and a file may hold a copy of a real directory, live or deleted. Of the
// directories that explain the disk, those that another shows to be such a
// copy are set aside.
void DropDirectoriesInFiles(Candidates& c) {
  std::vector<int> explaining;
  for (std::size_t k = 0; k < c.list.size(); ++k) {
    if (c.list[k].directory.Score() > 0) explaining.push_back(static_cast<int>(k));
  }
  if (explaining.size() < 2) return;
  std::vector<bool> owns(c.list.size(), false), drop(c.list.size(), false);
  for (int k : explaining) owns[k] = OwnsItsPlace(c.list[k], c.sectors());
  for (int a : explaining) {
    for (int b : explaining) {
      if (a == b || drop[a]) continue;
      const std::string why = SetAside(c.list[a], c.list[b], owns[a], owns[b]);
      drop[a] = !why.empty();
      if (drop[a]) c.set_aside.push_back(c.list[a].evidence.front() + ": set aside, " + why);
    }
  }
  std::vector<Candidate> kept;
  for (std::size_t k = 0; k < c.list.size(); ++k) {
    if (!drop[k]) kept.push_back(std::move(c.list[k]));
  }
  c.list = std::move(kept);
}

Catalogue Decide(const disk::SectorStore& sectors) {
  Candidates c(sectors);
  const Shape& shape = c.shape();
  const std::vector<std::uint8_t> boot = c.Sector(0, 0, shape.Has(0) ? shape.first_of[0] : 0);
  NewdosFromSystemSector(c);
  if (boot.size() >= 3) {
    TrsdosCylinder(c, boot[2] & 0x7F,
                   "boot byte 2 names directory cylinder " + std::to_string(boot[2] & 0x7F));
    Model3(c, boot[1] & 0x7F);
    if (!c.AnyExplains()) NewdosDataDisk(c, boot[2]);
  } else {
    c.looked_at.push_back("no boot sector on cylinder 0");
  }
  if (!c.AnyExplains()) MarkedCylinders(c, boot.size() >= 3 ? boot[2] & 0x7F : -1);
  DropDirectoriesInFiles(c);
  const auto best =
      std::max_element(c.list.begin(), c.list.end(), [](const Candidate& a, const Candidate& b) {
        return a.directory.Score() < b.directory.Score();
      });
  Catalogue out;
  if (best == c.list.end() || best->directory.Score() == 0) {
    out.evidence = c.looked_at;
    out.evidence.insert(out.evidence.end(), c.set_aside.begin(), c.set_aside.end());
    for (const Candidate& k : c.list) {
      out.evidence.push_back(k.evidence.front() + ": " + k.evidence.back());
    }
    if (out.evidence.empty()) out.evidence.push_back("no layout to try");
    return out;
  }
  // The winner read again, with its findings.
  out = ReadDirectory(sectors, best->directory.catalogue.layout, best->dated).catalogue;
  out.family = best->family;
  out.version = best->version;
  out.score = best->directory.Score();
  out.evidence = best->evidence;
  out.evidence.insert(out.evidence.end(), c.set_aside.begin(), c.set_aside.end());
  const std::string boot_text(boot.begin(), boot.end());
  if (out.family == Family::kNewdos80 && (boot_text.find("G-DOS") != std::string::npos ||
                                          out.disk_name.find("G-DOS") != std::string::npos)) {
    out.family = Family::kGdos;
    out.evidence.push_back("\"G-DOS\" in the boot sector or the disk name");
  }
  return out;
}

}  // namespace

namespace {
std::atomic<std::int64_t> catalogues_read{0};
}  // namespace

std::int64_t CataloguesRead() {
  return catalogues_read.load();
}

Catalogue ReadCatalogue(const disk::SectorStore& sectors) {
  ++catalogues_read;
  Catalogue c = Decide(sectors);
  if (c.family != Family::kUnknown) MarkUnreadable(sectors, c);
  return c;
}

Catalogue ReadCatalogue(const disk::Disk& disk) {
  return ReadCatalogue(disk::SectorStore(disk));
}

}  // namespace trivane::trsdos
