#include "builder/fat_images.h"

#include <algorithm>
#include <string>

namespace trivane::build {

void FatImage::Link(int cluster, int next) {
  for (int fat : {1, 3}) {
    std::uint8_t* f = At(fat) + cluster * 3 / 2;
    if (cluster % 2 == 0) {
      f[0] = static_cast<std::uint8_t>(next);
      f[1] = static_cast<std::uint8_t>((f[1] & 0xF0) | next >> 8);
    } else {
      f[0] = static_cast<std::uint8_t>((f[0] & 0x0F) | next << 4);
      f[1] = static_cast<std::uint8_t>(next >> 4);
    }
  }
}

void FatImage::Put(std::uint8_t* dir, int slot, const char* name11, int attr, int cluster,
                   int size) {
  std::uint8_t* e = dir + slot * 32;
  std::fill_n(e, 32, 0);
  std::copy_n(name11, 11, e);
  e[11] = static_cast<std::uint8_t>(attr);
  e[24] = 0x21, e[25] = 0x0D;  // 1986-09-01: (6 << 9) | (9 << 5) | 1
  e[26] = static_cast<std::uint8_t>(cluster);
  e[28] = static_cast<std::uint8_t>(size), e[29] = static_cast<std::uint8_t>(size >> 8);
}

FatImage::FatImage(int cylinders)
    : cylinders(cylinders), sectors(static_cast<std::size_t>(cylinders) * 18 * 512, 0xF6) {
  const int total = cylinders * 18;
  const std::uint8_t boot[] = {0xEB,
                               0x3C,
                               0x90,
                               'M',
                               'S',
                               'D',
                               'O',
                               'S',
                               '2',
                               '.',
                               '1',
                               0,
                               2,
                               2,
                               1,
                               0,
                               2,
                               112,
                               0,
                               static_cast<std::uint8_t>(total),
                               static_cast<std::uint8_t>(total >> 8),
                               0xFD,
                               2,
                               0,
                               9,
                               0,
                               2,
                               0};
  std::copy(std::begin(boot), std::end(boot), At(0));
  std::fill(At(1), At(12), 0);
  for (int fat : {1, 3}) At(fat)[0] = 0xFD, At(fat)[1] = 0xFF, At(fat)[2] = 0xFF;
  Put(At(5), 0, "HELLO   TXT", 0x20, 7, 12);
  Put(At(5), 1, "BIG     BIN", 0x21, 2, 3000);
  Put(At(5), 2, "SUB        ", 0x10, 5, 0);
  std::fill(At(12 + 6), At(12 + 8), 0);
  Put(At(12 + 6), 0, ".          ", 0x10, 5, 0);
  Put(At(12 + 6), 1, "..         ", 0x10, 0, 0);
  Put(At(12 + 6), 2, "INNER   DAT", 0x20, 6, 100);
  Link(2, 3), Link(3, 4), Link(4, 0xFFF), Link(5, 0xFFF), Link(6, 0xFFF), Link(7, 0xFFF);
  const std::string hello = "HI\r\nTHERE\r\n\x1A";
  std::copy(hello.begin(), hello.end(), At(12 + 10));
  for (int k = 0; k < 3000; ++k) At(12)[k] = static_cast<std::uint8_t>(k * 3);
}

disk::Disk FatImage::Disk() const {
  disk::Disk d;
  d.cylinders = cylinders, d.heads = 2;
  for (int n = 0; n < cylinders * 18; ++n) {
    disk::Sector x;
    x.cylinder = x.id_cylinder = static_cast<std::uint8_t>(n / 18);
    x.head = x.id_head = static_cast<std::uint8_t>(n / 9 % 2);
    x.id_sector = static_cast<std::uint8_t>(1 + n % 9);
    x.size = 512, x.size_code = 2, x.dam = 0xFB, x.density = disk::Density::kDouble;
    x.id_crc = x.data_crc = disk::Check::kGood;
    x.data_offset = 0;  // its data is the written copy
    x.written = n;
    d.sectors.push_back(x);
    d.written.emplace_back(sectors.begin() + n * 512, sectors.begin() + (n + 1) * 512);
  }
  return d;
}

}  // namespace trivane::build
