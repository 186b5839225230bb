// What must hold after any image has been identified or read, however damaged.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

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

}  // namespace trivane::fuzz
