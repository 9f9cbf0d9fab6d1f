// What the engine shows the user: the dialog's status line and focus, the
// entry that has just started, and its plain message box. Engine threads
// call it; everything it does happens on the user-interface thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <string>

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
  // A balloon of the notification area, which asks for no click, where the
  // shell has one; else a box that does not wait.
  void Notice(const std::string& text) override;
  // A box that does not wait, whatever the shell.
  void NoticeBox(const std::string& text);
  // Takes the notices' icon out of the notification area; any thread, at exit.
  void RemoveNoticeIcon();
  ~AppEngineUi() override;

 private:
  // UI thread; false when there is no notification area to show it in.
  bool ShowBalloon(const std::string& text);
  void ShowNextPiece();
  static void CALLBACK NextPieceDue(HWND window, UINT message, UINT_PTR timer, DWORD time);

  TimerDlg* dialog_ = nullptr;  // read by the queued tasks, on the UI thread
  std::atomic<HWND> iconWindow_{nullptr};  // made on the UI thread
  std::atomic<bool> iconAdded_{false};
  std::deque<std::string> pieces_;  // of notices still to show, UI thread
};

}  // namespace ormidal
