// The Scheduled Events list: every entry of the schedule file as a row, with
// Change, Delete and Open file. A save is stored through it.
#pragma once

#include "schedule_edit.h"
#include "window_win32.h"

namespace ormidal {

class Ormidal;

class ListDlg final : public fw::Dialog {
 public:
  ListDlg(Ormidal& app, ListMode mode) : app_(app), mode_(mode) {}
  bool Create(HWND owner);
  // Stores the pending save into the rows and the file (a save while the list is open).
  void StorePending();
  ScheduleList& Rows() { return list_; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, int code, HWND control) override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void ShowRows();
  void ProvideText(NMHDR* header);
  std::string_view CellText(int row, int column) const;
  std::vector<std::size_t> SelectedRows() const;
  int RowUnderCursor() const;
  void ChangeEvent();
  void DeleteEvents();
  void OpenScheduleFile();
  HWND ListView() const { return Item(1004); }

  Ormidal& app_;
  ListMode mode_;
  ScheduleList list_;
};

// Opens the list in the mode, or brings the open one forward.
void OpenEventsList(Ormidal& app, HWND owner, ListMode mode);
// The list's close: may offer to enable the scheduler, then destroys the list.
void CloseEventsList(Ormidal& app);
// Destroys the list without a question.
void DestroyEventsList(Ormidal& app);

}  // namespace ormidal
