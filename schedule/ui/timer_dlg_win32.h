// The Schedule Recordings dialog: shows one recording, saves it, enables and
// disables the scheduler, opens the Scheduled Events list, and ends the
// program when closed or when the recording program is gone.
#pragma once

#include <string>

#include "schedule_entry.h"
#include "timer_dlg_logic.h"
#include "window_win32.h"

namespace ormidal {

class Ormidal;

class TimerDlg final : public fw::Dialog {
 public:
  explicit TimerDlg(Ormidal& app) : app_(app) {}
  bool Create();
  void FillFromCurrentEntry();
  // From an entry's Timer thread: the controls change on this dialog's thread.
  void FillFromEntry(const ScheduleEntry& entry);
  void SetStatus(const std::string& text);
  void SetClock(const std::string& text);
  void FocusButton(int id);

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, int code, HWND control) override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void SaveSchedule();
  void EnableButton();
  void ViewEventsList();
  void SetCurrentTime();
  void ShowStart(FileTime start);
  // What a fill from a started entry shows, copied off the entry's thread.
  struct ShownEntry {
    std::string timeName, timeProg, timeUrl, position;
    FileTime startTime = 0;
    FileTime endTime = 0;
  };
  void ShowEntry(const ShownEntry& entry);
  DialogValues ReadControls() const;
  std::string Text(int id) const;
  void SetText(int id, const std::string& text);
  void ShowRepeat(const RepeatChoice& boxes);
  RepeatChoice ReadRepeat() const;

  Ormidal& app_;
};

}  // namespace ormidal
