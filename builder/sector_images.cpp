#include "builder/sector_images.h"

#include <algorithm>

#include "disk/track_writers.h"

namespace trivane::build {
std::uint8_t FieldByte(int cylinder, int sector, int k) {
  return static_cast<std::uint8_t>(cylinder * 7 + sector * 13 + k);
}

std::vector<std::uint8_t> FieldData(const DmkField& f) {
  if (!f.data.empty()) return f.data;
  std::vector<std::uint8_t> data(static_cast<std::size_t>(128 << f.size_code));
  for (std::size_t k = 0; k < data.size(); ++k) data[k] = FieldByte(f.cylinder, f.sector, int(k));
  return data;
}

Bytes DmkHeader(int length, int cylinders, int heads, int options) {
  return disk::DmkHeader(length, cylinders, heads, options);
}

// Gaps and sync bytes as a controller writes them: double density 4E gaps,
// 00 and three A1 before each mark; single density FF gaps and 00. Gap 1 is
// left 00 and the rest of the track 4E.
void PutDmkBlock(Bytes& image, Offset block, int length, bool doubling,
                 const std::vector<DmkField>& fields) {
  std::vector<disk::TrackField> track;
  for (const DmkField& f : fields) {
    track.push_back({f.cylinder, f.head, f.sector, f.size_code, f.double_density, f.dam,
                     f.bad_id_crc, f.bad_data_crc, f.at, FieldData(f)});
  }
  disk::TrackLayout layout;
  layout.gap4 = 0x4E;
  disk::WriteDmkTrack(image.data() + block, length, doubling, track, layout);
}

// Free entries own a data block of their free size too (E5 bytes).
Bytes Jv3Blocks(const std::vector<Jv3Entry>& entries) {
  std::vector<disk::Jv3Record> records;
  for (const Jv3Entry& e : entries) {
    const bool free = e.track == jv3::kFreeTrack;
    const int size = (free ? jv3::kFreeSizes : jv3::kUsedSizes)[e.flags & jv3::kSizeCode];
    disk::Jv3Record r{e.track, e.sector, e.flags, std::vector<std::uint8_t>(size, 0xE5)};
    for (int k = 0; !free && k < size; ++k) r.data[k] = FieldByte(e.track, e.sector, k);
    records.push_back(std::move(r));
  }
  return entries.empty() ? Bytes{} : disk::WriteJv3Records(records, false);
}

}  // namespace trivane::build
