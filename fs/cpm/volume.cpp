#include "fs/cpm/volume.h"

#include <algorithm>
#include <map>

namespace trivane::cpm {

TrackIds::TrackIds(const disk::Disk& disk, int size) : heads_(std::max(disk.heads, 1)) {
  first_.assign(static_cast<std::size_t>(std::max(disk.cylinders, 0) * heads_), -1);
  for (const disk::Sector& s : disk.sectors) {
    if (s.size != size || !s.has_data() || s.head >= heads_ || s.cylinder >= disk.cylinders) {
      continue;
    }
    int& first = first_[static_cast<std::size_t>(s.cylinder * heads_ + s.head)];
    if (first < 0 || s.id_sector < first) first = s.id_sector;
  }
  // A track whose first sectors are missing is numbered as its head's
  // other tracks are: its lowest id left is not where its slots start.
  std::vector<std::map<int, int>> firsts(static_cast<std::size_t>(heads_));  // id -> tracks
  for (std::size_t k = 0; k < first_.size(); ++k) {
    if (first_[k] >= 0) ++firsts[k % static_cast<std::size_t>(heads_)][first_[k]];
  }
  for (std::size_t k = 0; k < first_.size(); ++k) {
    const std::map<int, int>& counts = firsts[k % static_cast<std::size_t>(heads_)];
    if (first_[k] < 0 || counts.empty()) continue;
    const int usual = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                        return a.second < b.second;
                      })->first;
    if (usual < first_[k]) first_[k] = usual;
  }
}

int TrackIds::First(int cylinder, int head) const {
  const std::size_t k = static_cast<std::size_t>(cylinder * heads_ + head);
  return cylinder >= 0 && head >= 0 && head < heads_ && k < first_.size() ? first_[k] : -1;
}

Held HeldTracks(const disk::Disk& disk) {
  Held h;
  for (const disk::Sector& s : disk.sectors) {
    h.cylinders = std::max(h.cylinders, s.cylinder + 1);
    h.heads = std::max(h.heads, s.head + 1);
  }
  return h;
}

Volume::Volume(const disk::SectorStore& store, const Params& p, const TrackIds& ids)
    : store_(store), p_(p), ids_(ids), skew_(SkewTable(p.spt, p.skew)) {}

bool Volume::PlaceOf(std::int64_t n, disk::Place& place) const {
  if (n < 0 || p_.spt <= 0 || p_.heads <= 0) return false;
  const std::int64_t track = p_.off + n / p_.spt;
  if (track >= p_.Tracks()) return false;
  const bool in_turn = p_.sides_in_turn || p_.heads == 1;
  const int cylinder = static_cast<int>(in_turn ? track / p_.heads : track % p_.cylinders),
            head = static_cast<int>(in_turn ? track % p_.heads : track / p_.cylinders);
  const int first = ids_.First(cylinder, head);
  if (first < 0) return false;
  place = {cylinder, head, first + skew_[static_cast<std::size_t>(n % p_.spt)]};
  return true;
}

void Volume::Read(std::int64_t at, std::int64_t count, filesystems::FileBytes& out) const {
  const std::int64_t size = p_.size;
  for (std::int64_t n = at / size; n * size < at + count; ++n) {
    const std::int64_t from = std::max(at, n * size), to = std::min(at + count, (n + 1) * size);
    disk::Place place;
    disk::SectorRead r;
    const bool there = PlaceOf(n, place);
    if (there) r = store_.Get(place);
    const std::int64_t offset = static_cast<std::int64_t>(out.bytes.size());
    if (r.data.size() != static_cast<std::size_t>(size)) {
      const std::string where =
          there ? disk::PlaceText(place) : "sector " + std::to_string(n) + " of the data area";
      out.unreadable.push_back({where, false, offset, to - from});
      out.bytes.insert(out.bytes.end(), static_cast<std::size_t>(to - from), 0);
      continue;
    }
    if (r.crc_error) out.unreadable.push_back({disk::PlaceText(place), true, offset, to - from});
    out.bytes.insert(out.bytes.end(), r.data.begin() + (from - n * size),
                     r.data.begin() + (to - n * size));
  }
}

bool Volume::Whole(std::int64_t at, std::int64_t count) const {
  for (std::int64_t n = at / p_.size; n * p_.size < at + count; ++n) {
    disk::Place place;
    const disk::Sector* s = PlaceOf(n, place) ? store_.At(place) : nullptr;
    if (s == nullptr || !s->has_data() || s->size != p_.size || store_.Failed(*s)) return false;
  }
  return true;
}

}  // namespace trivane::cpm
