// Entry point of Ormidal.exe.
#include "ormidal_app_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  static ormidal::Ormidal app;
  return app.Run(instance);
}
