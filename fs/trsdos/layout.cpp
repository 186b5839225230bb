#include "fs/trsdos/layout.h"

#include <algorithm>

namespace trivane::trsdos {

int Layout::TotalGranules() const {
  if (scheme == Scheme::kRelative) {
    return std::max(0, (cylinders - track0_offset) * spt * heads / sectors_per_granule);
  }
  return cylinders * GranulesPerCylinder();
}

Place Layout::DirectorySector(int index) const {
  if (scheme == Scheme::kRelative) {
    const int r = dir_first + index, per_cylinder = spt * heads;
    return {r / per_cylinder + track0_offset, r % per_cylinder / spt,
            first_sector + r % per_cylinder % spt};
  }
  return {dir_cylinder, index / spt, first_sector + index % spt};
}

std::vector<Place> Layout::Granule(int g) const {
  std::vector<Place> places;
  if (scheme == Scheme::kRelative) {
    const int per_cylinder = spt * heads;
    for (int r = g * sectors_per_granule; r < (g + 1) * sectors_per_granule; ++r) {
      places.push_back({r / per_cylinder + track0_offset, r % per_cylinder / spt,
                        first_sector + r % per_cylinder % spt});
    }
    return places;
  }
  const int per_cylinder = GranulesPerCylinder(), q = g % per_cylinder;
  for (int k = 0; k < sectors_per_granule; ++k) {
    places.push_back({g / per_cylinder, q / granules_per_track,
                      first_sector + q % granules_per_track * sectors_per_granule + k});
  }
  return places;
}

void Layout::Extent(int unit, int b, int& first, int& count) const {
  switch (scheme) {
    case Scheme::kRelative:
      first = unit * gpl + (b >> 5);
      count = (b & 31) + 1;
      return;
    case Scheme::kCylinder:
      first = unit * GranulesPerCylinder() + (b >> 5);
      count = (b & 31) + 1;
      return;
    case Scheme::kModel3:
      first = unit * GranulesPerCylinder() + (b >> 5);
      count = b & 31;
      return;
  }
}

void Layout::GatBit(int g, int& byte, int& bit) const {
  const int per_byte = scheme == Scheme::kRelative ? gpl : GranulesPerCylinder();
  byte = g / per_byte;
  bit = g % per_byte;
}

}  // namespace trivane::trsdos
