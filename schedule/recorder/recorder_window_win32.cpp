// FindRecorderWindow for now by the window's title alone.
// TEMPORARY: stands in until the fuller helper of the same name is merged.
#include "recorder_window_win32.h"

namespace ormidal {

HWND FindRecorderWindow(const std::string& title) { return FindWindowA(nullptr, title.c_str()); }

}  // namespace ormidal
