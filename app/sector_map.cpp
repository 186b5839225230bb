#include "app/sector_map.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <map>

#include "formats/data_marks.h"

namespace trivane::app {
namespace {

constexpr int kLabelWidth = 44;  // room for the cylinder numbers and "dir"
constexpr int kHeadGap = 12;
constexpr int kHeadRow = 16;  // the heads' names over their halves

}  // namespace

SectorMap::SectorMap(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
}

SectorMap::State SectorMap::StateOf(const disk::Sector& s) {
  if (!s.has_data()) return State::kNoData;
  if (s.id_crc == disk::Check::kBad || s.data_crc == disk::Check::kBad) return State::kCrcError;
  if (s.dam != marks::kData) return State::kOtherMark;
  return s.density == disk::Density::kDouble ? State::kGoodDouble : State::kGoodSingle;
}

QColor SectorMap::ColourOf(State state) {
  switch (state) {
    case State::kGoodDouble:
      return QColor(0x2E, 0x8B, 0x57);
    case State::kGoodSingle:
      return QColor(0x87, 0xCE, 0xEB);
    case State::kCrcError:
      return QColor(0xE0, 0x20, 0x20);
    case State::kOtherMark:
      return QColor(0xF0, 0xB0, 0x30);
    case State::kNoData:
      break;
  }
  return QColor(0x60, 0x60, 0x60);
}

QString SectorMap::NameOf(State state) {
  switch (state) {
    case State::kGoodDouble:
      return "good, double density";
    case State::kGoodSingle:
      return "good, single density";
    case State::kCrcError:
      return "CRC error";
    case State::kOtherMark:
      return "deleted or other data mark";
    case State::kNoData:
      break;
  }
  return "ID without data";
}

void SectorMap::SetDisk(const disk::Disk* disk) {
  disk_ = disk;
  cells_.clear();
  slots_ = rows_ = 0;
  if (disk_ != nullptr) {
    std::map<std::pair<int, int>, int> next;  // cylinder, head: next slot
    for (const disk::Sector& s : disk_->sectors) {
      const int slot = next[{s.cylinder, s.head}]++;
      cells_.emplace_back(s.head * 1000 + slot, s.cylinder);
      slots_ = std::max(slots_, slot + 1);
      rows_ = std::max(rows_, s.cylinder + 1);
    }
  }
  updateGeometry();
  update();
}

void SectorMap::SetDirectoryCylinder(int cylinder) {
  directory_ = cylinder;
  update();
}

int SectorMap::Heads() const {
  return disk_ != nullptr ? std::max(1, disk_->heads) : 1;
}

QSize SectorMap::SizeFor(int cell) const {
  return {kLabelWidth + Heads() * (slots_ * cell + kHeadGap), kHeadRow + rows_ * cell};
}

QSize SectorMap::sizeHint() const {
  return SizeFor(kCell);
}

QSize SectorMap::minimumSizeHint() const {
  return SizeFor(kMinCell);
}

// The largest cells with which every row and both heads fit the space.
void SectorMap::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int across = (width() - kLabelWidth - Heads() * kHeadGap) / std::max(1, Heads() * slots_);
  const int down = (height() - kHeadRow) / std::max(1, rows_);
  cell_ = std::max(kMinCell, down);
  // Wider than high where there is room, up to three times.
  cell_width_ = std::clamp(across, kMinCell, 3 * cell_);
}

QRect SectorMap::CellOf(int index) const {
  const QPoint c = cells_.at(static_cast<std::size_t>(index));
  const int head = c.x() / 1000, slot = c.x() % 1000;
  return {kLabelWidth + head * (slots_ * cell_width_ + kHeadGap) + slot * cell_width_,
          kHeadRow + c.y() * cell_, cell_width_ - 1, cell_ - 1};
}

int SectorMap::SectorAt(QPoint point) const {
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    if (CellOf(static_cast<int>(i)).adjusted(0, 0, 1, 1).contains(point))
      return static_cast<int>(i);
  }
  return -1;
}

void SectorMap::paintEvent(QPaintEvent* event) {
  if (disk_ == nullptr) return;
  QPainter painter(this);
  const QRect visible = event->rect();
  QFont small = font();
  small.setPixelSize(std::clamp(cell_ - 1, 8, 12));
  painter.setFont(small);
  const int half = slots_ * cell_width_ + kHeadGap;
  for (int h = 0; h < Heads(); ++h) {
    painter.drawText(QRect(kLabelWidth + h * half, 0, half, kHeadRow), Qt::AlignLeft,
                     QString("head %1").arg(h));
  }
  for (int row = 0; row < rows_; ++row) {
    const QRect line(0, kHeadRow + row * cell_, kLabelWidth - 4, cell_);
    if (!line.intersects(visible)) continue;
    if (row == directory_) {
      painter.drawText(line.adjusted(0, -4, 0, 4), Qt::AlignRight | Qt::AlignVCenter,
                       QString("dir %1").arg(row));
      painter.drawRect(kLabelWidth - 2, line.top(), Heads() * half - kHeadGap + 2, cell_ - 1);
    } else if (row % 5 == 0 && std::abs(row - directory_) * cell_ >= small.pixelSize()) {
      painter.drawText(line.adjusted(0, -4, 0, 4), Qt::AlignRight | Qt::AlignVCenter,
                       QString::number(row));
    }
  }
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const QRect cell = CellOf(static_cast<int>(i));
    if (cell.intersects(visible)) painter.fillRect(cell, ColourOf(StateOf(disk_->sectors[i])));
  }
}

void SectorMap::mousePressEvent(QMouseEvent* event) {
  const int index = SectorAt(event->pos());
  if (index >= 0) emit sectorClicked(index);
}

bool SectorMap::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip || disk_ == nullptr) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const int index = SectorAt(help->pos());
  if (index < 0) {
    QToolTip::hideText();
  } else {
    const disk::Sector& s = disk_->sectors[static_cast<std::size_t>(index)];
    QToolTip::showText(help->globalPos(), QString("cylinder %1 head %2 sector %3: %4, %5 bytes")
                                              .arg(s.cylinder)
                                              .arg(s.head)
                                              .arg(s.id_sector)
                                              .arg(NameOf(StateOf(s)))
                                              .arg(s.size));
  }
  return true;
}

}  // namespace trivane::app
