// SHA-256 (FIPS 180-4) of a byte string, as 64 lower-case hex digits; with
// the processor's SHA instructions where it has them, unless told not to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace trivane::cli {

std::string Sha256Hex(const std::vector<std::uint8_t>& bytes, bool allow_instructions = true);

// The same digest of bytes given a part at a time, none of them kept.
class Sha256 {
 public:
  explicit Sha256(bool allow_instructions = true);
  void Add(const std::uint8_t* bytes, std::size_t size);
  void Add(const std::vector<std::uint8_t>& bytes) { Add(bytes.data(), bytes.size()); }
  // The digest of all added; the object is then done with.
  std::string Hex();

 private:
  using BlockFunction = void (*)(std::uint32_t*, const std::uint8_t*, std::size_t);
  BlockFunction block_;
  std::uint32_t h_[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                         0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::uint8_t pending_[64] = {};
  std::size_t held_ = 0;  // bytes in pending_
  std::uint64_t total_ = 0;
};

}  // namespace trivane::cli
