#include "app/hex_view.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "formats/text.h"

namespace trivane::app {
namespace {

constexpr int kPerRow = kHexRowBytes;
constexpr int kHexColumn = 10;   // after "00000000  "
constexpr int kTextColumn = 61;  // after the hex bytes and " |"
constexpr int kMargin = 4;

int HexColumnOf(int k) {
  return kHexColumn + 3 * k + (k >= 8 ? 1 : 0);
}

}  // namespace

HexView::HexView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    menu.addAction("Copy as hex", this,
                   [this] { QApplication::clipboard()->setText(SelectedHex()); });
    menu.addAction("Copy as text", this, [this] {
      QApplication::clipboard()->setText(QString::fromLatin1(SelectedBytes()));
    });
    menu.exec(viewport()->mapToGlobal(at));
  });
}

void HexView::SetMarks(std::vector<std::pair<qint64, qint64>> marks) {
  marks_ = std::move(marks);
  viewport()->update();
}

bool HexView::Marked(qint64 at) const {
  return std::any_of(marks_.begin(), marks_.end(),
                     [at](const auto& m) { return at >= m.first && at < m.second; });
}

void HexView::SetSource(Source source, qint64 size) {
  marks_.clear();
  source_ = std::move(source);
  size_ = source_ ? size : 0;
  start_ = end_ = anchor_ = 0;
  UpdateScrollRange();
  verticalScrollBar()->setValue(0);
  viewport()->update();
}

qint64 HexView::top_row() const {
  return verticalScrollBar()->value();
}

int HexView::VisibleRows() const {
  return std::max(1, viewport()->height() / fontMetrics().height());
}

void HexView::UpdateScrollRange() {
  const qint64 rows = (size_ + kPerRow - 1) / kPerRow;
  verticalScrollBar()->setRange(0, static_cast<int>(std::max<qint64>(0, rows - VisibleRows())));
  verticalScrollBar()->setPageStep(VisibleRows());
}

QString HexView::RowText(qint64 row) const {
  std::uint8_t bytes[kHexRowBytes];
  const int count = static_cast<int>(std::clamp<qint64>(size_ - row * kPerRow, 0, kPerRow));
  for (int k = 0; k < count; ++k) bytes[k] = source_(row * kPerRow + k);
  return QString::fromLatin1(HexRow(row * kPerRow, bytes, count));
}

// Where a column of a row's text is drawn, measured on the text itself, so
// that a highlight sits on its characters whatever the font's widths.
int HexView::ColumnX(const QString& row, int column) const {
  return kMargin + fontMetrics().horizontalAdvance(row.left(column));
}

void HexView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
  const QFontMetrics metrics = fontMetrics();
  const int lh = metrics.height();
  const qint64 top = top_row(), rows = (size_ + kPerRow - 1) / kPerRow;
  const QColor selected = palette().color(QPalette::Highlight).lighter(160);
  const QColor damaged(0xF4, 0xB0, 0xB0);
  for (qint64 r = top; r < std::min(rows, top + VisibleRows() + 1); ++r) {
    const int y = static_cast<int>(r - top) * lh;
    const QString text = RowText(r);
    for (int k = 0; k < kPerRow; ++k) {
      const qint64 at = r * kPerRow + k;
      const bool in_selection = at >= start_ && at < end_;
      if (!in_selection && (marks_.empty() || !Marked(at))) continue;
      for (const auto& [column, width] : {std::pair{HexColumnOf(k), 2}, {kTextColumn + k, 1}}) {
        const int x = ColumnX(text, column);
        painter.fillRect(x, y, ColumnX(text, column + width) - x, lh,
                         in_selection ? selected : damaged);
      }
    }
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(kMargin, y + metrics.ascent(), text);
  }
}

void HexView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollRange();
}

qint64 HexView::ByteAt(QPoint point) const {
  const qint64 row = top_row() + point.y() / fontMetrics().height();
  const QString text = RowText(row);
  int column = 0;
  while (column < text.size() && ColumnX(text, column + 1) <= point.x()) ++column;
  int k = -1;
  if (column >= kTextColumn && column < kTextColumn + kPerRow) k = column - kTextColumn;
  for (int j = 0; j < kPerRow && k < 0; ++j) {
    if (column >= HexColumnOf(j) && column <= HexColumnOf(j) + 2) k = j;
  }
  const qint64 at = row * kPerRow + std::max(k, 0);
  return k < 0 || at >= size_ ? -1 : at;
}

void HexView::Select(qint64 from, qint64 to) {
  start_ = std::clamp<qint64>(from, 0, size_);
  end_ = std::clamp<qint64>(to, start_, size_);
  viewport()->update();
}

void HexView::mousePressEvent(QMouseEvent* event) {
  const qint64 at = ByteAt(event->pos());
  if (at < 0) return;
  anchor_ = at;
  Select(at, at + 1);
}

void HexView::mouseMoveEvent(QMouseEvent* event) {
  const qint64 at = ByteAt(event->pos());
  if (at >= 0 && (event->buttons() & Qt::LeftButton))
    Select(std::min(anchor_, at), std::max(anchor_, at) + 1);
}

void HexView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    QApplication::clipboard()->setText(SelectedHex());
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

bool HexView::GoTo(qint64 offset) {
  if (offset < 0 || offset >= size_) return false;
  verticalScrollBar()->setValue(static_cast<int>(offset / kPerRow));
  anchor_ = offset;
  Select(offset, offset + 1);
  return true;
}

HexView::Matches HexView::Count(const QByteArray& bytes) const {
  Matches m;
  if (bytes.isEmpty() || bytes.size() > size_) return m;
  for (qint64 at = 0; at + bytes.size() <= size_; ++at) {
    qsizetype k = 0;
    while (k < bytes.size() && source_(at + k) == static_cast<std::uint8_t>(bytes[k])) ++k;
    if (k < bytes.size()) continue;
    ++m.total;
    if (at < start_ || (at == start_ && end_ > start_)) ++m.index;
  }
  return m;
}

bool HexView::Find(const QByteArray& bytes, bool forward) {
  if (bytes.isEmpty() || bytes.size() > size_) return false;
  const qint64 last = size_ - bytes.size();
  auto matches = [&](qint64 at) {
    for (qsizetype k = 0; k < bytes.size(); ++k) {
      if (source_(at + k) != static_cast<std::uint8_t>(bytes[k])) return false;
    }
    return true;
  };
  if (forward) {
    for (qint64 at = end_ > start_ ? start_ + 1 : 0; at <= last; ++at) {
      if (matches(at)) return GoTo(at) && (Select(at, at + bytes.size()), true);
    }
  } else {
    for (qint64 at = std::min(start_ - 1, last); at >= 0; --at) {
      if (matches(at)) return GoTo(at) && (Select(at, at + bytes.size()), true);
    }
  }
  return false;
}

QByteArray HexView::SelectedBytes() const {
  QByteArray bytes;
  for (qint64 at = start_; at < end_; ++at) bytes += static_cast<char>(source_(at));
  return bytes;
}

QString HexView::SelectedHex() const {
  return QString::fromLatin1(SelectedBytes().toHex(' '));
}

}  // namespace trivane::app
