#include "app/sector_map.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "present/flux_view.h"

namespace trivane::app {
namespace {

QRect ToQRect(const present::Box& box) {
  return {box.left, box.top, box.width, box.height};
}

}  // namespace

SectorMap::SectorMap(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
}

QColor SectorMap::ColourOf(present::SectorState state) {
  const present::Rgb c = present::ColourOf(state);
  return QColor(c.r, c.g, c.b);
}

void SectorMap::SetDisk(const disk::Disk* disk) {
  disk_ = disk;
  picture_ = present::SectorPicture(disk);
  picture_.Fit(width(), height());
  updateGeometry();
  update();
}

void SectorMap::SetMarks(int directory_cylinder, int reserved_cylinders) {
  picture_.SetDirectoryCylinder(directory_cylinder);
  picture_.SetReservedCylinders(reserved_cylinders);
  update();
}

QSize SectorMap::sizeHint() const {
  const present::Box size = picture_.SizeFor(present::SectorPicture::kCell);
  return {size.width, size.height};
}

QSize SectorMap::minimumSizeHint() const {
  const present::Box size = picture_.SizeFor(present::SectorPicture::kMinCell);
  return {size.width, size.height};
}

void SectorMap::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  picture_.Fit(width(), height());
}

QRect SectorMap::CellOf(int index) const {
  return ToQRect(picture_.CellOf(index));
}

void SectorMap::paintEvent(QPaintEvent* event) {
  if (disk_ == nullptr) return;
  QPainter painter(this);
  const QRect visible = event->rect();
  QFont small = font();
  small.setPixelSize(std::clamp(picture_.cell() - 1, 8, 12));
  painter.setFont(small);
  for (int h = 0; h < picture_.heads(); ++h) {
    painter.drawText(ToQRect(picture_.HeadLabel(h)), Qt::AlignLeft, QString("head %1").arg(h));
  }
  for (int row = 0; row < picture_.rows(); ++row) {
    const QRect line = ToQRect(picture_.RowLabel(row));
    if (!line.intersects(visible)) continue;
    const QString text = QString::fromStdString(picture_.RowText(row, small.pixelSize()));
    painter.drawText(line.adjusted(0, -4, 0, 4), Qt::AlignRight | Qt::AlignVCenter, text);
    if (row == picture_.directory()) painter.drawRect(ToQRect(picture_.DirectoryFrame()));
  }
  for (std::size_t i = 0; i < disk_->sectors.size(); ++i) {
    const QRect cell = CellOf(static_cast<int>(i));
    if (!cell.intersects(visible)) continue;
    painter.fillRect(cell, ColourOf(present::StateOf(disk_->sectors[i])));
    if (present::GoodOnSomeRevolutions(*disk_, static_cast<int>(i))) {
      const present::Rgb c = present::kRevolutionsMarkColour;
      painter.fillRect(ToQRect(present::RevolutionsMark(picture_.CellOf(static_cast<int>(i)))),
                       QColor(c.r, c.g, c.b));
    }
  }
}

void SectorMap::mousePressEvent(QMouseEvent* event) {
  const int index = picture_.SectorAt(event->pos().x(), event->pos().y());
  if (index >= 0) emit sectorClicked(index);
}

bool SectorMap::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip || disk_ == nullptr) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const int index = picture_.SectorAt(help->pos().x(), help->pos().y());
  if (index < 0) {
    QToolTip::hideText();
  } else {
    const disk::Sector& s = disk_->sectors[static_cast<std::size_t>(index)];
    std::string tip = present::SectorTip(s);
    if (const std::string note = present::RevolutionsNote(*disk_, index); !note.empty())
      tip += ", " + note;
    QToolTip::showText(help->globalPos(), QString::fromStdString(tip));
  }
  return true;
}

}  // namespace trivane::app
