// make-seeds DIR: writes the fuzzing seeds, small images of every kind, and
// for the locator target each one behind a request for track 0, side 0, sector 2.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "builder/samples.h"

namespace {

bool Write(const std::filesystem::path& path, const trivane::build::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-seeds DIR\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir / "identify");
  std::filesystem::create_directories(dir / "find_sector");
  for (const auto& seed : trivane::build::Seeds()) {
    trivane::build::Bytes request = {0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0};
    request.insert(request.end(), seed.bytes.begin(), seed.bytes.end());
    if (!Write(dir / "identify" / seed.name, seed.bytes) ||
        !Write(dir / "find_sector" / seed.name, request)) {
      std::cerr << "make-seeds: cannot write into " << dir.string() << "\n";
      return 1;
    }
  }
  return 0;
}
