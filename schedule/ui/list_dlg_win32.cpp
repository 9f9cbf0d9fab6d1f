// Implements ListDlg on dialog resource 8 and menu 157.
#include "list_dlg_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "ormidal_app_win32.h"
#include "resource.h"
#include "text.h"

namespace ormidal {
namespace {

struct Column {
  const char* heading;
  int width;
};
constexpr Column kColumns[kListColumnCount] = {{"File Name", 120}, {"URL", 170},     {"Start", 180},
                                               {"End", 180},       {"Repeat", 250},  {"Program", 120},
                                               {"Window", 120}};
constexpr std::size_t kQuotedPathLimit = 997;
const LVITEMA kUnselect = [] {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  return item;
}();

// The pass keeps its read errors to itself, so a list reading has none of the engine's to clear.
EditSeams SeamsOf(Ormidal& app) {
  return EditSeams{app.files, app.host, [&app] { app.engine->DisableScheduler(); }};
}

}  // namespace

bool ListDlg::Create(HWND owner) {
  if (!CreateModeless(app_.Instance(), IDD_LIST_DLG, owner)) return false;
  ShowWindow(Handle(), SW_SHOW);
  return true;
}

bool ListDlg::OnInitDialog() {
  HWND view = ListView();
  SendMessageA(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (std::size_t c = 0; c < kListColumnCount; ++c) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kColumns[c].width;
    column.pszText = const_cast<char*>(kColumns[c].heading);
    column.iSubItem = static_cast<int>(c);
    SendMessageA(view, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
  }
  EditSeams seams = SeamsOf(app_);
  LoadScheduleList(app_.Main()->SettingsFolder(), mode_, list_, app_.currentEntry, app_.pending,
                   seams);
  ShowRows();
  return true;
}

void ListDlg::StorePending() {
  SaveEntryLine(app_.Main()->SettingsFolder(), app_.pending, list_, app_.files);
  ShowRows();
}

void ListDlg::ShowRows() {
  // The list view holds no texts of its own: it asks for the visible ones,
  // so a file of thousands of lines opens at once.
  HWND view = ListView();
  SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&kUnselect));
  SendMessageA(view, LVM_SETITEMCOUNT, list_.rows.size(), 0);
  InvalidateRect(view, nullptr, TRUE);
}

void ListDlg::ProvideText(NMHDR* header) {
  // The dialog is a Unicode window, so the list view may ask in either form.
  if (header->code == LVN_GETDISPINFOW) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
    if ((item.mask & LVIF_TEXT) == 0 || item.cchTextMax <= 0) return;
    const std::string_view text = CellText(item.iItem, item.iSubItem);
    const int written = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                            item.pszText, item.cchTextMax - 1);
    item.pszText[written > 0 ? written : 0] = L'\0';
    return;
  }
  LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
  if ((item.mask & LVIF_TEXT) == 0 || item.cchTextMax <= 0) return;
  const std::string_view text = CellText(item.iItem, item.iSubItem);
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  text.copy(item.pszText, length);
  item.pszText[length] = '\0';
}

std::string_view ListDlg::CellText(int row, int column) const {
  if (row < 0 || static_cast<std::size_t>(row) >= list_.rows.size() || column < 0 ||
      static_cast<std::size_t>(column) >= kListColumnCount) {
    return {};
  }
  return list_.rows[static_cast<std::size_t>(row)].Columns()[static_cast<std::size_t>(column)];
}

std::vector<std::size_t> ListDlg::SelectedRows() const {
  std::vector<std::size_t> selected;
  int at = -1;
  while ((at = static_cast<int>(SendMessageA(ListView(), LVM_GETNEXTITEM, at, LVNI_SELECTED))) >= 0) {
    selected.push_back(static_cast<std::size_t>(at));
  }
  return selected;
}

int ListDlg::RowUnderCursor() const {
  const DWORD position = GetMessagePos();
  LVHITTESTINFO hit{};
  hit.pt.x = static_cast<short>(LOWORD(position));
  hit.pt.y = static_cast<short>(HIWORD(position));
  ScreenToClient(ListView(), &hit.pt);
  const int row = static_cast<int>(SendMessageA(ListView(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & LVHT_ONITEM) != 0 ? row : -1;
}

void ListDlg::ChangeEvent() {
  if (list_.rows.empty()) return;
  const std::vector<std::size_t> selected = SelectedRows();
  if (selected.empty()) {
    app_.host.SchedulerMessage("No items selected", kMessageOk);
    return;
  }
  CurrentEntry& current = app_.currentEntry;
  static_cast<EntryFields&>(current) = list_.rows[selected.front()].fields;
  current.startTime = GetFileTime(current.timeStart);
  current.endTime = GetFileTime(current.timeEnd);
  Ormidal& app = app_;  // this list is gone after the close
  CloseEventsList(app);
  app.changePending = true;
  app.timerDlg->FillFromCurrentEntry();
}

void ListDlg::DeleteEvents() {
  if (list_.rows.empty()) return;
  const std::vector<std::size_t> selected = SelectedRows();
  if (selected.empty()) {
    app_.host.SchedulerMessage("No items selected", kMessageOk);
    return;
  }
  if (!app_.changePending &&
      app_.host.SchedulerMessage("Remove " + std::to_string(selected.size()) + " scheduled items ?",
                                 kMessageYesNo) != kAnswerYes) {
    return;
  }
  const std::size_t listed = list_.rows.size();
  EditSeams seams = SeamsOf(app_);
  const DeleteResult result = DeleteEntryLines(app_.Main()->SettingsFolder(), list_, selected,
                                               app_.currentEntry, seams);
  ShowRows();
  if (result == DeleteResult::kDeleted && listed >= 2) {
    app_.host.SchedulerMessage("Scheduler is now disabled. Click ENABLE to restart", kMessageOk);
  }
}

void ListDlg::OpenScheduleFile() {
  const std::string& path = app_.Main()->SchedulePathText();
  app_.host.SchedulerMessage(path, kMessageOk);
  const std::string quoted = fw::Clip("\"" + path + "\"", kQuotedPathLimit);
  ShellExecuteA(nullptr, "open", "wordpad", quoted.c_str(), nullptr, SW_SHOWNORMAL);
}

void ListDlg::OnCommand(int id, int, HWND) {
  switch (id) {
    case ID_CHANGE:
      ChangeEvent();
      return;
    case ID_DELETE:
      DeleteEvents();
      return;
    case ID_OPEN_FILE:
      OpenScheduleFile();
      return;
    case IDCANCEL:
      CloseEventsList(app_);
      return;
    default:
      return;
  }
}

bool ListDlg::HandleMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
  if (message == WM_CLOSE) {
    CloseEventsList(app_);
    result = TRUE;
    return true;
  }
  if (message != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->idFrom != IDC_EVENTS) return false;
  if (header->code == LVN_GETDISPINFOA || header->code == LVN_GETDISPINFOW) {
    ProvideText(const_cast<NMHDR*>(header));
    result = TRUE;
    return true;
  }
  if (header->code == NM_DBLCLK) {
    // Change closes this list, which the list view must not see while it is
    // still telling us of the click.
    if (RowUnderCursor() >= 0) PostMessageA(Handle(), WM_COMMAND, ID_CHANGE, 0);
    result = TRUE;
    return true;
  }
  if (header->code == NM_RCLICK) {
    if (RowUnderCursor() >= 0) {
      HMENU menu = LoadMenuA(app_.Instance(), MAKEINTRESOURCEA(IDR_LIST_MENU));
      const DWORD position = GetMessagePos();
      TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON,
                     static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)), 0,
                     Handle(), nullptr);
      DestroyMenu(menu);
    }
    result = TRUE;
    return true;
  }
  return false;
}

void OpenEventsList(Ormidal& app, HWND owner, ListMode mode) {
  if (app.listDlg != nullptr) {
    // A save while the list is open is stored into it all the same.
    if (mode == ListMode::kNormal) app.listDlg->StorePending();
    SetFocus(app.listDlg->Handle());
    return;
  }
  app.listDlg = std::make_unique<ListDlg>(app, mode);
  if (!app.listDlg->Create(owner)) app.listDlg.reset();
}

void DestroyEventsList(Ormidal& app) {
  app.enableDeclined = false;
  app.listDlg.reset();
}

void CloseEventsList(Ormidal& app) {
  if (app.listDlg == nullptr) return;
  if (app.engine->StopRequested() && !app.enableDeclined &&
      app.host.SchedulerMessage("Scheduler is disabled. Enable scheduler now?", kMessageYesNo) ==
          kAnswerYes) {
    app.engine->EnableScheduler(app.Main()->SchedulePathText());
    DestroyEventsList(app);
    app.timerDlg->FocusButton(IDC_ENABLE);
    return;
  }
  DestroyEventsList(app);
}

}  // namespace ormidal
