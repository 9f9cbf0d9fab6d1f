// The scheduler's application object: it makes the program's parts at
// start-up and owns them; each window gets only what it needs.
#pragma once

#include <memory>

#include "engine.h"
#include "engine_ui_win32.h"
#include "engine_win32.h"
#include "handover_win32.h"
#include "history_writer.h"
#include "main_window_win32.h"
#include "options.h"
#include "power_win32.h"
#include "recorder_link.h"
#include "recorder_win32.h"
#include "restart_win32.h"
#include "host_win32.h"
#include "scheduler_switch.h"
#include "window_win32.h"

namespace ormidal {

class Ormidal final : public fw::Application {
 public:
  explicit Ormidal(WaitTimerWanted waits = WaitTimerWanted::kBest) : engineSystem_(waits) {}

 protected:
  bool StartApplication() override;

 private:
  // Stops the engine for good, then records the end and gives the writer a
  // bounded time to put it on the disk.
  void BeforeExit(HistoryCause why);

  FolderClaim claim_;  // held for the whole run
  Options options_;
  EntryFields proposed_;  // what the command line proposes to the dialog
  Win32Host host_;
  Win32FileSystem files_;
  Win32EngineSystem engineSystem_;
  std::unique_ptr<LinkState> link_;
  std::unique_ptr<Win32RecorderWindows> recorderWindows_;
  std::unique_ptr<RecorderControl> recorderControl_;
  std::unique_ptr<Win32PowerSystem> power_;
  std::unique_ptr<AppEngineUi> engineUi_;
  // After the user interface its failure notice goes to, before the engine that records.
  std::unique_ptr<HistoryWriter> history_;
  std::unique_ptr<Engine> engine_;
  std::unique_ptr<EngineSwitch> scheduler_;
  std::unique_ptr<RestartRegistration> restart_;
  // Last, so that it and its dialogs go before what they use.
  std::unique_ptr<ormidal::MainWindow> frame_;
};

}  // namespace ormidal
