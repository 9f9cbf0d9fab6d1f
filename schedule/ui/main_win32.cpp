// Entry point of Ormidal.exe.
#include "ormidal_app_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  static ormidal::Ormidal app;
  // Never returns: returning would destroy app under threads that still use it.
  ExitProcess(static_cast<UINT>(app.Run(instance)));
}
