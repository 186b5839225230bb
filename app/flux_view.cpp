#include "app/flux_view.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace trivane::app {

FluxHistogram::FluxHistogram(const present::FluxView* view, QWidget* parent)
    : QWidget(parent), view_(view) {}

void FluxHistogram::Show(int track, int revolution) {
  track_ = track;
  revolution_ = revolution;
  update();
}

void FluxHistogram::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  const QColor bar(0x2E, 0x8B, 0x57);
  for (const present::Box& b : view_->Bars(track_, revolution_, width(), height()))
    painter.fillRect(b.left, b.top, b.width, b.height, bar);
  painter.setPen(palette().text().color());
  for (const auto& [b, label] : view_->Axis(width(), height())) {
    painter.drawLine(b.left, b.top, b.left, b.top + 4);
    if (!label.empty())
      painter.drawText(b.left + 2, b.top, 60, b.height, Qt::AlignLeft | Qt::AlignBottom,
                       QString::fromStdString(label));
  }
}

FluxPage::FluxPage(const disk::Disk& disk, QWidget* parent)
    : QWidget(parent),
      view_(disk),
      tracks_(new QComboBox),
      revolutions_(new QComboBox),
      histogram_(new FluxHistogram(&view_)),
      caption_(new QLabel) {
  auto* layout = new QVBoxLayout(this);
  auto* choice = new QHBoxLayout;
  choice->addWidget(tracks_);
  choice->addWidget(revolutions_);
  choice->addStretch();
  layout->addLayout(choice);
  layout->addWidget(histogram_, 1);
  layout->addWidget(caption_);
  for (const std::string& name : view_.TrackNames()) tracks_->addItem(QString::fromStdString(name));
  connect(tracks_, &QComboBox::currentIndexChanged, this, &FluxPage::ShowTrack);
  connect(revolutions_, &QComboBox::currentIndexChanged, this, [this] { Show(); });
  ShowTrack(0);
}

void FluxPage::ShowTrack(int track) {
  const QSignalBlocker quiet(revolutions_);
  revolutions_->clear();
  for (const std::string& name : view_.RevolutionNames(track))
    revolutions_->addItem(QString::fromStdString(name));
  revolutions_->setCurrentIndex(0);
  Show();
}

void FluxPage::Show() {
  const int track = tracks_->currentIndex(), revolution = revolutions_->currentIndex();
  histogram_->Show(track, revolution);
  caption_->setText(QString::fromStdString(view_.Caption(track, revolution)));
}

}  // namespace trivane::app
