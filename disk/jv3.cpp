// JV3 (layout in formats/jv3.h): recognised by its write-protect byte; read
// from one or two header blocks, each entry's data block of its own size,
// free entries' blocks skipped; written an entry a sector in the disk's
// order, with what an entry cannot say listed.
#include "formats/jv3.h"

#include <algorithm>

#include "disk/container.h"
#include "disk/losses.h"
#include "disk/track_writers.h"

namespace trivane::disk {
namespace {

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

int RecogniseJv3(const ImageBuffer& image) {
  const int wp = image.at(jv3::kWriteProtect);
  return image.size() > jv3::kWriteProtect && (wp == 0x00 || wp == 0xFF) ? 10 : 0;
}

void ReadJv3(const ImageBuffer& image, Disk& disk, bool) {
  disk.write_protected = image.at(jv3::kWriteProtect) == jv3::kProtected;
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

namespace {

// The entry's data-mark bits for the sector's mark; what a JV3 entry
// cannot say is a loss, and its mark is then written as F8.
int MarkFlags(const Sector& s, Losses& losses) {
  const bool dd = s.density == Density::kDouble;
  const int* marks = dd ? jv3::kDoubleDensityDams : jv3::kSingleDensityDams;
  for (int bits = 0; bits < 4; ++bits) {
    if (marks[bits] == s.dam) return bits << 5;
  }
  losses.Add(s, "data mark " + HexByte(s.dam) + "; JV3 keeps it as F8");
  return (dd ? 1 : 3) << 5;
}

// The entry of a sector, or nothing (free) when JV3 cannot hold it.
bool Entry(const Disk& disk, const Sector& s, Jv3Record& entry, Losses& losses) {
  if (!s.has_data()) {
    losses.Add(s, "no data field; JV3 holds sectors with data only");
    return false;
  }
  if (s.cylinder >= jv3::kFreeTrack) {
    losses.Add(s, "a cylinder past 254; JV3 holds 0 to 254");
    return false;
  }
  if (s.id_cylinder != s.cylinder || s.id_head != s.head) {
    losses.Add(s, "an ID field that names cylinder " + std::to_string(s.id_cylinder) + " head " +
                      std::to_string(s.id_head) + "; JV3 keeps the place only");
  }
  const bool id_crc = s.id_crc == Check::kBad;
  if (id_crc) losses.Add(s, "an ID CRC error; JV3 keeps it as a data CRC error");
  entry.cylinder = s.cylinder;
  entry.sector = s.id_sector;
  entry.flags = (s.density == Density::kDouble ? jv3::kDoubleDensity : 0) | MarkFlags(s, losses) |
                (s.head == 1 ? jv3::kSide1 : 0) |
                (id_crc || DataCrc(disk, s) == Check::kBad ? jv3::kCrcError : 0) |
                Jv3SizeFlags(s.size);
  entry.data = SectorData(disk, s);
  return true;
}

}  // namespace

Written WriteJv3(const Disk& disk, const WriteOptions&) {
  Written out;
  Losses losses;
  std::vector<Jv3Record> records;
  for (const Sector& s : disk.sectors) {
    Jv3Record entry;
    if (!Entry(disk, s, entry, losses)) continue;
    if (records.size() == std::size_t{jv3::kHeaderBlocks} * jv3::kEntries) {
      losses.Add(s, "past the 5802 sectors of two header blocks");
      continue;
    }
    records.push_back(std::move(entry));
  }
  out.bytes = WriteJv3Records(records, disk.write_protected);
  out.losses = losses.Lines();
  out.lost = losses.Places();
  return out;
}

// The container's row (disk/container.h).
extern constexpr ContainerFormat kJv3Row = {
    Container::kJv3,
    "JV3",
    "jv3",
    "TRS-80 JV3 disk image",
    "sectors with data of 128 to 1024 bytes in either density on two heads, data marks F8 "
    "and FB, data CRC errors",
    "*.jv3 *.dsk",
    "application/x-trs80-jv3",
    "*.jv3 *.dsk",
    "<match type=\"byte\" offset=\"0\" value=\"0x00\">\n"
    "        <match type=\"byte\" offset=\"3\" value=\"0x00\">\n"
    "          <match type=\"byte\" offset=\"6\" value=\"0x00\"/>\n"
    "        </match>\n"
    "      </match>\n"
    "      <match type=\"byte\" offset=\"8703\" value=\"0xff\"/>\n"
    "      <match type=\"byte\" offset=\"8703\" value=\"0x00\"/>",
    40,
    1,
    true,
    false,
    kMostFloppyBytes,
    "header",
    RecogniseJv3,
    ReadJv3,
    WriteJv3};

}  // namespace trivane::disk
