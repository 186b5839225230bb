// Zip archives built in code, as an archiver writes them: each member's
// local header and data (stored, or raw deflate), the central directory and
// the end record; for the tests, the fuzzing seeds and the shelf's bench.
#pragma once

#include <string>
#include <vector>

#include "builder/image_builder.h"

namespace trivane::build {

struct ZipEntry {
  std::string name;
  Bytes bytes;
  bool deflate = true;
};
Bytes Zip(const std::vector<ZipEntry>& entries, const std::string& comment = "");

}  // namespace trivane::build
