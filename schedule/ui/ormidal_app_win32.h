// The scheduler's application object and its process-wide state.
#pragma once

#include <memory>

#include "engine.h"
#include "engine_ui_win32.h"
#include "engine_win32.h"
#include "main_window_win32.h"
#include "options.h"
#include "recorder_link.h"
#include "recorder_win32.h"
#include "list_dlg_win32.h"
#include "schedule_edit.h"
#include "timer_dlg_win32.h"
#include "schedule_file.h"
#include "host_win32.h"
#include "window_win32.h"

namespace ormidal {

class Ormidal final : public fw::Application {
 public:
  Options options;
  CurrentEntry currentEntry;
  UINT scheduleRegisteredMessage = 0;
  UINT mouseClickRegisteredMessage = 0;
  Win32Host host;
  Win32FileSystem files;
  Win32EngineSystem engineSystem;
  // Made once the command line is known.
  std::unique_ptr<LinkState> link;
  std::unique_ptr<Win32RecorderWindows> recorderWindows;
  std::unique_ptr<RecorderControl> recorderControl;
  std::unique_ptr<AppEngineUi> engineUi;
  std::unique_ptr<Engine> engine;

  // The dialogs and what a save and the list's Change leave behind.
  std::unique_ptr<TimerDlg> timerDlg;
  std::unique_ptr<ListDlg> listDlg;  // at most one list at a time
  PendingSave pending;
  bool changePending = false;
  bool enableDeclined = false;

  ormidal::MainWindow* Main() { return mainWindow_.get(); }

 protected:
  bool StartApplication() override;

 private:
  std::unique_ptr<ormidal::MainWindow> mainWindow_;
};

}  // namespace ormidal
