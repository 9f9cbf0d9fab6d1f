// The Scheduled Events list: every entry of the schedule file as a row, with
// Change, Delete, Open file and Open history. Its rows are only a view of the
// file, given by whoever read or wrote it last.
#pragma once

#include <string>
#include <vector>

#include "dialog_flows.h"
#include "host.h"
#include "schedule_edit.h"
#include "scheduler_switch.h"
#include "window_win32.h"

namespace ormidal {

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
  void OpenScheduleFile();
  void OpenHistoryFile();
  HWND ListView() const { return Item(1004); }

  Context context_;
  ScheduleList list_;
};

}  // namespace ormidal
