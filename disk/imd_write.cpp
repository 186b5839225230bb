// The IMD writer (layout in formats/imd.h): a record for every track of the
// disk's cylinders and heads, in the mode its density says at 250 kbit/s
// (a disk read from IMD keeps each track's mode and the header), a sector
// that one byte fills stored as that byte. What IMD cannot keep is a loss:
// data marks F9 and FA (read back as F8), an ID field that failed its CRC,
// a sector in the other density of its track, past 255 sectors a track,
// an ID size code past 3 (controllers read only its low two bits).
#include <algorithm>
#include <ctime>

#include "disk/container.h"
#include "disk/imd_state.h"
#include "disk/losses.h"
#include "formats/imd.h"
#include "formats/text.h"

namespace trivane::disk {
namespace {

std::vector<std::uint8_t> Header(const Disk& disk) {
  if (const ImdState* state = ImdStateOf(disk); state != nullptr && !state->header.empty()) {
    return state->header;
  }
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  char text[64];
  const std::size_t n = std::strftime(text, sizeof text, "IMD 1.18: %d/%m/%Y %H:%M:%S\r\n", &tm);
  std::vector<std::uint8_t> h(text, text + n);
  const std::string_view comment = "Written by Trivane\r\n\x1A";
  h.insert(h.end(), comment.begin(), comment.end());
  return h;
}

int SizeOf(const Sector& s) {
  return s.has_data() ? s.size : 128 << (s.size_code & 3);
}

// The sectors of a track that IMD can keep; the others are losses.
std::vector<const Sector*> Kept(const Disk& disk, int cylinder, int head, Losses& losses) {
  std::vector<const Sector*> kept;
  for (const Sector& s : disk.sectors) {
    if (s.cylinder != cylinder || s.head != head) continue;
    if (s.id_crc == Check::kBad) {
      losses.Add(s, "an ID field that failed its CRC; IMD keeps none");
    } else if (s.size_code > 3) {
      losses.Add(s, "size code " + std::to_string(s.size_code) +
                        " in its ID field; IMD keeps the size read, 128 to 1024 bytes");
    } else if (!kept.empty() && s.density != kept.front()->density) {
      losses.Add(s, "single and double density on one track; an IMD track has one mode");
    } else if (kept.size() == 255) {
      losses.Add(s, "past the 255 sectors an IMD track holds");
    } else {
      if (s.has_data() && s.dam != imd::kDataMark && s.dam != imd::kDeletedMark) {
        losses.Add(s, "data mark " + HexByte(s.dam) + ", kept as deleted data (F8)");
      }
      kept.push_back(&s);
    }
  }
  return kept;
}

int ModeOf(const Disk& disk, int cylinder, int head, bool mfm) {
  if (const ImdState* state = ImdStateOf(disk)) {
    const auto it = state->modes.find({cylinder, head});
    if (it != state->modes.end() && (it->second >= imd::kFirstMfmMode) == mfm) return it->second;
  }
  return mfm ? imd::kMfmMode : imd::kFmMode;
}

// Stored as one byte: a sector read from IMD as it was stored, unless data
// was put into it; any other whose bytes are all one.
bool Filled(const Disk& disk, const Sector& s, const std::vector<std::uint8_t>& data) {
  const ImdState* state = ImdStateOf(disk);
  if (state != nullptr && s.written < 0) {
    return std::binary_search(state->filled.begin(), state->filled.end(), s.data_offset);
  }
  return !data.empty() &&
         std::all_of(data.begin(), data.end(), [&](std::uint8_t b) { return b == data[0]; });
}

void PutRecord(const Disk& disk, const Sector& s, std::vector<std::uint8_t>& out) {
  if (!s.has_data()) {
    out.push_back(imd::kNoData);
    return;
  }
  const std::vector<std::uint8_t> data = SectorData(disk, s);
  const bool filled = Filled(disk, s, data);
  const int kind = (filled ? imd::kCompressed : 0) | (s.dam != imd::kDataMark ? imd::kDeleted : 0) |
                   (DataCrc(disk, s) == Check::kBad ? imd::kDataError : 0);
  out.push_back(static_cast<std::uint8_t>(kind + 1));
  if (filled) {
    out.push_back(data[0]);
  } else {
    out.insert(out.end(), data.begin(), data.end());
  }
}

void PutTrack(const Disk& disk, int cylinder, int head, const std::vector<const Sector*>& kept,
              std::vector<std::uint8_t>& out) {
  const bool mfm = !kept.empty() && kept.front()->density == Density::kDouble;
  const bool cylinder_map = std::any_of(
      kept.begin(), kept.end(), [&](const Sector* s) { return s->id_cylinder != cylinder; });
  const bool head_map =
      std::any_of(kept.begin(), kept.end(), [&](const Sector* s) { return s->id_head != head; });
  const int first = kept.empty() ? 1 : SizeOf(*kept.front());
  const bool one_size = std::all_of(kept.begin(), kept.end(), [&](const Sector* s) {
    return SizeOf(*s) == first && first == 128 << s->size_code;
  });
  out.push_back(static_cast<std::uint8_t>(ModeOf(disk, cylinder, head, mfm)));
  out.push_back(static_cast<std::uint8_t>(cylinder));
  out.push_back(static_cast<std::uint8_t>(head | (cylinder_map ? imd::kCylinderMap : 0) |
                                          (head_map ? imd::kHeadMap : 0)));
  out.push_back(static_cast<std::uint8_t>(kept.size()));
  out.push_back(static_cast<std::uint8_t>(one_size ? (kept.empty() ? 1 : kept.front()->size_code)
                                                   : imd::kSizeTable));
  for (const Sector* s : kept) out.push_back(s->id_sector);
  if (cylinder_map)
    for (const Sector* s : kept) out.push_back(s->id_cylinder);
  if (head_map)
    for (const Sector* s : kept) out.push_back(s->id_head);
  if (!one_size) {
    for (const Sector* s : kept) {
      out.push_back(static_cast<std::uint8_t>(SizeOf(*s) & 0xFF));
      out.push_back(static_cast<std::uint8_t>(SizeOf(*s) >> 8));
    }
  }
  for (const Sector* s : kept) PutRecord(disk, *s, out);
}

}  // namespace

Written WriteImd(const Disk& disk, const WriteOptions&) {
  Losses losses;
  const int heads = std::clamp(disk.heads, 1, 2);
  const int cylinders = std::clamp(disk.cylinders, 0, 256);
  losses.AddOutside(disk, cylinders, heads);
  Written out;
  out.bytes = Header(disk);
  for (int c = 0; c < cylinders; ++c) {
    for (int h = 0; h < heads; ++h) PutTrack(disk, c, h, Kept(disk, c, h, losses), out.bytes);
  }
  out.losses = losses.Lines();
  out.lost = losses.Places();
  return out;
}

}  // namespace trivane::disk
