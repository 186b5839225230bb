#include "fs/trsdos/candidates.h"

#include <algorithm>

namespace trivane::trsdos {

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

std::vector<std::uint8_t> Candidates::Sector(int cylinder, int head, int id) const {
  return sectors_.Get({cylinder, head, id}).data;
}

Layout Candidates::Base(Layout::Scheme scheme) const {
  Layout l;
  l.scheme = scheme;
  l.cylinders = shape_.cylinders;
  l.heads = shape_.heads;
  l.spt = shape_.spt;
  l.first_sector = shape_.first;
  return l;
}

void Candidates::Try(Family family, std::string version, std::vector<std::string> evidence,
                     const Layout& layout, bool dated) {
  // PDRIVE tables often describe one drive several times.
  for (const Candidate& c : list) {
    if (c.directory.catalogue.layout == layout && c.family == family) return;
  }
  Directory d = ReadDirectory(sectors_, layout, dated, false);
  // DIR/SYS's own extent gives the directory's size where a guess was made.
  for (const File& f : d.catalogue.files) {
    if (!layout.Row().relative || f.Shown() != "DIR/SYS" || f.extents.empty()) continue;
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

void Candidates::Keep(Family family, std::string version, std::vector<std::string> evidence,
                      Directory d, bool dated) {
  evidence.push_back("HIT bytes match " + std::to_string(d.matched) + " of " +
                     std::to_string(d.entries) + " entries");
  if (d.system_files) evidence.push_back("BOOT/SYS at DEC 0 and DIR/SYS at DEC 1");
  list.push_back({family, std::move(version), std::move(evidence), std::move(d), dated});
}

bool Candidates::AnyExplains() const {
  return std::any_of(list.begin(), list.end(),
                     [](const Candidate& k) { return k.directory.Score() > 0; });
}

}  // namespace trivane::trsdos
