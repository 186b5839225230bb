// The sector picture, the same in every front end: a row per cylinder, both
// heads side by side under their names, a cell per sector in track order,
// coloured by what the controller would have read; the directory's cylinder
// marked, and the cylinders reserved for the system before it. Positions are pixels from the
// picture's top-left corner; the cells grow and shrink with the space the picture is given.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "disk/disk.h"

namespace trivane::present {

enum class SectorState { kGoodDouble, kGoodSingle, kCrcError, kOtherMark, kNoData };
inline constexpr std::array<SectorState, 5> kSectorStates = {
    SectorState::kGoodDouble, SectorState::kGoodSingle, SectorState::kCrcError,
    SectorState::kOtherMark, SectorState::kNoData};

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

SectorState StateOf(const disk::Sector& sector);
Rgb ColourOf(SectorState state);
std::string NameOf(SectorState state);
// "cylinder 3 head 0 sector 4: CRC error, 256 bytes", for hovering.
std::string SectorTip(const disk::Sector& sector);
// "Cylinder 3 head 0 sector 4: CRC error", over its bytes.
std::string SectorTitle(const disk::Sector& sector);
// "good, double density 720", one for each state, for the legend.
std::string LegendText(const disk::Disk& disk, SectorState state);
// "720 sectors, 40 cylinders, 2 head(s)", or why the disk was not read.
std::string TotalLine(const disk::Disk& disk);

struct Box {
  int left = 0, top = 0, width = 0, height = 0;
  bool Contains(int x, int y) const {
    return x >= left && x < left + width && y >= top && y < top + height;
  }
};

class SectorPicture {
 public:
  static constexpr int kCell = 9;         // pixels, a gap of one included: the size it asks for
  static constexpr int kMinCell = 4;      // the least it shrinks to
  static constexpr int kLabelWidth = 44;  // room for the cylinder numbers and "dir"
  static constexpr int kHeadGap = 12;
  static constexpr int kHeadRow = 16;  // the heads' names over their halves

  explicit SectorPicture(const disk::Disk* disk = nullptr);
  void SetDirectoryCylinder(int cylinder) { directory_ = cylinder; }
  void SetReservedCylinders(int cylinders) { reserved_ = cylinders; }
  int directory() const { return directory_; }
  // The largest cells with which every row and both heads fit the space.
  void Fit(int width, int height);
  int rows() const { return rows_; }
  int heads() const { return heads_; }
  int cell() const { return cell_; }
  // The size the picture takes with cells of the given height.
  Box SizeFor(int cell) const;
  // The sector's cell (its index in the disk's sectors), without the gap.
  Box CellOf(int index) const;
  int SectorAt(int x, int y) const;  // -1 for none
  // Where each head's name is written, and each cylinder's label.
  Box HeadLabel(int head) const;
  Box RowLabel(int row) const;
  // A row's label: "dir 17" on the directory's cylinder, "sys 0" on the
  // first reserved one (and on the others where rows are as high as the
  // font), the number on every fifth where it does not crowd those, else
  // empty.
  std::string RowText(int row, int font_pixels) const;
  // The frame drawn around the directory's cylinder.
  Box DirectoryFrame() const;

 private:
  struct Place {
    int head, slot, cylinder;
  };
  std::vector<Place> places_;
  int slots_ = 0, rows_ = 0, heads_ = 1;
  int cell_ = kCell, cell_width_ = kCell;
  int directory_ = -1;
  int reserved_ = 0;
};

}  // namespace trivane::present
