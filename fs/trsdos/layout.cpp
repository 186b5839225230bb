#include "fs/trsdos/layout.h"

#include <algorithm>

namespace trivane::trsdos {
namespace {

constexpr SchemeRow kSchemes[] = {
    {Layout::Scheme::kCylinder, false, "cylinder", 1, 32, 8, 5, true, false},
    {Layout::Scheme::kRelative, true, "lump", 1, 32, 8, 5, true, false},
    {Layout::Scheme::kModel3, false, "cylinder", 0, 48, 5, 13, false, true},
};

}  // namespace

const SchemeRow& Layout::Row() const {
  for (const SchemeRow& row : kSchemes) {
    if (row.scheme == scheme) return row;
  }
  return kSchemes[0];
}

int Layout::UnitGranules() const {
  return Row().relative ? gpl : GranulesPerCylinder();
}

int Layout::TotalGranules() const {
  if (Row().relative) {
    return std::max(0, (cylinders - track0_offset) * spt * heads / sectors_per_granule);
  }
  return cylinders * GranulesPerCylinder();
}

Place Layout::DirectorySector(int index) const {
  if (Row().relative) {
    const int r = dir_first + index, per_cylinder = spt * heads;
    return {r / per_cylinder + track0_offset, r % per_cylinder / spt,
            first_sector + r % per_cylinder % spt};
  }
  return {dir_cylinder, index / spt, first_sector + index % spt};
}

std::vector<Place> Layout::Granule(int g) const {
  std::vector<Place> places;
  if (Row().relative) {
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
  first = unit * UnitGranules() + (b >> 5);
  count = (b & 31) + Row().count_bias;
}

std::pair<std::uint8_t, std::uint8_t> Layout::ExtentBytes(int first, int count) const {
  const int per = UnitGranules();
  return {static_cast<std::uint8_t>(first / per),
          static_cast<std::uint8_t>((first % per) << 5 | (count - Row().count_bias))};
}

int Layout::LongestExtent() const {
  return 31 + Row().count_bias;
}

int Layout::Dec(int sector, int slot) const {
  return Row().linked ? slot << 5 | sector : sector * Row().per_sector + slot;
}

void Layout::DecPlace(int dec, int& sector, int& slot) const {
  const SchemeRow& row = Row();
  sector = row.linked ? dec & 31 : dec / row.per_sector;
  slot = row.linked ? dec >> 5 : dec % row.per_sector;
  if (dec < 0 || slot >= row.per_sector) sector = -1;
}

void Layout::GatBit(int g, int& byte, int& bit) const {
  const int per_byte = UnitGranules();
  byte = g / per_byte;
  bit = g % per_byte;
}

}  // namespace trivane::trsdos
