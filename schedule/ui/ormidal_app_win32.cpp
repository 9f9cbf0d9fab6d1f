// Start-up of the scheduler: presence check, program folder, command line,
// hidden main window.
#include "ormidal_app_win32.h"

#include <commctrl.h>

namespace ormidal {

bool Ormidal::StartApplication() {
  const UINT scheduleMessage = RegisterWindowMessageA(kStopMessageName);
  const UINT mouseClickMessage = RegisterWindowMessageA(kMouseClickMessageName);

  if (!AnyRecordingProgramOpen(
          [](const char* title) { return FindWindowA(nullptr, title) != nullptr; })) {
    host_.SchedulerMessage("No recording program is open.", kMessageOk);
  }

  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  options_.moduleFolder = ModuleFolderFromPath(path);
  SetCurrentDirectoryA(options_.moduleFolder.c_str());

  CmdLineInfo cmdLineInfo;
  fw::WalkCommandLine<char>(GetCommandLineA(), cmdLineInfo);
  InterpretParameters(cmdLineInfo.parameterTable, options_, proposed_);

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES |
                                                       ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  frame_ = std::make_unique<ormidal::MainWindow>();
  if (!frame_->Create(Instance(), options_.windowName, scheduleMessage, mouseClickMessage)) {
    return false;
  }
  ShowWindow(frame_->Handle(), SW_HIDE);
  SetMainWindow(frame_->Handle());

  link_ = std::make_unique<LinkState>(options_.windowName);
  recorderWindows_ = std::make_unique<Win32RecorderWindows>(frame_->Handle(), scheduleMessage);
  recorderControl_ =
      std::make_unique<RecorderControl>(*link_, *recorderWindows_, host_, options_.audioMode);
  engineUi_ = std::make_unique<AppEngineUi>();
  engine_ = std::make_unique<Engine>(engineSystem_, host_, files_, *engineUi_, *recorderControl_,
                                     options_);
  scheduler_ = std::make_unique<EngineSwitch>(*engine_, SchedulePath(options_.settingsFolder));
  frame_->Start(ormidal::MainWindow::Parts{
      *scheduler_, *engineUi_,
      TimerDlg::Context{Instance(), options_, proposed_, {}, *scheduler_, host_, files_, *link_,
                        *recorderWindows_},
      options_.minimizeAtStart});
  return true;
}

}  // namespace ormidal
