// The sector picture: a row per cylinder, both heads side by side under
// their names, a cell per sector in track order, coloured by what the
// controller would have read; the directory's cylinder marked. The cells
// grow and shrink with the space the picture is given. Hovering a cell
// names it; a click on it asks for its data. Only the rows in view are
// painted.
#pragma once

#include <QWidget>
#include <vector>

#include "disk/disk.h"

namespace trivane::app {

class SectorMap : public QWidget {
  Q_OBJECT
 public:
  enum class State { kGoodDouble, kGoodSingle, kCrcError, kOtherMark, kNoData };
  static constexpr int kCell = 9;     // pixels, a gap of one included: the size it asks for
  static constexpr int kMinCell = 4;  // the least it shrinks to

  explicit SectorMap(QWidget* parent = nullptr);
  void SetDisk(const disk::Disk* disk);
  // The cylinder that holds the directory, marked; -1 for none.
  void SetDirectoryCylinder(int cylinder);
  int cell() const { return cell_; }  // its height; its width may be more

  static QColor ColourOf(State state);
  static QString NameOf(State state);
  static State StateOf(const disk::Sector& s);
  // The cell of the sector (its index in the disk's sectors), and back.
  QRect CellOf(int index) const;
  int SectorAt(QPoint point) const;
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
  std::vector<QPoint> cells_;  // per sector: column, row
  int slots_ = 0;              // cells per head
  int rows_ = 0;
  int cell_ = kCell, cell_width_ = kCell;  // pixels down and across
  int directory_ = -1;
  int Heads() const;
  QSize SizeFor(int cell) const;
};

}  // namespace trivane::app
