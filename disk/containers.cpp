// The containers in one registry, the container of an image decided by the
// surest recogniser, and what every container's sectors share: their data,
// a data CRC checked late, data put into them.
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "disk/container.h"
#include "disk/dmk_fields.h"
#include "formats/jv3.h"

namespace trivane::disk {
namespace {

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

// Containers named by their first bytes that this version does not read:
// said for what they are rather than misread as another (an HFE file's
// header passes for a JV3 sector table).
struct Unread {
  std::string_view magic, name;
};
constexpr Unread kUnread[] = {{"HXCPICFE", "an HFE image"},
                              {"HXCHFEV3", "an HFE image"},
                              {"IMD ", "an ImageDisk (IMD) image"}};
// Two bytes only: named when no container takes the file.
constexpr Unread kHardDisk = {"\x56\xCB", "a Reed hard-disk image"};

std::string UnreadContainer(const ImageBuffer& image, std::span<const Unread> known) {
  for (const Unread& u : known) {
    if (static_cast<std::size_t>(image.size()) < u.magic.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < u.magic.size() && same; ++k) {
      same = image.at(k) == static_cast<std::uint8_t>(u.magic[k]);
    }
    if (same) return std::string(u.name) + ", which this version does not read";
  }
  return "";
}

constexpr ContainerFormat kContainers[] = {
    {Container::kDmk, RecogniseDmk, ReadDmk, WriteDmk},
    {Container::kJv1, RecogniseJv1, ReadJv1, WriteJv1},
    {Container::kJv3, RecogniseJv3, ReadJv3, WriteJv3},
};

}  // namespace

std::span<const ContainerFormat> Containers() {
  return kContainers;
}

const ContainerFormat& FormatOf(Container kind) {
  for (const ContainerFormat& f : kContainers) {
    if (f.kind == kind) return f;
  }
  return kContainers[0];
}

// Of equal scores the earlier in the registry, as the emulators test.
const ContainerFormat* Detect(const ImageBuffer& image) {
  const ContainerFormat* best = nullptr;
  int best_score = 0;
  for (const ContainerFormat& f : kContainers) {
    const int score = f.recognise(image);
    if (score > best_score) {
      best = &f;
      best_score = score;
    }
  }
  return best;
}

Disk ReadDisk(const ImageBuffer& image, bool check_data) {
  Disk disk;
  disk.image = image;
  if (std::string unread = UnreadContainer(image, kUnread); !unread.empty()) {
    disk.error = std::move(unread);
    return disk;
  }
  const ContainerFormat* format = Detect(image);
  if (format == nullptr) {
    const std::string unread = UnreadContainer(image, std::span(&kHardDisk, 1));
    disk.error = !unread.empty() ? unread
                 : CutJv3Header(image)
                     ? "the file ends inside the JV3 header, at byte " +
                           std::to_string(image.size()) + " of " + std::to_string(jv3::kDataStart)
                     : "not a disk image: no DMK header, no JV1 boot sector, no JV3 header";
    return disk;
  }
  disk.container = format->kind;
  format->read(image, disk, check_data);
  return disk;
}

std::vector<std::uint8_t> SectorData(const Disk& disk, const Sector& s) {
  if (s.written >= 0) return disk.written[static_cast<std::size_t>(s.written)];
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

void PutSectorData(Disk& disk, std::size_t index, std::span<const std::uint8_t> data) {
  Sector& s = disk.sectors[index];
  if (s.written < 0) {
    s.written = static_cast<std::int32_t>(disk.written.size());
    disk.written.emplace_back();
  }
  disk.written[static_cast<std::size_t>(s.written)].assign(data.begin(), data.end());
  s.data_crc = Check::kGood;
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
