// What the engine shows the user: the dialog's status line and focus, the
// entry that has just started, and its plain message box. Engine threads
// call it; everything it does happens on the user-interface thread.
#pragma once

#include "engine.h"

namespace ormidal {

class TimerDlg;

class AppEngineUi final : public EngineUi {
 public:
  // The Schedule Recordings dialog, once it exists; UI thread only.
  void SetDialog(TimerDlg* dialog) { dialog_ = dialog; }
  void SetStatus(const std::string& text) override;
  void FocusEnableButton() override;
  void FocusDisableButton() override;
  void FillFromEntry(const ScheduleEntry& entry) override;
  // Waits for the user, as a box of the caller's own would.
  void PlainMessage(const std::string& text) override;
  void Notice(const std::string& text) override;

 private:
  TimerDlg* dialog_ = nullptr;  // read by the queued tasks, on the UI thread
};

}  // namespace ormidal
