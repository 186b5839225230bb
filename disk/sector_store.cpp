#include "disk/sector_store.h"

#include <algorithm>

namespace trivane::disk {
namespace {

std::uint32_t Key(int cylinder, int head, int sector) {
  return static_cast<std::uint32_t>(cylinder & 0xFFFF) << 16 | (head & 0xFF) << 8 | (sector & 0xFF);
}

}  // namespace

SectorStore::SectorStore(const Disk& disk) : disk_(disk) {
  keys_.reserve(disk.sectors.size());
  data_crc_.reserve(disk.sectors.size());
  for (std::size_t i = 0; i < disk.sectors.size(); ++i) {
    const Sector& s = disk.sectors[i];
    keys_.emplace_back(Key(s.cylinder, s.head, s.id_sector), static_cast<std::uint32_t>(i));
    data_crc_.push_back(s.data_crc);
  }
  // The first readable copy of a place first, then the rest in file order.
  // Most disks list their sectors in order already, each place once.
  const auto before = [&](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    const bool ra = Readable(a.second), rb = Readable(b.second);
    return ra != rb ? ra : a.second < b.second;
  };
  if (!std::is_sorted(keys_.begin(), keys_.end(), before))
    std::sort(keys_.begin(), keys_.end(), before);
}

SectorStore::SectorStore(Disk& disk) : SectorStore(static_cast<const Disk&>(disk)) {
  writable_ = &disk;
}

bool SectorStore::Readable(std::uint32_t index) const {
  const Sector& s = disk_.sectors[index];
  return s.has_data() && !Failed(s);
}

const Sector* SectorStore::At(Place p) const {
  if (p.cylinder < 0 || p.cylinder > 0xFFFF || p.head < 0 || p.head > 0xFF || p.sector < 0 ||
      p.sector > 255) {
    return nullptr;
  }
  const std::uint32_t key = Key(p.cylinder, p.head, p.sector);
  const auto it = std::lower_bound(keys_.begin(), keys_.end(), std::make_pair(key, 0u),
                                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return it == keys_.end() || it->first != key ? nullptr : &disk_.sectors[it->second];
}

bool SectorStore::Failed(const Sector& s) const {
  if (s.id_crc == Check::kBad) return true;
  Check& check = data_crc_[static_cast<std::size_t>(&s - disk_.sectors.data())];
  if (check == Check::kUnchecked) check = DataCrc(disk_, s);
  return check == Check::kBad;
}

SectorRead SectorStore::Get(Place p) const {
  SectorRead read;
  read.sector = At(p);
  if (read.sector == nullptr) return read;
  read.crc_error = Failed(*read.sector);
  read.data = SectorData(disk_, *read.sector);
  return read;
}

bool SectorStore::Put(Place p, std::span<const std::uint8_t> data) {
  const Sector* s = At(p);
  // A sector whose ID fails its CRC is one a controller never finds to write.
  if (writable_ == nullptr || s == nullptr || !s->has_data() || data.size() != s->size ||
      s->id_crc == Check::kBad) {
    return false;
  }
  const std::size_t index = static_cast<std::size_t>(s - disk_.sectors.data());
  PutSectorData(*writable_, index, data);
  data_crc_[index] = Check::kGood;
  return true;
}

std::string PlaceText(Place p) {
  return "cylinder " + std::to_string(p.cylinder) + " head " + std::to_string(p.head) + " sector " +
         std::to_string(p.sector);
}

}  // namespace trivane::disk
