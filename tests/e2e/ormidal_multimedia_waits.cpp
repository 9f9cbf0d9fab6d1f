// Ormidal.exe with the multimedia timer for every one-second wait, as on a
// system without high-resolution waitable timers: the latency benchmark's
// other path. Never shipped.
#include "ormidal_app_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  static ormidal::Ormidal app(ormidal::WaitTimerWanted::kMultimedia);
  ExitProcess(static_cast<UINT>(app.Run(instance)));
}
