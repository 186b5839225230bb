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
#include "present/texts.h"

namespace trivane::app {
namespace {

constexpr int kPerRow = kHexRowBytes;
constexpr int kMargin = 4;

std::vector<std::uint8_t> BytesOf(const QByteArray& bytes) {
  return {bytes.begin(), bytes.end()};
}

}  // namespace

HexView::HexView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    menu.addAction(present::kCopyAsHex, this,
                   [this] { QApplication::clipboard()->setText(SelectedHex()); });
    menu.addAction(present::kCopyAsText, this, [this] {
      QApplication::clipboard()->setText(
          QString::fromLatin1(present::SelectedText(shown_, selection())));
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
  shown_.byte = std::move(source);
  shown_.size = shown_.byte ? size : 0;
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
  const qint64 rows = (shown_.size + kPerRow - 1) / kPerRow;
  verticalScrollBar()->setRange(0, static_cast<int>(std::max<qint64>(0, rows - VisibleRows())));
  verticalScrollBar()->setPageStep(VisibleRows());
}

QString HexView::RowText(qint64 row) const {
  return QString::fromLatin1(present::HexRowText(shown_, row));
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
  const qint64 top = top_row(), rows = (shown_.size + kPerRow - 1) / kPerRow;
  const QColor selected = palette().color(QPalette::Highlight).lighter(160);
  const QColor damaged(0xF4, 0xB0, 0xB0);
  for (qint64 r = top; r < std::min(rows, top + VisibleRows() + 1); ++r) {
    const int y = static_cast<int>(r - top) * lh;
    const QString text = RowText(r);
    for (int k = 0; k < kPerRow; ++k) {
      const qint64 at = r * kPerRow + k;
      const bool in_selection = at >= start_ && at < end_;
      if (!in_selection && (marks_.empty() || !Marked(at))) continue;
      for (const auto& [column, width] :
           {std::pair{present::HexColumnOf(k), 2}, {present::TextColumnOf(k), 1}}) {
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
  return present::ByteAtColumn(shown_, row, static_cast<int>(column));
}

void HexView::Select(qint64 from, qint64 to) {
  start_ = std::clamp<qint64>(from, 0, shown_.size);
  end_ = std::clamp<qint64>(to, start_, shown_.size);
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
  if (offset < 0 || offset >= shown_.size) return false;
  verticalScrollBar()->setValue(static_cast<int>(offset / kPerRow));
  anchor_ = offset;
  Select(offset, offset + 1);
  return true;
}

bool HexView::Find(const QByteArray& bytes, bool forward) {
  const auto at = present::FindNext(shown_, BytesOf(bytes), selection(), forward);
  if (!at) return false;
  GoTo(*at);
  Select(*at, *at + bytes.size());
  return true;
}

QString HexView::SelectedHex() const {
  return QString::fromLatin1(present::SelectedHex(shown_, selection()));
}

}  // namespace trivane::app
