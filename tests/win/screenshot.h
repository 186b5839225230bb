// A window as it shows on the screen, saved as a PNG file, for the record
// each test run keeps of the windows; and one pixel of it.
#pragma once

#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <filesystem>

namespace trivane::win::test {

// Brings the window forward, lets it paint, and writes what the screen
// shows of it; false when it cannot be written.
bool SaveScreenshot(HWND window, const std::filesystem::path& file);
// The colour the screen shows at a point of the window's client area.
COLORREF ClientPixel(HWND window, POINT at);
// Handles the messages waiting, as the program's loop would.
void Pump();

}  // namespace trivane::win::test
