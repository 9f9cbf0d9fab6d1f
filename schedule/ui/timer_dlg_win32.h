// The Schedule Recordings dialog: shows one recording, saves it, enables and
// disables the scheduler, owns the Scheduled Events list, and ends the
// program when closed or when the recording program is gone.
#pragma once

#include <memory>
#include <string>

#include "handover.h"
#include "list_dlg_win32.h"
#include "options.h"
#include "recorder_link.h"
#include "schedule_entry.h"
#include "scheduler_switch.h"
#include "timer_dlg_logic.h"
#include "window_win32.h"

namespace ormidal {

class TimerDlg final : public fw::Dialog, private ListOwner {
 public:
  // What the dialog works with; the references outlive it.
  struct Context {
    HINSTANCE instance = nullptr;
    Options options;      // its own copy: every save reads the settings again
    EntryFields proposed;  // the file name, URL and position of the command line
    std::string mainTitle;  // the main window's, which Test URL hands on
    SchedulerSwitch& scheduler;
    SchedulerHost& host;
    FileSystem& files;
    LinkState& link;
    RecorderWindows& recorderWindows;
  };
  explicit TimerDlg(Context context);
  ~TimerDlg() override;
  // Creates the dialog owned by the main window, which is minimized in its stead.
  bool Create(HWND mainWindow);
  // From an entry's Timer thread: the controls change on this dialog's thread.
  void FillFromEntry(const ScheduleEntry& entry);
  // A later start's proposal, shown as the command line's is at start-up.
  void Propose(const Proposal& proposal);
  void SetStatus(const std::string& text);
  void SetClock(const std::string& text);
  void FocusButton(int id);

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, int code, HWND control) override;
  void OnClose() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  // ListOwner
  bool ChangePending() const override { return changePending_; }
  void ChangeTo(const CurrentEntry& entry) override;
  void CloseEventsList() override;

  void SaveSchedule();
  void EnableButton();
  void ViewEventsList();
  // Opens the list on rows, or shows them in the open one and brings it forward.
  void OpenEventsList(ScheduleList rows);
  void DestroyEventsList();
  void FillFromCurrentEntry();
  void ShowProposed();
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

  Context context_;
  HWND mainWindow_ = nullptr;
  CurrentEntry current_;
  bool changePending_ = false;  // a Change was taken and not saved yet
  bool enableDeclined_ = false;  // a save's enable question was answered No
  std::unique_ptr<ListDlg> list_;  // at most one list at a time
};

}  // namespace ormidal
