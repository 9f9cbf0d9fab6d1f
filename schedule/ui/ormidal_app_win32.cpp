// Start-up of the scheduler: presence check, program folder, command line,
// hidden main window.
#include "ormidal_app_win32.h"

#include <commctrl.h>

namespace ormidal {

bool Ormidal::StartApplication() {
  scheduleRegisteredMessage = RegisterWindowMessageA("Fendrel schedule");
  mouseClickRegisteredMessage = RegisterWindowMessageA("mouse click");

  if (!AnyRecordingProgramOpen(
          [](const char* title) { return FindWindowA(nullptr, title) != nullptr; })) {
    host.SchedulerMessage("No recording program is open.", kMessageOk);
  }

  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  options.moduleFolder = ModuleFolderFromPath(path);
  SetCurrentDirectoryA(options.moduleFolder.c_str());

  CmdLineInfo cmdLineInfo;
  fw::WalkCommandLine<char>(GetCommandLineA(), cmdLineInfo);
  InterpretParameters(cmdLineInfo.parameterTable, options, currentEntry);

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES |
                                                       ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  mainWindow_ = std::make_unique<ormidal::MainWindow>(*this);
  if (!mainWindow_->Create()) return false;
  ShowWindow(mainWindow_->Handle(), SW_HIDE);
  SetMainWindow(mainWindow_->Handle());

  link = std::make_unique<LinkState>(options.windowName);
  recorderWindows =
      std::make_unique<Win32RecorderWindows>(mainWindow_->Handle(), scheduleRegisteredMessage);
  recorderControl =
      std::make_unique<RecorderControl>(*link, *recorderWindows, host, options.audioMode);
  engineUi = std::make_unique<AppEngineUi>();
  engine = std::make_unique<Engine>(engineSystem, host, files, *engineUi, *recorderControl, options);
  return true;
}

}  // namespace ormidal
