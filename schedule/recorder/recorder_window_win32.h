// Finds the recording program's window for every use: requests, the
// presence watch, the start-up check and Help.
#pragma once

#include <windows.h>

#include <string>

namespace ormidal {

// The topmost top-level window titled title (letters in either case, as
// FindWindowA matches) that is no File Explorer window; nullptr when none.
// The scheduler's own windows are never it.
HWND FindRecorderWindow(const std::string& title);

}  // namespace ormidal
