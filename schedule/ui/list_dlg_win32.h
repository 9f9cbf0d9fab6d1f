// The Scheduled Events list: every entry of the schedule file as a row, with
// Change, Delete and Open file. Its rows are only a view of the file, given
// by whoever read or wrote it last.
#pragma once

#include <string>
#include <vector>

#include "host.h"
#include "schedule_edit.h"
#include "scheduler_switch.h"
#include "window_win32.h"

namespace ormidal {

// What the list asks of the dialog that owns it.
class ListOwner {
 public:
  virtual ~ListOwner() = default;
  // Set by a Change until the next save: Delete then asks no question.
  virtual bool ChangePending() const = 0;
  // Change chose this entry. The owner closes the list, so the list is gone
  // when this returns.
  virtual void ChangeTo(const CurrentEntry& entry) = 0;
  // The list's close: the owner may offer to enable the scheduler, then
  // destroys the list.
  virtual void CloseEventsList() = 0;
};

class ListDlg final : public fw::Dialog {
 public:
  struct Context {
    HINSTANCE instance = nullptr;
    std::string settingsFolder;
    SchedulerHost& host;
    FileSystem& files;
    SchedulerSwitch& scheduler;
    ListOwner& owner;
  };
  ListDlg(Context context, ScheduleList rows) : context_(std::move(context)), list_(std::move(rows)) {}
  bool Create(HWND owner);
  // Shows the rows as the file now holds them, none selected.
  void ShowRows(ScheduleList rows);

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, int code, HWND control) override;
  void OnClose() override { context_.owner.CloseEventsList(); }
  bool OnNotify(NMHDR& header, LRESULT& result) override;

 private:
  void Refresh();
  void ProvideText(NMHDR& header);
  std::string_view CellText(int row, int column) const;
  std::vector<std::size_t> SelectedRows() const;
  int RowUnderCursor() const;
  void ChangeEvent();
  void DeleteEvents();
  void OpenScheduleFile();
  HWND ListView() const { return Item(1004); }

  Context context_;
  ScheduleList list_;
};

}  // namespace ormidal
