// The JV3 reader (layout in formats/jv3.h): one or two header blocks, each
// entry's data block of its own size, free entries' blocks skipped.
#include <algorithm>

#include "disk/readers.h"
#include "formats/jv3.h"

namespace trivane::disk {
namespace {

std::uint8_t SizeCodeOf(int size) {
  return static_cast<std::uint8_t>(size == 128 ? 0 : size == 256 ? 1 : size == 512 ? 2 : 3);
}

Sector FromEntry(int cylinder, int id, int flags, int size) {
  Sector s;
  s.cylinder = s.id_cylinder = static_cast<std::uint8_t>(cylinder);
  s.head = s.id_head = (flags & jv3::kSide1) ? 1 : 0;
  s.id_sector = static_cast<std::uint8_t>(id);
  s.size = static_cast<std::uint16_t>(size);
  s.size_code = SizeCodeOf(size);
  s.density = (flags & jv3::kDoubleDensity) ? Density::kDouble : Density::kSingle;
  const int dam = (flags & jv3::kDamBits) >> 5;
  s.dam = static_cast<std::uint8_t>(s.density == Density::kDouble ? jv3::kDoubleDensityDams[dam]
                                                                  : jv3::kSingleDensityDams[dam]);
  s.data_crc = (flags & jv3::kCrcError) ? Check::kBad : Check::kNotKept;
  return s;
}

// Sectors whose data the file does not hold, said once.
struct Missing {
  int count = 0;
  std::string first;
};

// Reads the header block at `header`; returns the offset past its sectors'
// data blocks, where a second header block may follow.
Offset ReadHeaderBlock(const ImageBuffer& image, Offset header, Disk& disk, Missing& missing) {
  std::uint8_t table[jv3::kWriteProtect];
  image.Read(header, table, sizeof table);
  Offset data = header + jv3::kHeaderBlockBytes;
  for (int n = 0; n < jv3::kEntries; ++n) {
    const int cylinder = table[3 * n], id = table[3 * n + 1], flags = table[3 * n + 2];
    const bool free = cylinder == jv3::kFreeTrack;
    const int size = (free ? jv3::kFreeSizes : jv3::kUsedSizes)[flags & jv3::kSizeCode];
    if (!free) {
      Sector s = FromEntry(cylinder, id, flags, size);
      if (data + size <= image.size()) {
        s.data_offset = data;
      } else {
        s.dam = 0;
        if (missing.count++ == 0) {
          missing.first = "cylinder " + std::to_string(cylinder) + " head " +
                          std::to_string(s.head) + " sector " + std::to_string(id);
        }
      }
      disk.cylinders = std::max(disk.cylinders, cylinder + 1);
      disk.heads = std::max(disk.heads, s.head + 1);
      disk.sectors.push_back(s);
    }
    data += size;
  }
  return data;
}

}  // namespace

void ReadJv3(const ImageBuffer& image, Disk& disk) {
  Offset header = 0;
  Missing missing;
  for (int block = 0; block < jv3::kHeaderBlocks; ++block) {
    if (block > 0 && header + jv3::kHeaderBlockBytes > image.size()) break;
    header = ReadHeaderBlock(image, header, disk, missing);
  }
  if (disk.heads == 0) disk.heads = 1;
  if (missing.count > 0) {
    disk.problems.push_back("the file ends before the data of " + std::to_string(missing.count) +
                            " sectors, the first " + missing.first);
  }
}

}  // namespace trivane::disk
