#include "fs/cpm/format.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "fs/cpm/volume.h"

namespace trivane::cpm {
namespace {

constexpr std::uint8_t kFill = 0xE5;

// A track as the format lays it out: sectors, size, first id, density.
struct TrackShape {
  int spt, size, first_id;
  Density density;
  bool operator==(const TrackShape&) const = default;
};

TrackShape ShapeOf(const FormatRow& row, int track) {
  const int head = track % row.params.heads;
  const int first = head == 1 && row.side1_first_id >= 0 ? row.side1_first_id : row.first_id;
  if (track < row.boot_tracks) return {row.boot_spt, row.boot_size, first, row.boot_density};
  return {row.params.spt, row.params.size, first, row.density};
}

disk::Disk Laid(const FormatRow& row) {
  disk::Disk d;
  d.cylinders = row.params.cylinders;
  d.heads = row.params.heads;
  for (int t = 0; t < row.params.Tracks(); ++t) {
    const TrackShape s = ShapeOf(row, t);
    for (int id = s.first_id; id < s.first_id + s.spt; ++id) {
      disk::Sector x;
      x.cylinder = x.id_cylinder = static_cast<std::uint8_t>(t / row.params.heads);
      x.head = x.id_head = static_cast<std::uint8_t>(t % row.params.heads);
      x.id_sector = static_cast<std::uint8_t>(id);
      x.size = static_cast<std::uint16_t>(s.size);
      x.size_code = disk::SizeCodeOf(s.size);
      x.dam = 0xFB;
      x.density = s.density == Density::kDouble ? disk::Density::kDouble : disk::Density::kSingle;
      x.id_crc = x.data_crc = disk::Check::kGood;
      x.data_offset = 0;
      x.written = static_cast<std::int32_t>(d.written.size());
      d.written.emplace_back(static_cast<std::size_t>(s.size), kFill);
      d.sectors.push_back(x);
    }
  }
  return d;
}

}  // namespace

std::vector<filesystems::FormatChoice> CpmFormats() {
  std::vector<filesystems::FormatChoice> out;
  for (const FormatRow& row : Formats()) {
    out.push_back({"cpm", std::string("CP/M, ") + row.name + " (" + row.machine + ")", row.word});
  }
  return out;
}

filesystems::NewDisk FormatCpm(const filesystems::FormatRequest& r) {
  filesystems::NewDisk out;
  const FormatRow* row = FormatNamed(r.format);
  if (row == nullptr) {
    out.error = r.format.empty() ? "a CP/M disk needs its format: --format NAME (new --list)"
                                 : "no CP/M format " + r.format + " (new --list names them)";
    return out;
  }
  if ((r.cylinders != 0 && r.cylinders != row->params.cylinders) ||
      (r.heads != 0 && r.heads != row->params.heads) || r.density != 0) {
    out.error = std::string(row->name) + " is " + std::to_string(row->params.cylinders) +
                " cylinders, " + std::to_string(row->params.heads) +
                (row->params.heads == 1 ? " head" : " heads") + ", as the format says";
    return out;
  }
  out.disk = Laid(*row);
  out.check = [row](const disk::Disk& back) {
    return EmptyDiskOf(back, *row)
               ? std::string()
               : std::string("read back otherwise than ") + row->name + " lays out";
  };
  return out;
}

bool EmptyDiskOf(const disk::Disk& disk, const FormatRow& row) {
  const Held held = HeldTracks(disk);
  if (held.cylinders != row.params.cylinders || held.heads != row.params.heads) return false;
  std::map<int, std::tuple<int, int, int, disk::Density>> seen;  // track: sectors, size, first id
  for (const disk::Sector& s : disk.sectors) {
    if (!s.has_data()) return false;
    auto& [count, size, first, density] = seen[s.cylinder * row.params.heads + s.head];
    first = count == 0 ? s.id_sector : std::min<int>(first, s.id_sector);
    ++count;
    size = s.size;
    density = s.density;
  }
  for (int t = 0; t < row.params.Tracks(); ++t) {
    const auto it = seen.find(t);
    if (it == seen.end()) return false;
    const auto& [count, size, first, density] = it->second;
    const Density d = density == disk::Density::kDouble ? Density::kDouble : Density::kSingle;
    if (!(TrackShape{count, size, first, d} == ShapeOf(row, t))) return false;
  }
  // Every sector as formatted: E5 throughout.
  return std::all_of(disk.sectors.begin(), disk.sectors.end(), [&](const disk::Sector& s) {
    const std::vector<std::uint8_t> data = disk::SectorData(disk, s);
    return std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b == kFill; });
  });
}

}  // namespace trivane::cpm
