// The one way this program starts a thread: the C runtime's _beginthreadex,
// never std::thread. In the 64-bit MinGW runtime a detached std::thread can
// race its own start and run without its argument (seen as a crash under
// Wine, once in a few thousand starts).
#pragma once

#include <functional>

#include "scoped_win32.h"

namespace fw {

// Runs body on a new thread that is never joined; false when none could start.
bool StartDetachedThread(std::function<void()> body);

// Runs body on a new thread; the caller waits for its end on the handle
// (JoinThread). An invalid handle when none could start.
ScopedHandle StartJoinableThread(std::function<void()> body);

// Waits until the thread of handle has ended, then closes the handle.
void JoinThread(ScopedHandle& thread);

}  // namespace fw
