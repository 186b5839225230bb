// SHA-256 (FIPS 180-4) of a byte string, as 64 lower-case hex digits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trivane::cli {

std::string Sha256Hex(const std::vector<std::uint8_t>& bytes);

}  // namespace trivane::cli
