// A window that keeps, instead of showing, everything written to it: each
// field's text and colours, the drawing operations in order and the message
// boxes. Used by the tests and the report tool.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "identification/window_ops.h"

namespace trivane {

struct FieldState {
  std::string text;
  Colour fore = colour::kWindowText;
  Colour back = colour::kFieldBack;
};

struct DrawOp {
  enum class Kind { Cls, Box, Print };
  Kind kind;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // box corners; x1, y1 the print position
  Colour colour = 0;
  std::string text;
};

struct Message {
  std::string prompt;
  std::string title;
};

class RecordingWindow : public WindowOps {
 public:
  // Height of one printed line, in twips: the window font's 13 pixels.
  static constexpr int kLineHeight = 195;

  RecordingWindow();

  void SetText(Field field, const std::string& text) override;
  void SetForeColor(Field field, Colour colour) override;
  void SetBackColor(Field field, Colour colour) override;
  void Cls() override;
  void SetDrawColor(Colour colour) override;
  void SetPrintPosition(int x, int y) override;
  void PrintLine(const std::string& text) override;
  void FilledBox(int x1, int y1, int x2, int y2, Colour colour) override;
  void Yield() override { ++yields_; }
  void MessageBox(const std::string& prompt, const std::string& title) override;

  const FieldState& field(Field f) const { return fields_.at(f); }
  const std::string& text(Field f) const { return field(f).text; }
  const std::vector<DrawOp>& drawing() const { return drawing_; }
  const std::vector<Message>& messages() const { return messages_; }
  Colour draw_colour() const { return draw_colour_; }
  int current_x() const { return current_x_; }
  int current_y() const { return current_y_; }
  int yields() const { return yields_; }

 private:
  std::map<Field, FieldState> fields_;
  std::vector<DrawOp> drawing_;
  std::vector<Message> messages_;
  Colour draw_colour_ = colour::kNavy;
  int current_x_ = 0;
  int current_y_ = 0;
  int yields_ = 0;
};

}  // namespace trivane
