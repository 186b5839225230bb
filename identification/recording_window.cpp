#include "identification/recording_window.h"

namespace trivane {

RecordingWindow::RecordingWindow() {
  for (Field f : kAllFields) fields_[f].text = std::string(FieldName(f));
}

void RecordingWindow::SetText(Field field, const std::string& text) {
  fields_[field].text = text;
}

void RecordingWindow::SetForeColor(Field field, Colour colour) {
  fields_[field].fore = colour;
}

void RecordingWindow::SetBackColor(Field field, Colour colour) {
  fields_[field].back = colour;
}

void RecordingWindow::Cls() {
  drawing_.push_back({DrawOp::Kind::Cls, 0, 0, 0, 0, 0, {}});
  current_x_ = 0;
  current_y_ = 0;
}

void RecordingWindow::SetDrawColor(Colour colour) {
  draw_colour_ = colour;
}

void RecordingWindow::SetPrintPosition(int x, int y) {
  current_x_ = x;
  current_y_ = y;
}

void RecordingWindow::PrintLine(const std::string& text) {
  drawing_.push_back({DrawOp::Kind::Print, current_x_, current_y_, 0, 0, draw_colour_, text});
  current_x_ = 0;
  current_y_ += kLineHeight;
}

void RecordingWindow::FilledBox(int x1, int y1, int x2, int y2, Colour colour) {
  drawing_.push_back({DrawOp::Kind::Box, x1, y1, x2, y2, colour, {}});
}

void RecordingWindow::MessageBox(const std::string& prompt, const std::string& title) {
  messages_.push_back({prompt, title});
}

}  // namespace trivane
