// What the engine shows the user: the dialog's status line and focus, the
// entry that has just started, and its plain message box.
#pragma once

#include <atomic>

#include "engine.h"

namespace ormidal {

class TimerDlg;

class AppEngineUi final : public EngineUi {
 public:
  // The Schedule Recordings dialog, once it exists.
  void SetDialog(TimerDlg* dialog) { dialog_ = dialog; }
  void SetStatus(const std::string& text) override;
  void FocusEnableButton() override;
  void FocusDisableButton() override;
  void FillFromEntry(const ScheduleEntry& entry) override;
  void PlainMessage(const std::string& text) override;

 private:
  std::atomic<TimerDlg*> dialog_{nullptr};
};

}  // namespace ormidal
