// SHA-256 (FIPS 180-4) of a byte string, as 64 lower-case hex digits; with
// the processor's SHA instructions where it has them, unless told not to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trivane::cli {

std::string Sha256Hex(const std::vector<std::uint8_t>& bytes, bool allow_instructions = true);

}  // namespace trivane::cli
