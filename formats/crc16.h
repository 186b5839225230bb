// The CRC of the floppy disk controller: CRC-16-CCITT, polynomial 0x1021,
// preset FFFF, most significant bit first, stored high byte first. Single
// density covers the address mark and its field; double density also the
// three A1 sync bytes before the mark, which is the same as starting from
// kDoubleDensityPreset after them. A field followed by its stored CRC gives 0.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace trivane::crc16 {

inline constexpr std::uint16_t kPreset = 0xFFFF;
inline constexpr std::uint16_t kDoubleDensityPreset = 0xCDB4;

// kTables[0] advances the CRC by one byte; kTables[k] by a byte followed by k
// zero bytes, so that eight bytes can be taken at a time.
inline constexpr std::array<std::array<std::uint16_t, 256>, 8> kTables = [] {
  std::array<std::array<std::uint16_t, 256>, 8> t{};
  for (unsigned n = 0; n < 256; ++n) {
    unsigned crc = n << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    t[0][n] = static_cast<std::uint16_t>(crc);
  }
  for (int k = 1; k < 8; ++k) {
    for (unsigned n = 0; n < 256; ++n) {
      const unsigned prev = t[k - 1][n];
      t[k][n] = static_cast<std::uint16_t>((prev << 8) ^ t[0][(prev >> 8) & 0xFF]);
    }
  }
  return t;
}();

inline std::uint16_t Add(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>((crc << 8) ^ kTables[0][((crc >> 8) ^ byte) & 0xFF]);
}

inline std::uint16_t Add(std::uint16_t crc, const std::uint8_t* bytes, std::size_t size) {
  const auto& t = kTables;
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    const unsigned a = ((crc >> 8) ^ bytes[i]) & 0xFF, b = (crc ^ bytes[i + 1]) & 0xFF;
    crc = static_cast<std::uint16_t>(t[7][a] ^ t[6][b] ^ t[5][bytes[i + 2]] ^ t[4][bytes[i + 3]] ^
                                     t[3][bytes[i + 4]] ^ t[2][bytes[i + 5]] ^ t[1][bytes[i + 6]] ^
                                     t[0][bytes[i + 7]]);
  }
  for (; i < size; ++i) crc = Add(crc, bytes[i]);
  return crc;
}

// The CRC of every other byte from bytes (a field stored with each byte
// twice), count of them.
inline std::uint16_t AddDoubled(std::uint16_t crc, const std::uint8_t* bytes, std::size_t count) {
  std::uint8_t chunk[256];
  for (std::size_t done = 0; done < count;) {
    const std::size_t n = std::min(count - done, sizeof chunk);
    for (std::size_t k = 0; k < n; ++k) chunk[k] = bytes[2 * (done + k)];
    crc = Add(crc, chunk, n);
    done += n;
  }
  return crc;
}

}  // namespace trivane::crc16
