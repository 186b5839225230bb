// Model III TRSDOS 1.3: the directory cylinder named by boot byte 1, its
// entry sectors signed "(c) 1980 Tandy" at byte 240.
#include <algorithm>

#include "fs/trsdos/candidates.h"
#include "fs/trsdos/directory.h"

namespace trivane::trsdos {

void Model3(Candidates& c, int cylinder) {
  Layout l = c.Base(Layout::Scheme::kModel3);
  l.dir_cylinder = cylinder;
  l.heads = 1;
  l.sectors_per_granule = c.shape().double_density ? 3 : 2;
  l.granules_per_track = std::max(1, l.spt / l.sectors_per_granule);
  l.dir_sectors = l.spt;
  int signed_sectors = 0;
  for (int i = 2; i < l.spt; ++i) {
    const std::vector<std::uint8_t> s = c.Sector(cylinder, 0, l.first_sector + i);
    signed_sectors +=
        s.size() == 256 && std::string(s.begin() + 0xF0, s.begin() + 0xFE) == "(c) 1980 Tandy";
  }
  if (signed_sectors == 0) {
    c.looked_at.push_back("boot byte 1 names cylinder " + std::to_string(cylinder) +
                          ", whose sectors do not end with \"(c) 1980 Tandy\"");
    return;
  }
  Directory d = ReadDirectory(c.sectors(), l, false, false);
  d.signed_sectors = true;
  c.Keep(Family::kTrsdos13, "",
         {"boot byte 1 names directory cylinder " + std::to_string(cylinder),
          "\"(c) 1980 Tandy\" at byte 240 of " + std::to_string(signed_sectors) + " entry sectors"},
         std::move(d), false);
}

}  // namespace trivane::trsdos
