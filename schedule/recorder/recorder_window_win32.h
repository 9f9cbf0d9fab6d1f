// The one way the scheduler finds the recording program's window.
#pragma once

#include <windows.h>

#include <string>

namespace ormidal {

// The recording program's top-level window titled title; nullptr when none.
HWND FindRecorderWindow(const std::string& title);

}  // namespace ormidal
