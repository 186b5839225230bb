// The commands that write images: convert and new, which make new files,
// and put, rm and rename, which change an image in place.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "disk/container.h"

namespace trivane::disktool {

int ConvertCommand(const cli::Parsed& p);
// `convert --to C -o DIR IMAGE...` (convert_many.cpp).
int ConvertMany(const cli::Parsed& p, const disk::ContainerFormat& to);
// The same for any conversion: each IN into DIR/NAME.WORD; `one` writes OUT
// from IN, read back and verified, and returns why not (empty when done),
// with what it could not keep.
using ConvertOneFn = std::function<std::string(const std::string& in, const std::string& out,
                                               std::vector<std::string>& losses)>;
int ConvertMany(const cli::Parsed& p, const std::string& word, const ConvertOneFn& one);
int NewCommand(const cli::Parsed& p);
// The options a written image takes (--single-density-bytes, --revolutions);
// none, with the complaint, when one is wrong.
inline constexpr int kMostRevolutions = 5;
std::optional<disk::WriteOptions> WriteOptionsOf(const cli::Parsed& p, std::string& complaint);
int PutCommand(const cli::Parsed& p);
int RmCommand(const cli::Parsed& p);
int RenameCommand(const cli::Parsed& p);
// `view`, which writes nothing (view_command.cpp).
int ViewCommand(const cli::Parsed& p);

// The drive --drive names: -1 when none is named; none when its value is
// not a number.
std::optional<int> DriveNumber(const cli::Parsed& p);

// Says what is wrong with the command line; returns the usage status, 2.
int UsageError(const std::string& complaint);

}  // namespace trivane::disktool
