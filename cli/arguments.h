// The command line as UTF-8 texts: on Windows read again in UTF-16, so that
// names beyond the ANSI code page arrive whole; elsewhere as given. On
// Windows it also puts standard output and error into binary mode: sector
// and file bytes must not have their line feeds turned into CR LF, and every
// text the tools write ends its lines with LF alone, on every system.
#pragma once

#include <string>
#include <vector>

namespace trivane::cli {

std::vector<std::string> Arguments(int argc, char** argv);

}  // namespace trivane::cli
