#include "fs/trsdos/families.h"

#include "fs/trsdos/format_tracks.h"

namespace trivane::trsdos {
namespace {

void LayTrsdos(disk::Disk& disk, const Format& f) {
  FormatTrsdos(disk, f, false);
}
void LayLdos(disk::Disk& disk, const Format& f) {
  FormatTrsdos(disk, f, true);
}

constexpr FamilyRow kRows[] = {
    {Family::kNewdos80,
     "NEWDOS/80",
     Dates::kNone,
     Dates::kNone,
     0x02,
     {0x96, 0x42},
     false,
     true,
     {"newdos80", "NEWDOS/80", 40, 1, 1, 35, 80, 2, true, true, 0, FormatNewdos80, true}},
    {Family::kGdos, "G-DOS", Dates::kNone, Dates::kNone, 0x02, {0x96, 0x42}, false, false, {}},
    {Family::kTrsdos23,
     "TRSDOS 2.3",
     Dates::kNone,
     Dates::kPacked,
     0x28,
     {0x96, 0x42},
     false,
     true,
     {"trsdos23", "TRSDOS 2.3", 35, 1, 1, 35, 40, 1, true, false, 0, LayTrsdos, true}},
    {Family::kLdos,
     "LDOS",
     Dates::kPacked,
     Dates::kPacked,
     0x28,
     {0x96, 0x42},
     false,
     true,
     {"ldos", "LDOS", 40, 1, 1, 35, 80, 2, true, true, 0, LayLdos, true}},
    {Family::kLsdos,
     "LS-DOS",
     Dates::kPacked,
     Dates::kPacked,
     0x28,
     {0x96, 0x42},
     false,
     false,
     {}},
    {Family::kDosplus,
     "DOSPLUS",
     Dates::kNone,
     Dates::kPacked,
     0x28,
     {0x96, 0x42},
     false,
     false,
     {}},
    {Family::kMultidos,
     "MULTIDOS",
     Dates::kNone,
     Dates::kPacked,
     0x28,
     {0x96, 0x42},
     false,
     false,
     {}},
    {Family::kTrsdos13,
     "TRSDOS 1.3",
     Dates::kMonthYear,
     Dates::kMonthYear,
     0,
     {0xEF, 0x5C},
     true,
     true,
     {"trsdos13", "Model III TRSDOS 1.3", 40, 1, 2, 40, 40, 1, false, true, 1, FormatTrsdos13,
      false}},
    {Family::kUnknown, "unknown", Dates::kNone, Dates::kNone, 0x28, {0x96, 0x42}, false, false, {}},
};

}  // namespace

const FamilyRow& RowOf(Family family) {
  for (const FamilyRow& r : kRows) {
    if (r.family == family) return r;
  }
  return kRows[sizeof kRows / sizeof kRows[0] - 1];
}

std::vector<const FamilyRow*> Formatted() {
  std::vector<const FamilyRow*> out;
  for (const FamilyRow& r : kRows) {
    if (r.formats) out.push_back(&r);
  }
  return out;
}

Family FormattedNamed(const std::string& word) {
  for (const FamilyRow* r : Formatted()) {
    if (word == r->rule.word) return r->family;
  }
  return Family::kUnknown;
}

const char* FamilyName(Family family) {
  return RowOf(family).name;
}

}  // namespace trivane::trsdos
