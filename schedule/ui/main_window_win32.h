// The scheduler's main window: an off-screen frame that owns the dialog,
// gives the program its taskbar button, answers the recording program's
// registered messages, takes the proposals of later starts for the same
// settings folder and, once a second, drives the dialog's clock and status
// line.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine_ui_win32.h"
#include "handover.h"
#include "scheduler_switch.h"
#include "timer_dlg_win32.h"
#include "window_win32.h"

namespace ormidal {

class MainWindow final : public fw::FrameWindow {
 public:
  // What the clock needs; the references outlive the window.
  struct Parts {
    SchedulerSwitch& scheduler;
    AppEngineUi& engineUi;       // told of the dialog once it exists
    TimerDlg::Context dialog;    // what the Schedule Recordings dialog is made with
    bool minimizeAtStart = false;
    std::function<void()> resumed;  // the computer has woken from sleep
    std::function<void()> tick;     // once a second, after the dialog's
  };
  ~MainWindow() override;
  // Creates the hidden window titled after the recording program, answering
  // the two registered messages from then on.
  bool Create(HINSTANCE instance, const std::string& windowName, UINT scheduleMessage,
              UINT mouseClickMessage);
  // Starts the clock, whose first tick makes the dialog and enables the scheduler.
  void Start(Parts parts);
  const std::string& MainTitle() const { return mainTitle_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnTimer();
  void TakeHandOver(const Proposal& proposal);

  std::string mainTitle_;
  UINT scheduleMessage_ = 0;
  UINT mouseClickMessage_ = 0;
  std::optional<Parts> parts_;
  std::unique_ptr<TimerDlg> dialog_;
  bool firstTickDone_ = false;
};

}  // namespace ormidal
