// What must hold after any image has been identified or read, however damaged.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "disk/flux_tracks.h"
#include "disk/sector_store.h"
#include "identification/recording_window.h"

namespace trivane::fuzz {

inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "a rule was broken: %s\n", what);
  std::abort();
}

inline bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A disk read from flux: each sector's revolutions, each good one among them.
inline void CheckRevolutions(const disk::Disk& d) {
  const disk::FluxState* state = disk::FluxStateOf(d);
  if (state == nullptr) return;
  Require(state->revolutions.size() == d.sectors.size(), "a sector without its revolutions");
  for (const auto& r : state->revolutions) {
    for (int g : r.good) Require(g >= 1 && g <= r.of, "a good revolution the track has not");
  }
}

// At most one refusal or locator message; a written summary names a known
// container and a track count.
inline void CheckIdentified(const RecordingWindow& w) {
  Require(w.messages().size() <= 1, "more than one message box");
  const std::string& type = w.text(Field::Text12);
  if (!type.empty()) {
    Require(type == "JV1" || type == "JV3" || type == "DMK", "unknown container type");
    Require(EndsWith(w.text(Field::Text1), " Track"), "track count without \" Track\"");
  }
}

// What holds of every disk read, however damaged: sectors or an error, two
// heads at most, sizes a controller reads, data inside the image and of its
// size, each sector found again at its place (a sample of them: a lookup
// walks every sector).
inline void CheckDisk(const disk::Disk& disk, const ImageBuffer& image) {
  Require(disk.sectors.empty() || disk.error.empty(), "sectors beside an error");
  Require(disk.heads <= 2, "more than two heads");
  const disk::SectorStore store(disk);
  for (std::size_t i = 0; i < disk.sectors.size(); ++i) {
    const disk::Sector& s = disk.sectors[i];
    Require(s.size == 128 || s.size == 256 || s.size == 512 || s.size == 1024, "impossible size");
    Require(!s.has_data() || (s.data_offset >= 0 && s.data_offset < image.size()),
            "data outside the image");
    Require(s.cylinder < disk.cylinders && s.head < disk.heads, "sector outside the geometry");
    if (i % 29 == 0) {
      const disk::Sector* found = store.At({s.cylinder, s.head, s.id_sector});
      Require(found != nullptr && found->id_sector == s.id_sector, "a sector not found again");
    }
    Require(disk::SectorData(disk, s).size() == (s.has_data() ? s.size : 0u),
            "data of the wrong size");
  }
}

}  // namespace trivane::fuzz
