// The window operations on Form27: the text boxes, the drawing surface (a
// backing image painted beneath the controls, so that it survives being
// covered), the yield and the message box.
#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

#include "app/form27.h"

namespace trivane::app {
namespace {

constexpr Colour kSystemColour = 0x80000000;

QString ToQString(const std::string& text) {
  return QString::fromStdString(text);
}

// CR LF and CR alone each break the line.
QString PromptLines(const std::string& prompt) {
  QString text = ToQString(prompt);
  text.replace("\r\n", "\n");
  text.replace('\r', '\n');
  return text;
}

}  // namespace

QColor Form27::ToQColor(Colour colour) const {
  if ((colour & kSystemColour) == 0) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  }
  const QPalette system = QApplication::palette();
  // The system colours the window uses: button face, and window text.
  return (colour & 0xFF) == (colour::kButtonFace & 0xFF) ? system.color(QPalette::Button)
                                                         : system.color(QPalette::Text);
}

void Form27::SetText(Field field, const std::string& text) {
  QLineEdit* box = fields_.at(field);
  box->setText(ToQString(text));
  box->setCursorPosition(0);
}

void Form27::SetForeColor(Field field, Colour colour) {
  QLineEdit* box = fields_.at(field);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Text, ToQColor(colour));
  box->setPalette(palette);
}

void Form27::SetBackColor(Field field, Colour colour) {
  QLineEdit* box = fields_.at(field);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, ToQColor(colour));
  box->setPalette(palette);
}

void Form27::Cls() {
  surface_.fill(ToQColor(colour::kWindowBack));
  current_x_ = 0;
  current_y_ = 0;
  update();
}

void Form27::SetDrawColor(Colour colour) {
  draw_colour_ = ToQColor(colour);
}

void Form27::SetPrintPosition(int x, int y) {
  current_x_ = x;
  current_y_ = y;
}

void Form27::PrintLine(const std::string& text) {
  QPainter painter(&surface_);
  painter.setFont(font());
  painter.setPen(draw_colour_);
  const QFontMetrics metrics(font());
  painter.drawText(
      QPoint(current_x_ / kTwipsPerPixel, current_y_ / kTwipsPerPixel + metrics.ascent()),
      ToQString(text));
  current_x_ = 0;
  current_y_ += metrics.height() * kTwipsPerPixel;
  update();
}

void Form27::FilledBox(int x1, int y1, int x2, int y2, Colour colour) {
  QPainter painter(&surface_);
  const QRect box = QRect(QPoint(x1 / kTwipsPerPixel, y1 / kTwipsPerPixel),
                          QPoint(x2 / kTwipsPerPixel, y2 / kTwipsPerPixel))
                        .normalized();
  painter.fillRect(box, ToQColor(colour));
  update();
}

void Form27::Yield() {
  QApplication::processEvents();
}

void Form27::MessageBox(const std::string& prompt, const std::string& title) {
  QMessageBox box(this);
  box.setWindowTitle(ToQString(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(PromptLines(prompt));
  box.setIcon(QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.button(QMessageBox::Ok)->setIcon(QIcon());
  if (classic_style_ != nullptr) box.setStyle(classic_style_);
  box.exec();
}

void Form27::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, surface_);
}

}  // namespace trivane::app
