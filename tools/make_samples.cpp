// make-samples DIR: writes the sample images into DIR.
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
    if (!trivane::build::WriteFile(dir / sample.name, sample.bytes)) {
      std::cerr << "make-samples: cannot write " << (dir / sample.name).string() << "\n";
      return 1;
    }
  }
  return 0;
}
