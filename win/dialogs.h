// The small modal boxes the windows ask with: a line of text, and a new
// disk's DOS and shape. Each runs its own message loop with its owner
// disabled, as the system's dialogs do.
#pragma once

#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <filesystem>
#include <string>

#include "fs/filesystem.h"

namespace trivane::win {

// Asks for the folder to extract into; empty: cancelled.
std::filesystem::path ChooseFolder(HWND owner);

// Asks for a line of text with the suggestion filled in; empty: cancelled.
std::string AskText(HWND owner, const std::string& question, const std::string& suggested);

// Asks for a new disk's DOS, container, cylinders, heads, density, name and
// date; false: cancelled.
bool AskNewDisk(HWND owner, filesystems::FormatRequest& request);

}  // namespace trivane::win
