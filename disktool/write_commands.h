// The commands that write images: convert and new.
#pragma once

#include "cli/options.h"

namespace trivane::disktool {

int ConvertCommand(const cli::Parsed& p);
int NewCommand(const cli::Parsed& p);

}  // namespace trivane::disktool
