// TRSDOS 2.3 and its kin (LDOS, LS-DOS, DOSPLUS): a directory cylinder named
// by the boot sector, or found by its mark; its granules a track chosen
// among what GAT byte CD says and what the DOS's density uses. The GAT:
// +CB version (5x LDOS, 6x LS-DOS), +CD granules a track - 1 (bits 0..2),
// two heads (bit 5).
#include <algorithm>
#include <map>
#include <optional>
#include <tuple>

#include "formats/data_marks.h"
#include "fs/trsdos/candidates.h"
#include "fs/trsdos/families.h"

namespace trivane::trsdos {
namespace {

constexpr int kGatVersion = 0xCB, kGatGeometry = 0xCD;

// A granule geometry of a TRSDOS-family disk.
struct Geometry {
  int granules_per_track, heads;
  bool from_gat;  // what GAT byte CD says
};

// The granules a track a GAT's allocation bytes say where every one of
// them has its high bits set, the granules a track has not (C0: 6); 0 when
// none are set so.
int LockedOut(const std::vector<std::uint8_t>& gat, int cylinders) {
  int all = 0xFF;
  for (int k = 0; k < std::min(cylinders, kGatVersion); ++k)
    all &= gat[static_cast<std::size_t>(k)];
  int gpt = 8;
  while (gpt > 1 && (all >> (gpt - 1) & 1)) --gpt;
  return gpt < 8 ? gpt : 0;
}

// The granule geometries to try for a directory cylinder: what GAT byte CD
// says, when it gives granules of 5 or 8 sectors (single density) or 6 or 10
// (double) that fill the track, or any that fill a hard drive's track; on a
// hard drive, what its GAT's locked-out bits say; then 2 granules a track
// (single density) or 3 (double) with as many heads as the disk has, then
// with one.
std::vector<Geometry> Geometries(const Shape& shape, int cd, bool ldos, bool hard_drive,
                                 int locked_out) {
  const bool dd = shape.double_density;
  std::vector<Geometry> all;
  if (hard_drive && !ldos && locked_out > 0 && shape.spt % locked_out == 0) {
    all.push_back({locked_out, 1, false});
  }
  if (ldos) {
    const int gpt = (cd & 7) + 1, spg = shape.spt / gpt;
    const bool usual = hard_drive || (dd ? spg == 6 || spg == 10 : spg == 5 || spg == 8);
    const bool fits = shape.spt % gpt == 0 && usual;
    if (fits) all.push_back({gpt, cd & 0x20 && shape.heads == 2 ? 2 : 1, true});
  }
  for (int heads = shape.heads; heads >= 1; --heads) {
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
std::pair<Layout, Directory> BestGeometry(const Candidates& c, Layout l,
                                          const std::vector<std::uint8_t>& gat, bool ldos,
                                          bool dated, std::vector<std::string>& evidence) {
  std::optional<std::pair<Layout, Directory>> best;
  bool cd_tried = false;
  const bool hard_drive = c.sectors().disk().container == disk::Container::kReed;
  const int cd = gat[kGatGeometry];
  for (const Geometry& g :
       Geometries(c.shape(), cd, ldos, hard_drive, LockedOut(gat, c.shape().cylinders))) {
    cd_tried = cd_tried || g.from_gat;
    l.heads = g.heads;
    l.granules_per_track = g.granules_per_track;
    l.sectors_per_granule = l.spt / g.granules_per_track;
    l.dir_sectors = std::min(34, l.spt * l.heads);
    Directory d = ReadDirectory(c.sectors(), l, dated, false);
    if (!best || std::make_pair(d.Score() > 0, -d.conflicts) >
                     std::make_pair(best->second.Score() > 0, -best->second.conflicts)) {
      best.emplace(l, std::move(d));
    }
  }
  const Layout& chosen = best->first;
  const bool cd_kept = cd_tried && chosen.granules_per_track == (cd & 7) + 1 &&
                       chosen.heads == (cd & 0x20 && c.shape().heads == 2 ? 2 : 1);
  if (ldos && !cd_kept) {
    evidence.push_back("GAT byte CD (" + HexByte(cd) + ") says " + std::to_string((cd & 7) + 1) +
                       ((cd & 7) ? " granules" : " granule") + " a track" +
                       (cd & 0x20 ? ", two heads" : "") + "; set aside for " +
                       std::to_string(chosen.granules_per_track) + " granules a track, " +
                       std::to_string(chosen.heads) + (chosen.heads == 1 ? " head" : " heads") +
                       ", which the directory fits");
  }
  return *std::move(best);
}

// Where DOSPLUS names itself: the boot sector, or the system's own files
// (SYS0/SYS first, its resident part, then the other system files, the
// utilities among them), wherever they lie. Sectors of other files, and
// free ones with a deleted file's bytes, say only what those files held.
std::string DosplusNamed(const Candidates& c, const Directory& d) {
  const Shape& shape = c.shape();
  const auto named = [&](const Place& p) {
    const std::vector<std::uint8_t> s = c.Sector(p.cylinder, p.head, p.sector);
    return std::string_view(reinterpret_cast<const char*>(s.data()), s.size()).find("DOSPLUS") !=
           std::string_view::npos;
  };
  const Place boot{0, 0, shape.Has(0) ? shape.first_of[0] : shape.first};
  if (named(boot)) return "the boot sector";
  std::vector<const File*> system;
  for (const File& f : d.catalogue.files) {
    if (f.system && f.Shown() != "DIR/SYS") system.push_back(&f);
  }
  std::stable_partition(system.begin(), system.end(),
                        [](const File* f) { return f->Shown() == "SYS0/SYS"; });
  for (const File* f : system) {
    for (const Place& p : FileSectors(d.catalogue.layout, *f)) {
      if (named(p)) {
        return f->Shown() + ", cylinder " + std::to_string(p.cylinder) + " sector " +
               std::to_string(p.sector);
      }
    }
  }
  return "";
}

// MULTIDOS's system lies in system files of its own type, DOL
// ("Command/DOL", "Minidos/DOL"): the first three named, or empty.
std::string MultidosFiles(const Directory& d) {
  std::string named;
  int count = 0;
  for (const File& f : d.catalogue.files) {
    if (!f.system || f.ext != "DOL") continue;
    if (count++ < 3) named += (named.empty() ? "" : ", ") + f.Shown();
  }
  return count >= 2 ? named + (count > 3 ? " and " + std::to_string(count - 3) + " more" : "") : "";
}

}  // namespace

void TrsdosCylinder(Candidates& c, int cylinder, const std::string& why) {
  Layout l = c.Base(Layout::Scheme::kCylinder);
  l.dir_cylinder = cylinder;
  if (c.sectors().disk().container == disk::Container::kReed) l.gat_end = kGatVersion;
  l.first_sector = c.shape().Has(cylinder) ? c.shape().first_of[cylinder] : c.shape().first;
  const std::vector<std::uint8_t> gat = c.Sector(cylinder, 0, l.first_sector);
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
    evidence.push_back("GAT version byte " + HexByte(v));
  }
  const bool dated = RowOf(family).read_dates == Dates::kPacked;
  auto [layout, directory] = BestGeometry(c, l, gat, ldos, dated, evidence);
  if (family == Family::kTrsdos23) {
    if (const std::string where = DosplusNamed(c, directory); !where.empty()) {
      family = Family::kDosplus;
      evidence.push_back("\"DOSPLUS\" in " + where);
    } else if (const std::string files = MultidosFiles(directory); !files.empty()) {
      family = Family::kMultidos;
      evidence.push_back("MULTIDOS's own system files: " + files);
    }
  }
  c.Keep(family, version, std::move(evidence), std::move(directory), dated);
}

// When no named cylinder explains the disk: a cylinder whose every sector
// carries a directory mark (F8 or FA, in either density), kept when its
// DIR/SYS entry points at it.
void MarkedCylinders(Candidates& c, int named) {
  std::map<int, std::pair<int, int>> marks;  // cylinder: sectors, directory-marked
  for (const disk::Sector& s : c.sectors().disk().sectors) {
    if (s.head != 0) continue;
    auto& [all, dir] = marks[s.cylinder];
    ++all;
    dir += s.dam == marks::kDirectoryDouble || s.dam == marks::kDirectorySingle;
  }
  for (const auto& [at, count] : marks) {
    const int cylinder = at;
    if (count.second != count.first || count.first <= 2 || cylinder == named) continue;
    const std::size_t before = c.list.size();
    TrsdosCylinder(
        c, cylinder,
        "the sectors of cylinder " + std::to_string(cylinder) + " carry the directory mark");
    if (c.list.size() == before) continue;
    const std::vector<File>& files = c.list.back().directory.catalogue.files;
    const bool pointed = std::any_of(files.begin(), files.end(), [&](const File& f) {
      return f.Shown() == "DIR/SYS" && !f.extents.empty() && f.extents[0].raw[0] == cylinder;
    });
    if (!pointed) {
      c.looked_at.push_back("the sectors of cylinder " + std::to_string(cylinder) +
                            " carry the directory mark, but no DIR/SYS there points at it");
      c.list.pop_back();
    }
  }
}

}  // namespace trivane::trsdos
