// The Schedule Recordings dialog: shows one recording, saves it, enables and
// disables the scheduler, owns the Scheduled Events list, and ends the
// program when closed or when the recording program is gone.
#pragma once

#include <memory>
#include <string>

#include "dialog_flows.h"
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
  // An entry's Timer has begun: the dialog shows what it records.
  void FillFromEntry(const EntryValues& entry);
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
  bool ChangePending() const override { return flags_.changePending; }
  void ChangeTo(const CurrentEntry& entry) override;
  void CloseEventsList() override;

  void SaveSchedule();
  void ViewEventsList();
  // Opens the list on rows, or shows them in the open one and brings it forward.
  void OpenEventsList(ScheduleList rows);
  // Carries out what a flow left for the dialog.
  void Apply(const ListStep& step);
  void FillFromCurrentEntry();
  void ShowProposed();
  void SetCurrentTime();
  void ShowStart(FileTime start);
  DialogValues ReadControls() const;
  std::string Text(int id) const;
  void SetText(int id, const std::string& text);
  void ShowRepeat(const RepeatChoice& boxes);
  RepeatChoice ReadRepeat() const;

  Context context_;
  HWND mainWindow_ = nullptr;
  CurrentEntry current_;
  ListFlags flags_;
  std::unique_ptr<ListDlg> list_;  // at most one list at a time
};

}  // namespace ormidal
