// The flux tab of a disk read from flux, on Qt widgets: a track and a
// revolution chosen from lists, the histogram of that revolution's flux
// intervals painted as the shared flux view lays it out, and its caption.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QWidget>

#include "present/flux_view.h"

namespace trivane::app {

class FluxHistogram : public QWidget {
  Q_OBJECT
 public:
  explicit FluxHistogram(const present::FluxView* view, QWidget* parent = nullptr);
  void Show(int track, int revolution);
  QSize sizeHint() const override { return {600, 260}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const present::FluxView* view_;
  int track_ = 0, revolution_ = 0;
};

// The tab's page: the lists over the histogram, the caption under it.
class FluxPage : public QWidget {
  Q_OBJECT
 public:
  explicit FluxPage(const disk::Disk& disk, QWidget* parent = nullptr);
  QComboBox* tracks() const { return tracks_; }
  QComboBox* revolutions() const { return revolutions_; }
  QLabel* caption() const { return caption_; }

 private:
  void ShowTrack(int track);
  void Show();

  present::FluxView view_;
  QComboBox* tracks_;
  QComboBox* revolutions_;
  FluxHistogram* histogram_;
  QLabel* caption_;
};

}  // namespace trivane::app
