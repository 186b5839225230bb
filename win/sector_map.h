// The sector picture on Windows: the shared picture's cells, labels and
// colours painted in a window of its own class, with the legend and the
// totals under it. Hovering a cell names it in the bottom line; a click on
// it asks for its data.
#pragma once

#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <functional>

#include "disk/disk.h"
#include "present/sector_picture.h"

namespace trivane::win {

class SectorMap {
 public:
  void Create(HWND parent, int id);
  HWND hwnd() const { return hwnd_; }
  // With the directory's cylinder (-1 for none) and the reserved ones.
  void SetDisk(const disk::Disk* disk, int directory_cylinder, int reserved_cylinders);
  const present::SectorPicture& picture() const { return picture_; }
  // The cell's rectangle in the window.
  RECT CellOf(int index) const;
  std::function<void(int index)> on_click;

  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  HWND hwnd_ = nullptr;

 private:
  void Paint(HDC dc, const RECT& client);
  void PaintLegend(HDC dc, const RECT& client);
  void Fit();
  int legend_height() const;

  const disk::Disk* disk_ = nullptr;
  present::SectorPicture picture_;
  int hovered_ = -1;
  int dpi_ = 96;
};

}  // namespace trivane::win
