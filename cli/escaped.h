// A name as a terminal line may show it: its control characters escaped
// (\n, \r, \t, \x1b, ...), so that a name holding them can neither break a
// listing's lines nor reach the terminal as a command.
#pragma once

#include <string>

namespace trivane::cli {

std::string Escaped(const std::string& text);

}  // namespace trivane::cli
