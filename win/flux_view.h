// The flux tab of a disk read from flux on Windows: two drop-down lists (the
// track, its revolution), the histogram of that revolution's flux intervals
// painted in a window of its own class as the shared flux view lays it out,
// and the caption under it. Its controls are children of the contents
// window, with the identifiers it is given, shown and hidden with the tab.
#pragma once

#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include "present/flux_view.h"

namespace trivane::win {

class FluxPage {
 public:
  // The controls' identifiers, from first: the track list, the revolution
  // list, the histogram and the caption.
  enum Part { kTrack, kRevolution, kHistogram, kCaption, kParts };
  void Create(HWND parent, int first, HFONT font);
  void SetDisk(const disk::Disk& disk);
  bool empty() const { return view_.empty(); }
  void Layout(RECT page);
  // A choice in a list; false for another control's message.
  bool Command(int id, int code);
  void ShowTrack(int track);
  void Show();
  HWND control(Part part) const { return GetDlgItem(parent_, first_ + part); }

  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  HWND hwnd_ = nullptr;  // the histogram's window

 private:
  void Paint(HDC dc, const RECT& client);

  HWND parent_ = nullptr;
  int first_ = 0, dpi_ = 96;
  present::FluxView view_{disk::Disk{}};
  int track_ = 0, revolution_ = 0;
};

}  // namespace trivane::win
