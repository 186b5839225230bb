// Reading an image's sectors, and the text form of the listing: per track a
// line, the track's usual size, density and data address mark first, then
// each sector's id with what differs from them and its marks; then the
// summary and the problems.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "cli/escaped.h"
#include "disk/container.h"
#include "disk/flux_tracks.h"
#include "disk/reed.h"
#include "disktool/listing.h"
#include "formats/data_marks.h"

namespace trivane::disktool {
namespace {

using disk::Check;
using disk::Density;
using disk::Sector;

const char* DensityName(Density d) {
  return d == Density::kDouble ? "DD" : "SD";
}

// The size, density and mark most sectors of the track have.
struct Usual {
  int size = 256;
  Density density = Density::kSingle;
  int dam = marks::kData;
};

template <typename T>
T MostCommon(const std::vector<T>& values) {
  std::map<T, int> count;
  for (const T& v : values) ++count[v];
  return std::max_element(count.begin(), count.end(),
                          [](const auto& a, const auto& b) { return a.second < b.second; })
      ->first;
}

Usual UsualOf(const std::vector<const Sector*>& track) {
  std::vector<int> sizes, densities, dams;
  for (const Sector* s : track) {
    sizes.push_back(s->size);
    densities.push_back(static_cast<int>(s->density));
    if (s->dam != 0) dams.push_back(s->dam);
  }
  return {MostCommon(sizes), static_cast<Density>(MostCommon(densities)),
          dams.empty() ? marks::kData : MostCommon(dams)};
}

std::string SectorToken(const Sector& s, const Usual& usual) {
  std::string token = std::to_string(s.id_sector);
  std::vector<std::string> differs;
  if (s.size != usual.size) differs.push_back(std::to_string(s.size));
  if (s.density != usual.density) differs.push_back(DensityName(s.density));
  if (s.dam != 0 && s.dam != usual.dam) differs.push_back(HexByte(s.dam));
  if (s.id_cylinder != s.cylinder || s.id_head != s.head) {
    differs.push_back("ID c" + std::to_string(s.id_cylinder) + " h" + std::to_string(s.id_head));
  }
  for (std::size_t i = 0; i < differs.size(); ++i) token += (i == 0 ? "(" : ",") + differs[i];
  if (!differs.empty()) token += ")";
  if (s.id_crc == Check::kBad) token += "!id";
  if (s.data_crc == Check::kBad) token += "!data";
  if (!s.has_data()) token += "-";
  return token;
}

std::string TrackLine(int cylinder, int head, const std::vector<const Sector*>& track) {
  const Usual usual = UsualOf(track);
  char start[64];
  std::snprintf(start, sizeof start, "  %3d %d  %4d %s %s: ", cylinder, head, usual.size,
                DensityName(usual.density), HexByte(usual.dam).c_str());
  std::string line = start;
  for (const Sector* s : track) {
    line += ' ';
    line += SectorToken(*s, usual);
  }
  return line + "\n";
}

// "c/h id n" for ids missing between a track's lowest and highest, or twice.
void IdFindings(int cylinder, int head, const std::vector<const Sector*>& track,
                std::vector<std::string>& missing, std::vector<std::string>& twice) {
  std::set<int> seen;
  int low = 255, high = 0;
  for (const Sector* s : track) {
    if (!seen.insert(s->id_sector).second) {
      twice.push_back(std::to_string(cylinder) + "/" + std::to_string(head) + " id " +
                      std::to_string(s->id_sector));
    }
    low = std::min<int>(low, s->id_sector);
    high = std::max<int>(high, s->id_sector);
  }
  for (int id = low; id <= high; ++id) {
    if (!seen.contains(id)) {
      missing.push_back(std::to_string(cylinder) + "/" + std::to_string(head) + " id " +
                        std::to_string(id));
    }
  }
}

std::string ListOf(const std::vector<std::string>& items) {
  if (items.empty()) return "none";
  std::string text;
  for (std::size_t i = 0; i < items.size() && i < 12; ++i) text += (i ? ", " : "") + items[i];
  if (items.size() > 12) text += " and " + std::to_string(items.size() - 12) + " more";
  return text;
}

std::string SummaryLines(const disk::Disk& d, const std::vector<std::string>& missing,
                         const std::vector<std::string>& twice) {
  const disk::Counts n = disk::CountSectors(d);
  std::map<int, int> dams;
  for (const Sector& s : d.sectors) {
    if (s.dam != 0) ++dams[s.dam];
  }
  std::string dam_text;
  for (auto it = dams.rbegin(); it != dams.rend(); ++it) {
    dam_text +=
        (dam_text.empty() ? "" : ", ") + HexByte(it->first) + " " + std::to_string(it->second);
  }
  return "  " + std::to_string(n.total) + " sectors: " + std::to_string(n.single_density) +
         " single density, " + std::to_string(n.total - n.single_density) + " double density; " +
         std::to_string(n.id_crc_errors) + " ID CRC errors, " + std::to_string(n.data_crc_errors) +
         " data CRC errors, " + std::to_string(n.without_data) +
         " without data\n  data marks: " + (dam_text.empty() ? "none" : dam_text) +
         "\n  missing ids: " + ListOf(missing) + "\n  ids twice: " + ListOf(twice) + "\n";
}

}  // namespace

std::string SectorsText(const ops::OpenedImage& r) {
  const disk::Disk& d = r.disk;
  std::string out = cli::Escaped(r.file) + "\n  " + disk::ContainerName(d.container) + ", " +
                    std::to_string(d.cylinders) + " cylinders, " + std::to_string(d.heads) +
                    (d.heads == 1 ? " head\n" : " heads\n");
  out +=
      "  cyl head, usual size, density and data mark: each sector's id, (what differs),"
      " !id !data CRC errors, - no data\n";
  std::map<std::pair<int, int>, std::vector<const Sector*>> tracks;
  for (const Sector& s : d.sectors) tracks[{s.cylinder, s.head}].push_back(&s);
  std::vector<std::string> missing, twice;
  for (const auto& [place, track] : tracks) {
    out += TrackLine(place.first, place.second, track);
    IdFindings(place.first, place.second, track, missing, twice);
  }
  out += SummaryLines(d, missing, twice);
  if (disk::IsWholeHardDisk(d)) {
    for (const std::string& line : disk::ReedHeaderLines(d)) out += "  header: " + line + "\n";
  }
  for (const std::string& p : d.problems) out += "  problem: " + p + "\n";
  return out;
}

std::string RevolutionsText(const disk::Disk& d) {
  const disk::FluxState* flux = disk::FluxStateOf(d);
  if (flux == nullptr || flux->revolutions.size() != d.sectors.size())
    return "  revolutions: not read from flux, each sector read once\n";
  int most = 0;
  for (const auto& r : flux->revolutions) most = std::max(most, r.of);
  std::string out = "  cyl head, each sector's id and the revolutions (of " + std::to_string(most) +
                    ") it read good on: all, none or their numbers\n";
  std::map<std::pair<int, int>, std::string> tracks;
  for (std::size_t i = 0; i < d.sectors.size(); ++i) {
    const disk::FluxState::Revolutions& r = flux->revolutions[i];
    std::string& line = tracks[{d.sectors[i].cylinder, d.sectors[i].head}];
    line += " " + std::to_string(d.sectors[i].id_sector) + ":";
    if (r.good.empty() || static_cast<int>(r.good.size()) == r.of) {
      line += r.good.empty() ? "none" : "all";
      continue;
    }
    for (std::size_t k = 0; k < r.good.size(); ++k)
      line += (k ? "," : "") + std::to_string(r.good[k]);
  }
  char start[16];
  for (const auto& [place, line] : tracks) {
    std::snprintf(start, sizeof start, "  %3d %d ", place.first, place.second);
    out += start + line + "\n";
  }
  return out;
}

std::string HexDump(const std::uint8_t* bytes, std::size_t size, Offset base) {
  std::string out;
  out.reserve(size / kHexRowBytes * 78 + 80);
  for (std::size_t row = 0; row < size; row += kHexRowBytes) {
    const int count = static_cast<int>(std::min<std::size_t>(kHexRowBytes, size - row));
    out += HexRow(base + static_cast<Offset>(row), bytes + row, count) + "\n";
  }
  return out;
}

}  // namespace trivane::disktool
