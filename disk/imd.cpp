// IMD (layout in formats/imd.h): recognised by its signature; read track
// record by track record, each sector's data a run of the file, or one byte
// that fills it; damage (a record cut short, an unknown mode or record)
// ends the reading with a problem that says where.
#include "formats/imd.h"

#include <algorithm>
#include <string>

#include "disk/container.h"
#include "disk/imd_state.h"

namespace trivane::disk {
namespace {

// A track record's fixed part and maps, read at `at`.
struct TrackRecord {
  int mode = 0, cylinder = 0, head = 0, count = 0, size = 0;
  Offset at = 0, ids = 0, cylinder_map = -1, head_map = -1, sizes = -1;
  Offset end = 0;  // where its sector records start
};

std::string At(Offset at) {
  return "the track record at byte " + std::to_string(at);
}

// The record, or a problem that says why it cannot be one.
std::string ReadTrackRecord(const ImageBuffer& image, Offset at, TrackRecord& t) {
  if (at + 5 > image.size()) return At(at) + " is cut short";
  t.mode = image.at(at);
  t.cylinder = image.at(at + 1);
  t.head = image.at(at + 2);
  t.count = image.at(at + 3);
  t.size = image.at(at + 4);
  t.at = at;
  if (t.mode >= imd::kModes) return At(at) + " has mode " + std::to_string(t.mode);
  if ((t.head & ~(imd::kHeadBit | imd::kCylinderMap | imd::kHeadMap)) != 0) {
    return At(at) + " has head byte " + std::to_string(t.head);
  }
  if (t.size != imd::kSizeTable && t.size > imd::kMostSizeCode) {
    return At(at) + " has size code " + std::to_string(t.size);
  }
  Offset p = at + 5;
  t.ids = p;
  p += t.count;
  if (t.head & imd::kCylinderMap) t.cylinder_map = std::exchange(p, p + t.count);
  if (t.head & imd::kHeadMap) t.head_map = std::exchange(p, p + t.count);
  if (t.size == imd::kSizeTable) t.sizes = std::exchange(p, p + 2 * t.count);
  if (p > image.size()) return At(at) + " is cut short";
  t.end = p;
  return "";
}

Sector SectorOf(const ImageBuffer& image, const TrackRecord& t, int i) {
  Sector s;
  s.cylinder = static_cast<std::uint16_t>(t.cylinder);
  s.head = static_cast<std::uint8_t>(t.head & imd::kHeadBit);
  s.id_sector = image.at(t.ids + i);
  s.id_cylinder = t.cylinder_map >= 0 ? image.at(t.cylinder_map + i) : s.cylinder & 0xFF;
  s.id_head = t.head_map >= 0 ? image.at(t.head_map + i) : s.head;
  const int size =
      t.sizes >= 0 ? image.at(t.sizes + 2 * i) | image.at(t.sizes + 2 * i + 1) << 8 : 128 << t.size;
  s.size = static_cast<std::uint16_t>(size);
  s.size_code = t.sizes >= 0 ? SizeCodeOf(size) : static_cast<std::uint8_t>(t.size);
  s.density = t.mode >= imd::kFirstMfmMode ? Density::kDouble : Density::kSingle;
  return s;
}

// The track's sector records from t.end; the offset past them, or -1 with
// a problem said.
Offset ReadSectors(const ImageBuffer& image, const TrackRecord& t, ImdState& state, Disk& disk) {
  Offset p = t.end;
  for (int i = 0; i < t.count; ++i) {
    Sector s = SectorOf(image, t, i);
    const int record = p < image.size() ? image.at(p) : -1;
    const std::string where = "sector " + std::to_string(s.id_sector) + " of cylinder " +
                              std::to_string(t.cylinder) + " head " + std::to_string(s.head);
    if (s.size != 128 << SizeCodeOf(s.size)) {
      disk.problems.push_back(where + ": " + std::to_string(s.size) +
                              " bytes, a size no TRS-80 controller reads");
      return -1;
    }
    if (record < 0 || record > imd::kLastRecord) {
      disk.problems.push_back(where +
                              (record < 0 ? ": the file ends before it" : ": it cannot be read") +
                              " (byte " + std::to_string(p) + ")");
      return -1;
    }
    ++p;
    if (record != imd::kNoData) {
      const int kind = record - 1;
      s.data_offset = p;
      s.dam = static_cast<std::uint8_t>(kind & imd::kDeleted ? imd::kDeletedMark : imd::kDataMark);
      s.data_crc = kind & imd::kDataError ? Check::kBad : Check::kNotKept;
      if (kind & imd::kCompressed) state.filled.push_back(p);
      p += kind & imd::kCompressed ? 1 : s.size;
      if (p > image.size()) {
        disk.problems.push_back(At(t.at) + ": sector " + std::to_string(s.id_sector) +
                                "'s data runs past the file's end");
        return -1;
      }
    }
    disk.sectors.push_back(s);
  }
  return p;
}

}  // namespace

std::vector<std::uint8_t> ImdState::Data(const Disk& disk, const Sector& s) const {
  std::vector<std::uint8_t> data(s.size);
  if (std::binary_search(filled.begin(), filled.end(), s.data_offset)) {
    std::fill(data.begin(), data.end(), disk.image.at(s.data_offset));
  } else {
    disk.image.Read(s.data_offset, data.data(), data.size());
  }
  return data;
}

Check ImdState::DataCrc(const Disk&, const Sector& s) const {
  return s.data_crc;
}

const ImdState* ImdStateOf(const Disk& disk) {
  return dynamic_cast<const ImdState*>(disk.state.get());
}

int RecogniseImd(const ImageBuffer& image) {
  return image.StartsWith(imd::kSignature) &&
                 image.size() > static_cast<Offset>(imd::kSignature.size())
             ? 100
             : 0;
}

void ReadImd(const ImageBuffer& image, Disk& disk, bool) {
  auto state = std::make_shared<ImdState>();
  Offset p = 0;
  while (p < image.size() && image.at(p) != imd::kHeaderEnd) ++p;
  if (p == image.size()) {
    disk.problems.push_back("the header's comment never ends (no 1A)");
  }
  state->header.resize(static_cast<std::size_t>(std::min(p + 1, image.size())));
  image.Read(0, state->header.data(), state->header.size());
  for (++p; p < image.size();) {
    TrackRecord t;
    if (std::string problem = ReadTrackRecord(image, p, t); !problem.empty()) {
      disk.problems.push_back(std::move(problem));
      break;
    }
    state->modes[{t.cylinder, t.head & imd::kHeadBit}] = t.mode;
    disk.cylinders = std::max(disk.cylinders, t.cylinder + 1);
    disk.heads = std::max(disk.heads, (t.head & imd::kHeadBit) + 1);
    p = ReadSectors(image, t, *state, disk);
    if (p < 0) break;
  }
  disk.state = std::move(state);
}

// The container's row (disk/container.h).
extern constexpr ContainerFormat kImdRow = {
    Container::kImd,
    "IMD",
    "imd",
    "ImageDisk floppy disk image",
    "the sectors of each track in one density, any size, deleted data (F8) and data errors; "
    "no other data marks, no ID field that failed its CRC",
    "*.imd",
    "application/x-imd-floppy-image",
    "*.imd",
    "<match type=\"string\" offset=\"0\" value=\"IMD \"/>",
    80,
    4,
    true,
    false,
    kMostFloppyBytes,
    "header",
    RecogniseImd,
    ReadImd,
    WriteImd};

}  // namespace trivane::disk
