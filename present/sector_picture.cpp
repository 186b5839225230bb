#include "present/sector_picture.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "formats/data_marks.h"

namespace trivane::present {

SectorState StateOf(const disk::Sector& s) {
  if (!s.has_data()) return SectorState::kNoData;
  if (s.id_crc == disk::Check::kBad || s.data_crc == disk::Check::kBad)
    return SectorState::kCrcError;
  if (s.dam != marks::kData) return SectorState::kOtherMark;
  return s.density == disk::Density::kDouble ? SectorState::kGoodDouble : SectorState::kGoodSingle;
}

Rgb ColourOf(SectorState state) {
  switch (state) {
    case SectorState::kGoodDouble:
      return {0x2E, 0x8B, 0x57};
    case SectorState::kGoodSingle:
      return {0x87, 0xCE, 0xEB};
    case SectorState::kCrcError:
      return {0xE0, 0x20, 0x20};
    case SectorState::kOtherMark:
      return {0xF0, 0xB0, 0x30};
    case SectorState::kNoData:
      break;
  }
  return {0x60, 0x60, 0x60};
}

std::string NameOf(SectorState state) {
  switch (state) {
    case SectorState::kGoodDouble:
      return "good, double density";
    case SectorState::kGoodSingle:
      return "good, single density";
    case SectorState::kCrcError:
      return "CRC error";
    case SectorState::kOtherMark:
      return "deleted or other data mark";
    case SectorState::kNoData:
      break;
  }
  return "ID without data";
}

namespace {

std::string PlaceOf(const disk::Sector& s) {
  return std::to_string(s.cylinder) + " head " + std::to_string(s.head) + " sector " +
         std::to_string(s.id_sector) + ": ";
}

}  // namespace

std::string SectorTip(const disk::Sector& s) {
  return "cylinder " + PlaceOf(s) + NameOf(StateOf(s)) + ", " + std::to_string(s.size) + " bytes";
}

std::string SectorTitle(const disk::Sector& s) {
  return "Cylinder " + PlaceOf(s) + (s.has_data() ? NameOf(StateOf(s)) : "no data");
}

std::string LegendText(const disk::Disk& disk, SectorState state) {
  const auto count = std::count_if(disk.sectors.begin(), disk.sectors.end(),
                                   [state](const disk::Sector& s) { return StateOf(s) == state; });
  return NameOf(state) + " " + std::to_string(count);
}

std::string TotalLine(const disk::Disk& disk) {
  if (!disk.error.empty()) return disk.error;
  return std::to_string(disk.sectors.size()) + " sectors, " + std::to_string(disk.cylinders) +
         " cylinders, " + std::to_string(disk.heads) + " head(s)";
}

SectorPicture::SectorPicture(const disk::Disk* disk) {
  if (disk == nullptr) return;
  heads_ = std::max(1, disk->heads);
  std::map<std::pair<int, int>, int> next;  // cylinder, head: next slot
  for (const disk::Sector& s : disk->sectors) {
    const int slot = next[{s.cylinder, s.head}]++;
    places_.push_back({s.head, slot, s.cylinder});
    slots_ = std::max(slots_, slot + 1);
    rows_ = std::max(rows_, s.cylinder + 1);
  }
}

Box SectorPicture::SizeFor(int cell) const {
  return {0, 0, kLabelWidth + heads_ * (slots_ * cell + kHeadGap), kHeadRow + rows_ * cell};
}

void SectorPicture::Fit(int width, int height) {
  const int across = (width - kLabelWidth - heads_ * kHeadGap) / std::max(1, heads_ * slots_);
  const int down = (height - kHeadRow) / std::max(1, rows_);
  cell_ = std::max(kMinCell, down);
  // Wider than high where there is room, up to three times.
  cell_width_ = std::clamp(across, kMinCell, 3 * cell_);
}

Box SectorPicture::CellOf(int index) const {
  const Place& p = places_.at(static_cast<std::size_t>(index));
  return {kLabelWidth + p.head * (slots_ * cell_width_ + kHeadGap) + p.slot * cell_width_,
          kHeadRow + p.cylinder * cell_, cell_width_ - 1, cell_ - 1};
}

int SectorPicture::SectorAt(int x, int y) const {
  for (std::size_t i = 0; i < places_.size(); ++i) {
    Box cell = CellOf(static_cast<int>(i));
    ++cell.width;
    ++cell.height;
    if (cell.Contains(x, y)) return static_cast<int>(i);
  }
  return -1;
}

Box SectorPicture::HeadLabel(int head) const {
  const int half = slots_ * cell_width_ + kHeadGap;
  return {kLabelWidth + head * half, 0, half, kHeadRow};
}

Box SectorPicture::RowLabel(int row) const {
  return {0, kHeadRow + row * cell_, kLabelWidth - 4, cell_};
}

std::string SectorPicture::RowText(int row, int font_pixels) const {
  if (row == directory_) return "dir " + std::to_string(row);
  if (row < reserved_) {
    return row == 0 || cell_ >= font_pixels ? "sys " + std::to_string(row) : std::string();
  }
  const int last_said = reserved_ > 0 && cell_ < font_pixels ? 0 : reserved_ - 1;
  const bool room = std::abs(row - directory_) * cell_ >= font_pixels &&
                    (reserved_ == 0 || (row - last_said) * cell_ >= font_pixels);
  if (row % 5 == 0 && room) return std::to_string(row);
  return {};
}

Box SectorPicture::DirectoryFrame() const {
  const int half = slots_ * cell_width_ + kHeadGap;
  return {kLabelWidth - 2, kHeadRow + directory_ * cell_, heads_ * half - kHeadGap + 2, cell_ - 1};
}

}  // namespace trivane::present
