// make-seeds DIR: writes the fuzzing seeds, small images of every kind, and
// for the locator target each one behind a request for track 0, side 0, sector 2.
#include <algorithm>
#include <iostream>

#include "builder/samples.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-seeds DIR\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir / "identify");
  std::filesystem::create_directories(dir / "find_sector");
  for (const auto& seed : trivane::build::Seeds()) {
    trivane::build::Bytes request(12 + seed.bytes.size(), 0);
    request[8] = 2;  // track 0, side 0, sector 2, each four bytes
    std::copy(seed.bytes.begin(), seed.bytes.end(), request.begin() + 12);
    if (!trivane::build::WriteFile(dir / "identify" / seed.name, seed.bytes) ||
        !trivane::build::WriteFile(dir / "find_sector" / seed.name, request)) {
      std::cerr << "make-seeds: cannot write into " << dir.string() << "\n";
      return 1;
    }
  }
  return 0;
}
