// The scheduler's application object and its process-wide state.
#pragma once

#include <memory>

#include "main_window_win32.h"
#include "options.h"
#include "schedule_file.h"
#include "scheduler_host_win32.h"
#include "window_win32.h"

namespace ormidal {

class Ormidal final : public fw::Application {
 public:
  Options options;
  CurrentEntry currentEntry;
  ActiveSlots slots;
  UINT scheduleRegisteredMessage = 0;
  UINT mouseClickRegisteredMessage = 0;
  Win32Host host;
  Win32FileSystem files;

  ormidal::MainWindow* Main() { return mainWindow_.get(); }

 protected:
  bool StartApplication() override;

 private:
  std::unique_ptr<ormidal::MainWindow> mainWindow_;
};

}  // namespace ormidal
