#include "present/flux_view.h"

#include <algorithm>
#include <cstdio>

namespace trivane::present {
namespace {

constexpr double kBinNs = disk::FluxState::kBinNs;
constexpr int kBins = static_cast<int>(disk::FluxState::kMostNs / kBinNs);
// Half a microsecond either side: a peak is the highest bin within it.
constexpr int kPeakReach = static_cast<int>(500 / kBinNs);

const disk::FluxState::Revolutions* RevolutionsOf(const disk::Disk& disk, int index) {
  const disk::FluxState* flux = disk::FluxStateOf(disk);
  if (flux == nullptr || index < 0 || static_cast<std::size_t>(index) >= flux->revolutions.size())
    return nullptr;
  return &flux->revolutions[static_cast<std::size_t>(index)];
}

bool SomeOnly(const disk::FluxState::Revolutions& r) {
  return !r.good.empty() && static_cast<int>(r.good.size()) < r.of;
}

}  // namespace

bool GoodOnSomeRevolutions(const disk::Disk& disk, int index) {
  const disk::FluxState::Revolutions* r = RevolutionsOf(disk, index);
  return r != nullptr && SomeOnly(*r);
}

std::string RevolutionsNote(const disk::Disk& disk, int index) {
  const disk::FluxState::Revolutions* r = RevolutionsOf(disk, index);
  if (r == nullptr || !SomeOnly(*r)) return "";
  std::string note = "good on revolution" + std::string(r->good.size() > 1 ? "s " : " ");
  for (std::size_t k = 0; k < r->good.size(); ++k)
    note += (k ? ", " : "") + std::to_string(r->good[k]);
  return note + " of " + std::to_string(r->of);
}

Box RevolutionsMark(const Box& cell) {
  const int w = std::max(1, cell.width / 3), h = std::max(1, cell.height / 3);
  return {cell.left + (cell.width - w) / 2, cell.top + (cell.height - h) / 2, w, h};
}

std::string RevolutionsLegend(const disk::Disk& disk) {
  const disk::FluxState* flux = disk::FluxStateOf(disk);
  if (flux == nullptr) return "";
  const auto some = std::count_if(flux->revolutions.begin(), flux->revolutions.end(), SomeOnly);
  return "good on some revolutions " + std::to_string(some);
}

FluxView::FluxView(const disk::Disk& disk) {
  const disk::FluxState* flux = disk::FluxStateOf(disk);
  if (flux == nullptr) return;
  for (const auto& [place, revolutions] : flux->histograms) {
    if (!revolutions.empty()) tracks_.push_back({place, &revolutions});
  }
}

const std::vector<int>* FluxView::Bins(int track, int revolution) const {
  if (track < 0 || static_cast<std::size_t>(track) >= tracks_.size()) return nullptr;
  const auto& revolutions = *tracks_[static_cast<std::size_t>(track)].second;
  if (revolution < 0 || static_cast<std::size_t>(revolution) >= revolutions.size()) return nullptr;
  return &revolutions[static_cast<std::size_t>(revolution)];
}

std::vector<std::string> FluxView::TrackNames() const {
  std::vector<std::string> names;
  for (const auto& [place, revolutions] : tracks_)
    names.push_back("cylinder " + std::to_string(place.first) + " head " +
                    std::to_string(place.second));
  return names;
}

std::vector<std::string> FluxView::RevolutionNames(int track) const {
  std::vector<std::string> names;
  if (track < 0 || static_cast<std::size_t>(track) >= tracks_.size()) return names;
  const std::size_t of = tracks_[static_cast<std::size_t>(track)].second->size();
  for (std::size_t r = 1; r <= of; ++r)
    names.push_back("revolution " + std::to_string(r) + " of " + std::to_string(of));
  return names;
}

std::vector<double> FluxView::Peaks(int track, int revolution) const {
  std::vector<double> peaks;
  const std::vector<int>* bins = Bins(track, revolution);
  if (bins == nullptr || bins->empty()) return peaks;
  const int highest = *std::max_element(bins->begin(), bins->end());
  const int n = static_cast<int>(bins->size());
  for (int b = 0; b < n; ++b) {
    const int v = (*bins)[static_cast<std::size_t>(b)];
    if (v == 0 || v * 50 < highest) continue;
    bool top = true;
    for (int k = std::max(0, b - kPeakReach); k <= std::min(n - 1, b + kPeakReach) && top; ++k) {
      const int w = (*bins)[static_cast<std::size_t>(k)];
      top = w < v || (w == v && k >= b);  // of equal bins, the first
    }
    if (top) peaks.push_back((b + 0.5) * kBinNs / 1000);
  }
  return peaks;
}

std::string FluxView::Caption(int track, int revolution) const {
  const std::vector<int>* bins = Bins(track, revolution);
  if (bins == nullptr) return "";
  long intervals = 0;
  for (const int v : *bins) intervals += v;
  std::string text = TrackNames()[static_cast<std::size_t>(track)] + ", " +
                     RevolutionNames(track)[static_cast<std::size_t>(revolution)] + ": " +
                     std::to_string(intervals) + " intervals";
  const std::vector<double> peaks = Peaks(track, revolution);
  if (peaks.empty()) return text + "; no peaks";
  text += peaks.size() == 1 ? "; a peak at " : "; peaks at ";
  char number[16];
  for (std::size_t k = 0; k < peaks.size(); ++k) {
    std::snprintf(number, sizeof number, "%.1f", peaks[k]);
    text += std::string(k == 0 ? "" : k + 1 == peaks.size() ? " and " : ", ") + number;
  }
  return text + " \xC2\xB5s";
}

std::vector<Box> FluxView::Bars(int track, int revolution, int width, int height) const {
  std::vector<Box> bars;
  const std::vector<int>* bins = Bins(track, revolution);
  const int room = height - kAxisHeight;
  if (bins == nullptr || bins->empty() || width < kBins || room < 1) return bars;
  const int highest = std::max(1, *std::max_element(bins->begin(), bins->end()));
  for (int b = 0; b < kBins && b < static_cast<int>(bins->size()); ++b) {
    const int left = b * width / kBins, right = (b + 1) * width / kBins;
    const int tall =
        static_cast<int>(static_cast<long>((*bins)[static_cast<std::size_t>(b)]) * room / highest);
    bars.push_back({left, room - tall, std::max(1, right - left - 1), tall});
  }
  return bars;
}

std::vector<std::pair<Box, std::string>> FluxView::Axis(int width, int height) const {
  std::vector<std::pair<Box, std::string>> marks;
  const int microseconds = static_cast<int>(disk::FluxState::kMostNs / 1000);
  for (int us = 0; us <= microseconds; ++us) {
    const int x = static_cast<int>(static_cast<long>(us) * width / microseconds);
    marks.push_back({{x, height - kAxisHeight, 1, kAxisHeight},
                     us % 2 == 0 ? std::to_string(us) + " \xC2\xB5s" : ""});
  }
  return marks;
}

}  // namespace trivane::present
