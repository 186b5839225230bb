// A track's fields, found on its cells, as the disk's sectors: the ID field
// makes the sector's place and ID, the data field its data and data CRC.
#include "disk/cell_tracks.h"

namespace trivane::disk {
namespace {

Sector SectorOf(const cells::Field& f, int cylinder, int side) {
  Sector s;
  s.cylinder = static_cast<std::uint16_t>(cylinder);
  s.head = static_cast<std::uint8_t>(side);
  s.id_cylinder = f.cylinder;
  s.id_head = f.head;
  s.id_sector = f.sector;
  s.size_code = f.size_code;
  s.size = static_cast<std::uint16_t>(128 << (f.size_code & 3));
  s.density = f.encoding == cells::Encoding::kFm ? Density::kSingle : Density::kDouble;
  s.id_crc = f.id_crc_ok ? Check::kGood : Check::kBad;
  return s;
}

}  // namespace

void AddField(cells::Field&& f, int cylinder, int side, Offset data_offset, CellTrackState& state,
              Disk& disk) {
  Sector s = SectorOf(f, cylinder, side);
  if (f.dam != 0) {
    s.data_offset = data_offset;
    s.dam = f.dam;
    s.data_crc = f.data_crc_ok ? Check::kGood : Check::kBad;
    state.data[CellTrackState::KeyOf(s)] = {std::move(f.data), s.data_crc};
  }
  disk.sectors.push_back(s);
}

void AddCellTrack(const cells::Cells& cells, int cylinder, int side, const CellOffset& offset_of,
                  CellTrackState& state, Disk& disk) {
  for (cells::Field& f : cells::DecodeBothRates(cells)) {
    const Offset at = offset_of(f.at);
    AddField(std::move(f), cylinder, side, at, state, disk);
  }
}

std::vector<std::uint8_t> CellTrackState::Data(const Disk&, const Sector& s) const {
  const auto it = data.find(KeyOf(s));
  return it == data.end() ? std::vector<std::uint8_t>{} : it->second.bytes;
}

bool CellTrackState::AsRead(const Disk& disk, const Sector& s) const {
  if (s.written < 0) return true;
  const auto it = data.find(KeyOf(s));
  return it != data.end() && it->second.crc == s.data_crc &&
         it->second.bytes == disk.written[static_cast<std::size_t>(s.written)];
}

Check CellTrackState::DataCrc(const Disk&, const Sector& s) const {
  return s.data_crc;
}

}  // namespace trivane::disk
