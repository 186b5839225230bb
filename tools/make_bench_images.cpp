// make-bench-images DIR COUNT: writes COUNT images of realistic sizes, a mix
// of 35- to 80-track JV1, JV3 and DMK images of 90 KB to 1 MB.
#include <filesystem>
#include <iostream>
#include <string>

#include "builder/image_builder.h"

namespace build = trivane::build;

namespace {

build::Bytes Image(int n) {
  const int tracks = 35 + (n * 7) % 46;  // 35 to 80
  switch (n % 5) {
    case 0:
      return build::Jv1(tracks);
    case 1:
      return build::Jv3(build::Jv3Disk(tracks, 1, 10, false));
    case 2:
      return build::Jv3(build::Jv3Disk(tracks, 2, 18, true));
    case 3:
      return build::Dmk(trivane::dmk::kSingleTrack, tracks, 1, 10);
    default:
      return build::Dmk(trivane::dmk::kDoubleTrack, tracks, n % 2 + 1, 18);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make-bench-images DIR COUNT\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  const int count = std::stoi(argv[2]);
  for (int n = 0; n < count; ++n) {
    const auto name = "image-" + std::to_string(n) + (n % 5 >= 3 ? ".dmk" : ".dsk");
    if (!build::WriteFile(dir / name, Image(n))) return 1;
  }
  return 0;
}
