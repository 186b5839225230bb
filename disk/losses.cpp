#include "disk/losses.h"

#include <algorithm>

namespace trivane::disk {

void Losses::Add(int cylinder, int head, int id, const std::string& why) {
  const auto key = std::make_tuple(cylinder, head, why);
  auto [it, added] = ids_.try_emplace(key);
  if (added) order_.push_back(key);
  it->second.push_back(id);
}

std::vector<std::string> Losses::Lines() const {
  std::vector<std::string> lines;
  for (const auto& key : order_) {
    const std::vector<int>& ids = ids_.at(key);
    std::string line = "cylinder " + std::to_string(std::get<0>(key)) + " head " +
                       std::to_string(std::get<1>(key)) +
                       (ids.size() == 1 ? " sector " : " sectors ");
    // Each id once, with its count where it is said more than once.
    std::vector<std::pair<int, int>> counted;
    for (int id : ids) {
      auto it = std::find_if(counted.begin(), counted.end(),
                             [&](const auto& c) { return c.first == id; });
      if (it == counted.end())
        counted.emplace_back(id, 1);
      else
        ++it->second;
    }
    for (std::size_t k = 0; k < counted.size(); ++k) {
      line += (k == 0 ? "" : ", ") + std::to_string(counted[k].first) +
              (counted[k].second > 1 ? " (" + std::to_string(counted[k].second) + " copies)" : "");
    }
    lines.push_back(line + ": " + std::get<2>(key));
  }
  return lines;
}

std::vector<std::array<int, 3>> Losses::Places() const {
  std::vector<std::array<int, 3>> places;
  for (const auto& [key, ids] : ids_) {
    for (int id : ids) places.push_back({std::get<0>(key), std::get<1>(key), id});
  }
  std::sort(places.begin(), places.end());
  places.erase(std::unique(places.begin(), places.end()), places.end());
  return places;
}

void Losses::AddOutside(const Disk& disk, int cylinders, int heads) {
  for (const Sector& s : disk.sectors) {
    if (s.cylinder >= cylinders || s.head >= heads) Add(s, kOutside);
  }
}

}  // namespace trivane::disk
