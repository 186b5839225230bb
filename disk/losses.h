// What a writer could not keep, gathered by track and reason and said one
// line each ("cylinder 3 head 1 sectors 0, 1, 2: double density; JV1 holds
// single density only"), so that a whole disk's loss stays readable.
#pragma once

#include <array>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "disk/disk.h"

namespace trivane::disk {

class Losses {
 public:
  static constexpr const char* kOutside = "outside the disk's cylinders and heads";
  // Each sector past the cylinders and heads a container writes.
  void AddOutside(const Disk& disk, int cylinders, int heads);
  void Add(const Sector& s, const std::string& why) { Add(s.cylinder, s.head, s.id_sector, why); }
  void Add(int cylinder, int head, int id, const std::string& why);
  std::vector<std::string> Lines() const;
  // The places named, each once.
  std::vector<std::array<int, 3>> Places() const;

 private:
  // In the order first said: track, reason, then the sector ids.
  std::vector<std::tuple<int, int, std::string>> order_;
  std::map<std::tuple<int, int, std::string>, std::vector<int>> ids_;
};

}  // namespace trivane::disk
