// The hex view: offset, 16 bytes in hex and the same as text per row, in the
// platform's fixed-width font. Only the rows in view are drawn, so a 64 MiB
// image scrolls as smoothly as a sector. Bytes can be selected with the
// mouse, copied as hex or text, found, and gone to.
#pragma once

#include <QAbstractScrollArea>
#include <functional>
#include <utility>
#include <vector>

#include "present/hex_text.h"

namespace trivane::app {

class HexView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  using Source = std::function<std::uint8_t(qint64)>;

  explicit HexView(QWidget* parent = nullptr);
  // What is shown: size bytes, each given by source.
  void SetSource(Source source, qint64 size);
  qint64 size() const { return shown_.size; }

  // Ranges [from, to) shown in a warning colour: bytes not read as written.
  void SetMarks(std::vector<std::pair<qint64, qint64>> marks);

  // Scrolls to the byte at the offset and selects it; false past the end.
  bool GoTo(qint64 offset);
  // Finds the bytes after (or before) the selection and selects them.
  bool Find(const QByteArray& bytes, bool forward);
  const present::Shown& shown() const { return shown_; }
  present::Selection selection() const { return {start_, end_}; }
  QString SelectedHex() const;
  qint64 selection_start() const { return start_; }
  qint64 selection_end() const { return end_; }  // one past the last byte
  qint64 top_row() const;

  // The text of one row: "00000010  4a 4b ... 59  |JK...Y|".
  QString RowText(qint64 row) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  qint64 ByteAt(QPoint point) const;
  int ColumnX(const QString& row, int column) const;
  int VisibleRows() const;
  void UpdateScrollRange();
  void Select(qint64 from, qint64 to);

  present::Shown shown_;
  qint64 start_ = 0, end_ = 0, anchor_ = 0;
  std::vector<std::pair<qint64, qint64>> marks_;
  bool Marked(qint64 at) const;
};

}  // namespace trivane::app
