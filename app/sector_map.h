// The sector picture on a Qt widget: the layout, colours and names are the
// shared picture's; this widget paints it, names the cell under the mouse
// and asks for a clicked cell's data. Only the rows in view are painted.
#pragma once

#include <QWidget>

#include "disk/disk.h"
#include "present/sector_picture.h"

namespace trivane::app {

class SectorMap : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kCell = present::SectorPicture::kCell;

  explicit SectorMap(QWidget* parent = nullptr);
  void SetDisk(const disk::Disk* disk);
  // The cylinder that holds the directory, marked; -1 for none.
  // The directory's cylinder (-1 for none) and the reserved ones before it.
  void SetMarks(int directory_cylinder, int reserved_cylinders);
  int cell() const { return picture_.cell(); }  // its height; its width may be more

  static QColor ColourOf(present::SectorState state);
  // The cell of the sector (its index in the disk's sectors).
  QRect CellOf(int index) const;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void sectorClicked(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  const disk::Disk* disk_ = nullptr;
  present::SectorPicture picture_;
};

}  // namespace trivane::app
