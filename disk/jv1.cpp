// JV1 (layout in formats/jv1.h): recognised by its boot sector's first two
// bytes, read as tracks of ten 256-byte sectors, written from a disk of the
// same shape. Only the directory cylinder's mark is implied; everything else
// a disk may hold is a loss when written.
#include "formats/jv1.h"

#include <algorithm>

#include "disk/container.h"
#include "disk/losses.h"
#include "disk/sector_store.h"
#include "formats/data_marks.h"

namespace trivane::disk {
namespace {

constexpr int kByte = 0xE5;  // a sector the disk does not have, as formatted

int ImpliedMark(int cylinder) {
  return cylinder == jv1::kBootDirectoryTrack ? marks::kDirectorySingle : marks::kData;
}

// Why the sector cannot be one of a JV1 file; empty when it can.
std::string Unfit(const Sector& s) {
  if (s.head != 0) return "head 1; JV1 holds head 0 only";
  if (s.density != Density::kSingle) return "double density; JV1 holds single density only";
  if (s.size != jv1::kSectorBytes) return std::to_string(s.size) + "-byte; JV1 holds 256 only";
  if (s.id_sector >= jv1::kSectorsPerTrack) return "an id past 9; JV1 holds ids 0 to 9 only";
  return "";
}

// What of a sector JV1 keeps differently: its ID, its mark, its CRCs.
void SayChanged(const Disk& disk, const Sector& s, Losses& losses) {
  if (s.id_cylinder != s.cylinder || s.id_head != s.head) {
    losses.Add(s, "an ID field that names another track; JV1 keeps the place only");
  }
  if (!s.has_data()) losses.Add(s, "no data field; written as E5 bytes");
  if (s.has_data() && s.dam != ImpliedMark(s.cylinder)) {
    losses.Add(s, "data mark " + HexByte(s.dam) + "; JV1 gives " +
                      HexByte(ImpliedMark(s.cylinder)) + " on this cylinder");
  }
  if (s.id_crc == Check::kBad || DataCrc(disk, s) == Check::kBad) {
    losses.Add(s, "a CRC error; JV1 keeps no CRC");
  }
}

}  // namespace

int RecogniseJv1(const ImageBuffer& image) {
  return image.size() >= 2 && image.at(0) == jv1::kBootByte0 && image.at(1) == jv1::kBootByte1 ? 50
                                                                                               : 0;
}

// No CRCs are kept and the data address mark is not stored: by convention
// the directory cylinder 17 reads with FA, every other one with FB.
void ReadJv1(const ImageBuffer& image, Disk& disk, bool) {
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
    s.dam = static_cast<std::uint8_t>(ImpliedMark(s.cylinder));
    s.data_offset = n * jv1::kSectorBytes;
    disk.sectors.push_back(s);
  }
  if (const Offset rest = image.size() % jv1::kSectorBytes; rest != 0) {
    disk.problems.push_back("the last " + std::to_string(rest) +
                            " bytes of the file are a part of a sector, not a sector");
  }
}

// Each cylinder's sectors 0 to 9 of head 0, the first good copy of each; a
// sector the disk lacks is written as formatted.
Written WriteJv1(const Disk& disk, const WriteOptions&) {
  Written out;
  Losses losses;
  const SectorStore store(disk);
  int cylinders = 0;
  for (const Sector& s : disk.sectors) {
    if (const std::string why = Unfit(s); !why.empty()) {
      losses.Add(s, why);
    } else if (store.At({s.cylinder, 0, s.id_sector}) != &s) {
      losses.Add(s, "a second copy; JV1 holds one");
    } else {
      cylinders = std::max(cylinders, s.cylinder + 1);
    }
  }
  out.bytes.assign(static_cast<std::size_t>(cylinders * jv1::kTrackBytes), kByte);
  for (int c = 0; c < cylinders; ++c) {
    for (int id = 0; id < jv1::kSectorsPerTrack; ++id) {
      const SectorRead read = store.Get({c, 0, id});
      if (read.sector == nullptr || !Unfit(*read.sector).empty()) {
        losses.Add(c, 0, id, "not on the disk; written as E5 bytes");
        continue;
      }
      SayChanged(disk, *read.sector, losses);
      std::copy(read.data.begin(), read.data.end(),
                out.bytes.begin() + (c * jv1::kSectorsPerTrack + id) * jv1::kSectorBytes);
    }
  }
  out.losses = losses.Lines();
  out.lost = losses.Places();
  if (out.bytes.size() < 2 || out.bytes[0] != jv1::kBootByte0 || out.bytes[1] != jv1::kBootByte1) {
    out.losses.push_back(
        "the boot sector does not start 00 FE, by which a JV1 file is known: it would not read "
        "as one");
  }
  return out;
}

// The container's row (disk/container.h).
extern constexpr ContainerFormat kJv1Row = {
    Container::kJv1,
    "JV1",
    "jv1",
    "TRS-80 JV1 disk image",
    "one head of single-density 256-byte sectors 0 to 9, ten a track; no marks but the "
    "directory's, no CRC errors",
    "*.jv1 *.dsk",
    "application/x-trs80-jv1",
    "*.jv1 *.dsk",
    "<match type=\"big16\" offset=\"0\" value=\"0x00fe\"/>",
    60,
    2,
    true,
    false,
    kMostFloppyBytes,
    "boot sector",
    RecogniseJv1,
    ReadJv1,
    WriteJv1};

}  // namespace trivane::disk
