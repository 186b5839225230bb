// make-samples DIR: writes the sample images into DIR.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "builder/samples.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-samples DIR\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  for (const auto& sample : trivane::build::Samples()) {
    std::ofstream out(dir / sample.name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(sample.bytes.data()),
              static_cast<std::streamsize>(sample.bytes.size()));
    if (!out) {
      std::cerr << "make-samples: cannot write " << (dir / sample.name).string() << "\n";
      return 1;
    }
  }
  return 0;
}
