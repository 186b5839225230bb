// Deciding the container by content, in the order the emulators test, and
// the JV1 reader (layout in formats/jv1.h).
#include <algorithm>
#include <cstdio>

#include "disk/readers.h"
#include "formats/data_marks.h"
#include "formats/dmk.h"
#include "formats/jv1.h"
#include "formats/jv3.h"

namespace trivane::disk {
namespace {

// The emulators' tests: a DMK header (bytes 12..15 zero, or the real-drive
// signature), a JV1 boot sector starting 00 FE, a JV3 write-protect byte.
Container Detect(const ImageBuffer& image, bool& real_drive) {
  const int length = image.at(dmk::kTrackLengthAt) | image.at(dmk::kTrackLengthAt + 1) << 8;
  const int wp = image.at(0);
  bool zero = true, signature = true;
  for (int i = 0; i < 4; ++i) {
    zero = zero && image.at(dmk::kRealDiskAt + i) == 0;
    signature = signature && image.at(dmk::kRealDiskAt + i) == dmk::kRealDiskSignature[i];
  }
  if (image.size() >= dmk::kHeaderBytes && (wp == 0x00 || wp == 0xFF) &&
      length > dmk::kPointerTableBytes && length <= dmk::kMaxTrackLength && (zero || signature)) {
    real_drive = signature;
    return Container::kDmk;
  }
  if (image.size() >= 2 && image.at(0) == jv1::kBootByte0 && image.at(1) == jv1::kBootByte1) {
    return Container::kJv1;
  }
  const int jv3_wp = image.at(jv3::kWriteProtect);
  if (image.size() > jv3::kWriteProtect && (jv3_wp == 0x00 || jv3_wp == 0xFF)) {
    return Container::kJv3;
  }
  return Container::kNone;
}

// A file too short to hold a JV3 header whose bytes are the start of one:
// entries of cylinder 0 first, each entry free or a cylinder and sector id
// a disk could have.
bool CutJv3Header(const ImageBuffer& image) {
  const Offset entries = image.size() / jv3::kEntryBytes;
  if (image.size() > jv3::kWriteProtect || entries < 2 || image.at(0) != 0) return false;
  for (Offset e = 0; e < entries; ++e) {
    const int cylinder = image.at(e * jv3::kEntryBytes), id = image.at(e * jv3::kEntryBytes + 1);
    if (cylinder != jv3::kFreeTrack && (cylinder > 95 || id > 63)) return false;
  }
  return true;
}

bool Readable(const Sector& s) {
  return s.has_data() && s.id_crc != Check::kBad && s.data_crc != Check::kBad;
}

}  // namespace

std::string HexByte(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

// No CRCs are kept and the data address mark is not stored: by convention
// the directory cylinder 17 reads with FA, every other one with FB.
void ReadJv1(const ImageBuffer& image, Disk& disk) {
  const Offset count = image.size() / jv1::kSectorBytes;
  disk.heads = 1;
  disk.cylinders = static_cast<int>((count + jv1::kSectorsPerTrack - 1) / jv1::kSectorsPerTrack);
  disk.sectors.reserve(static_cast<std::size_t>(count));
  for (Offset n = 0; n < count; ++n) {
    Sector s;
    s.cylinder = static_cast<std::uint16_t>(n / jv1::kSectorsPerTrack);
    s.id_cylinder = static_cast<std::uint8_t>(s.cylinder);
    s.id_sector = static_cast<std::uint8_t>(n % jv1::kSectorsPerTrack);
    s.size_code = 1;
    s.size = jv1::kSectorBytes;
    s.dam = s.cylinder == jv1::kBootDirectoryTrack ? marks::kDirectorySingle : marks::kData;
    s.data_offset = n * jv1::kSectorBytes;
    disk.sectors.push_back(s);
  }
  if (const Offset rest = image.size() % jv1::kSectorBytes; rest != 0) {
    disk.problems.push_back("the last " + std::to_string(rest) +
                            " bytes of the file are a part of a sector, not a sector");
  }
}

Disk ReadDisk(const ImageBuffer& image, bool check_data) {
  Disk disk;
  disk.image = image;
  bool real_drive = false;
  disk.container = Detect(image, real_drive);
  switch (disk.container) {
    case Container::kNone:
      disk.error = CutJv3Header(image)
                       ? "the file ends inside the JV3 header, at byte " +
                             std::to_string(image.size()) + " of " + std::to_string(jv3::kDataStart)
                       : "not a disk image: no DMK header, no JV1 boot sector, no JV3 header";
      break;
    case Container::kJv1:
      ReadJv1(image, disk);
      break;
    case Container::kJv3:
      ReadJv3(image, disk);
      break;
    case Container::kDmk:
      if (real_drive) {
        disk.error = "a DMK file that stands for a real drive: it holds no sectors";
      } else {
        ReadDmk(image, disk, check_data);
      }
      break;
  }
  return disk;
}

const Sector* Disk::Find(int cylinder, int head, int id) const {
  const Sector* first = nullptr;
  for (const Sector& s : sectors) {
    if (s.cylinder != cylinder || s.head != head || s.id_sector != id) continue;
    if (Readable(s)) return &s;
    if (first == nullptr) first = &s;
  }
  return first;
}

std::vector<std::uint8_t> SectorData(const Disk& disk, const Sector& s) {
  std::vector<std::uint8_t> data(s.has_data() ? s.size : 0);
  if (data.empty()) return data;
  if (s.block < 0) {
    disk.image.Read(s.data_offset, data.data(), data.size());
    return data;
  }
  if (const std::uint8_t* run = DataFieldRun(disk, s, 0, s.size)) {
    const std::size_t step = s.doubled ? 2 : 1;
    for (std::size_t k = 0; k < data.size(); ++k) data[k] = run[k * step];
    return data;
  }
  for (std::size_t k = 0; k < data.size(); ++k) {
    data[k] = DataFieldByte(disk, s, static_cast<Offset>(k));
  }
  return data;
}

Counts CountSectors(const Disk& disk) {
  Counts c;
  c.total = static_cast<int>(disk.sectors.size());
  for (const Sector& s : disk.sectors) {
    c.single_density += s.density == Density::kSingle;
    c.id_crc_errors += s.id_crc == Check::kBad;
    c.data_crc_errors += s.data_crc == Check::kBad;
    c.without_data += !s.has_data();
  }
  return c;
}

const char* ContainerName(Container container) {
  switch (container) {
    case Container::kJv1:
      return "JV1";
    case Container::kJv3:
      return "JV3";
    case Container::kDmk:
      return "DMK";
    case Container::kNone:
      break;
  }
  return "";
}

}  // namespace trivane::disk
