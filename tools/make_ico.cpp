// make-ico FILE: writes the program's icon (present/icon_xpm.h) as a
// Windows icon file, for the Windows program's resources. The file holds one
// 32 x 32 image: a BITMAPINFOHEADER (height doubled, as icons count the
// mask), the colours as 32-bit BGRA rows from the bottom up, then the mask
// (1 for a transparent pixel) as 1-bit rows from the bottom up.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <vector>

#include "present/icon_xpm.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& out, std::uint32_t value, int bytes) {
  for (int k = 0; k < bytes; ++k) out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

// Each colour key's ARGB; "None" is transparent.
std::map<char, std::uint32_t> Colours(int count) {
  std::map<char, std::uint32_t> colours;
  for (int k = 0; k < count; ++k) {
    const char* line = trivane::present::kIconXpm[1 + k];
    const char* hash = std::strchr(line, '#');
    colours[line[0]] = hash == nullptr ? 0 : 0xFF000000u | std::strtoul(hash + 1, nullptr, 16);
  }
  return colours;
}

Bytes Image(int width, int height, int count) {
  const std::map<char, std::uint32_t> colours = Colours(count);
  Bytes image;
  for (std::uint32_t v :
       {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(2 * height)})
    Put(image, v, 4);
  Put(image, 1, 2);   // planes
  Put(image, 32, 2);  // bits a pixel
  for (int k = 0; k < 6; ++k) Put(image, 0, 4);
  const int mask_row = (width + 31) / 32 * 4;
  Bytes mask(static_cast<std::size_t>(mask_row * height), 0);
  for (int y = height - 1; y >= 0; --y) {
    const char* row = trivane::present::kIconXpm[1 + count + y];
    for (int x = 0; x < width; ++x) {
      const std::uint32_t argb = colours.at(row[x]);
      Put(image, argb, 4);  // little-endian ARGB: B, G, R, A
      if ((argb >> 24) == 0)
        mask[static_cast<std::size_t>((height - 1 - y) * mask_row + x / 8)] |= 0x80 >> (x % 8);
    }
  }
  image.insert(image.end(), mask.begin(), mask.end());
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-ico FILE\n");
    return 2;
  }
  int width = 0, height = 0, count = 0;
  std::sscanf(trivane::present::kIconXpm[0], "%d %d %d", &width, &height, &count);
  const Bytes image = Image(width, height, count);
  Bytes file;
  Put(file, 0, 2);
  Put(file, 1, 2);  // an icon
  Put(file, 1, 2);  // one image
  Put(file, static_cast<std::uint32_t>(width), 1);
  Put(file, static_cast<std::uint32_t>(height), 1);
  Put(file, 0, 2);  // no palette
  Put(file, 1, 2);
  Put(file, 32, 2);
  Put(file, static_cast<std::uint32_t>(image.size()), 4);
  Put(file, 22, 4);  // the image follows this entry
  file.insert(file.end(), image.begin(), image.end());
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return out ? 0 : 1;
}
