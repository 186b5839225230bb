// The operations through which identification and the geometry summary show
// their results: the result text boxes, the drawing surface, a yield to
// pending window events and a modal message box. The Qt window implements
// them on its controls; RecordingWindow keeps them in memory for tests and
// the report tool.
//
// Positions are twips (15 to the pixel at 96 dpi) from the top-left corner of
// the client area. A colour with the top bit clear holds red in the low byte,
// green in the second and blue in the third; with the top bit set, the low
// byte indexes a system colour (8 window text, 15 button face, 18 button text).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace trivane {

using Colour = std::uint32_t;

namespace colour {
inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kBlue = 0xFF0000;
inline constexpr Colour kWindowText = 0x80000008;
inline constexpr Colour kButtonFace = 0x8000000F;
inline constexpr Colour kFieldBack = 0xC0E0FF;
inline constexpr Colour kWindowBack = 0xFFC0C0;
inline constexpr Colour kNavy = 0x800000;
}  // namespace colour

// The result fields, named after their text boxes.
enum class Field {
  Text1,
  Text2,
  Text3,
  Text4,
  Text5,
  Text6,
  Text7,
  Text12,
  Text16,
  Text17,
  Text18
};

inline constexpr std::array<Field, 11> kAllFields = {
    Field::Text1, Field::Text2,  Field::Text3,  Field::Text4,  Field::Text5, Field::Text6,
    Field::Text7, Field::Text12, Field::Text16, Field::Text17, Field::Text18};

std::string_view FieldName(Field field);

class WindowOps {
 public:
  virtual ~WindowOps() = default;

  virtual void SetText(Field field, const std::string& text) = 0;
  virtual void SetForeColor(Field field, Colour colour) = 0;
  virtual void SetBackColor(Field field, Colour colour) = 0;

  // Erases the drawing surface and moves the print position to (0, 0).
  virtual void Cls() = 0;
  virtual void SetDrawColor(Colour colour) = 0;
  virtual void SetPrintPosition(int x, int y) = 0;
  // Prints the text at the print position and ends the line: the position
  // moves to x = 0, one line further down.
  virtual void PrintLine(const std::string& text) = 0;
  // Fills the rectangle between two corners, outline and interior.
  virtual void FilledBox(int x1, int y1, int x2, int y2, Colour colour) = 0;

  virtual void Yield() = 0;
  // Modal box with a single OK button. The prompt may break lines with CR
  // alone or CR LF.
  virtual void MessageBox(const std::string& prompt, const std::string& title) = 0;
};

}  // namespace trivane
