// The main window's form, the same in every front end: its size and title,
// and where each control stands, in twips (15 to the pixel at 96 dpi) from
// the client area's top-left corner. Each list is in the order the controls
// are made, which is also their tab order.
#pragma once

#include <array>
#include <string_view>

namespace trivane::present {

inline constexpr int kFormWidth = 8595, kFormHeight = 7425;
inline constexpr char kFormTitle[] = "Trivane 2009  V1   by Olmsker";

struct Place {
  std::string_view name;
  int left, top, width, height;
};

// The file chooser: the drive combo box, the file list, the directory list.
inline constexpr Place kDrive1{"Drive1", 960, 120, 1575, 315};
inline constexpr Place kFile1{"File1", 3360, 120, 2895, 4380};
inline constexpr Place kDir1{"Dir1", 120, 600, 2895, 2790};

// The result text boxes, named as the window operations name their fields.
inline constexpr std::array<Place, 11> kTextBoxes = {{{"Text1", 960, 5760, 1335, 285},
                                                      {"Text2", 2280, 5760, 2295, 285},
                                                      {"Text3", 4560, 5760, 2775, 285},
                                                      {"Text4", 120, 6120, 3615, 285},
                                                      {"Text5", 3960, 6120, 3735, 285},
                                                      {"Text6", 120, 6840, 3735, 285},
                                                      {"Text7", 2160, 5040, 2655, 285},
                                                      {"Text12", 120, 5760, 855, 285},
                                                      {"Text16", 2520, 4680, 2055, 285},
                                                      {"Text17", 120, 5400, 8295, 285},
                                                      {"Text18", 120, 6480, 7095, 285}}};

// The four options: each its caption and the file patterns it lists.
struct Option {
  Place place;
  std::string_view caption, patterns;
};
inline constexpr std::array<Option, 4> kOptions = {
    {{{"Option1", 120, 3600, 3015, 195}, "Show Dmk and Dsk Files only", "*.dsk;*.dmk"},
     {{"Option2", 120, 3840, 2895, 195}, "Show Dmk files only", "*.dmk"},
     {{"Option3", 120, 4080, 2415, 195}, "Show Dsk Files only", "*.dsk"},
     {{"Option4", 120, 4320, 3015, 195}, "Show all Files", "*.*"}}};

}  // namespace trivane::present
