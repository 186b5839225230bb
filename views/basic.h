// Tokenised BASIC programs listed as the interpreter's LIST shows them:
// Model I Level II and Disk BASIC and Model III BASIC (one token table), and
// Model 4 BASIC (its own tables, embedded numbers, FF-prefixed functions).
//
//   FF, then lines: next-line address (2 bytes, little-endian; 0000 ends the
//   program), line number (2), the line's bytes, 00.
// Keywords are tokens (80..FB; Model 4 also FF xx); inside quotes, after
// REM and ' and (to the next colon) after DATA the bytes are as typed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trivane::views {

struct BasicListing {
  bool model4 = false;
  std::vector<std::string> lines;  // "10 PRINT "HELLO""
  // Empty when the program ends with its end mark; else what stopped the
  // listing ("line 40 has no end", "the line after 30 points back").
  std::string damage;
};

// Empty lines and a damage note when the bytes do not start with FF.
BasicListing ListBasic(const std::vector<std::uint8_t>& bytes);

}  // namespace trivane::views
