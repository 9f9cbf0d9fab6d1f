// Implements ListDlg on dialog resource 8 and menu 157.
#include "list_dlg_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "dialog_flows.h"
#include "history.h"
#include "resource.h"
#include "scoped_win32.h"
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
const LVITEMA kUnselect = [] {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  return item;
}();

std::string WindowsFolder() {
  char folder[MAX_PATH + 1] = {};
  const UINT length = GetSystemWindowsDirectoryA(folder, MAX_PATH + 1);
  return length > 0 && length <= MAX_PATH ? std::string(folder, length) : std::string();
}

// WordPad first, as the list always did; Notepad and the file's own program
// where it is missing.
void ShowTextFile(const std::string& path, SchedulerHost& host) {
  OpenTextFile(path, WindowsFolder(), [](const ShellOpen& open) {
    const HINSTANCE started =
        ShellExecuteA(nullptr, "open", open.file.c_str(),
                      open.parameters.empty() ? nullptr : open.parameters.c_str(), nullptr,
                      SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
  }, host);
}

}  // namespace

bool ListDlg::Create(HWND owner) {
  if (!CreateModeless(context_.instance, IDD_LIST_DLG, owner)) return false;
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
  Refresh();
  return true;
}

void ListDlg::ShowRows(ScheduleList rows) {
  list_ = std::move(rows);
  Refresh();
}

void ListDlg::Refresh() {
  // The list view holds no texts of its own: it asks for the visible ones,
  // so a file of thousands of lines opens at once.
  HWND view = ListView();
  SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&kUnselect));
  SendMessageA(view, LVM_SETITEMCOUNT, list_.rows.size(), 0);
  InvalidateRect(view, nullptr, TRUE);
}

void ListDlg::ProvideText(NMHDR& header) {
  // The dialog is a Unicode window, so the list view may ask in either form.
  // A text longer than its room is cut to fit: the room is all the list
  // view shows, and a conversion asked for more than fits gives nothing.
  if (header.code == LVN_GETDISPINFOW) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
    if ((item.mask & LVIF_TEXT) == 0 || item.cchTextMax <= 0) return;
    const std::size_t room = static_cast<std::size_t>(item.cchTextMax - 1);
    const std::wstring wide = fw::Widen(CellText(item.iItem, item.iSubItem).substr(0, room));
    item.pszText[wide.copy(item.pszText, room)] = L'\0';
    return;
  }
  LVITEMA& item = reinterpret_cast<NMLVDISPINFOA&>(header).item;
  if ((item.mask & LVIF_TEXT) == 0 || item.cchTextMax <= 0) return;
  const std::string_view text = CellText(item.iItem, item.iSubItem);
  item.pszText[text.copy(item.pszText, static_cast<std::size_t>(item.cchTextMax - 1))] = '\0';
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

void ListDlg::OpenScheduleFile() {
  const std::string path = SchedulePath(context_.settingsFolder);
  context_.host.SchedulerMessage(path, kMessageOk);
  ShowTextFile(path, context_.host);
}

void ListDlg::OpenHistoryFile() {
  // The user may have deleted it: the writer makes a new one with the next event.
  const std::string path = HistoryPathBeside(SchedulePath(context_.settingsFolder));
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    context_.host.SchedulerMessage("There is no history yet: " + path +
                                       " does not exist. The scheduler makes it with the next "
                                       "event it records.",
                                   kMessageOk);
    return;
  }
  ShowTextFile(path, context_.host);
}

void ListDlg::OnCommand(int id, int, HWND) {
  switch (id) {
    case ID_CHANGE:
      // The owner closes this list: nothing of it may be used afterwards.
      ChangeEvent(list_, SelectedRows(), context_.owner, context_.host);
      return;
    case ID_DELETE:
      DeleteEvents({context_.settingsFolder, context_.files}, list_, SelectedRows(),
                   context_.owner, context_.scheduler, context_.host,
                   [this](ScheduleList rows) { ShowRows(std::move(rows)); });
      return;
    case ID_OPEN_FILE:
      OpenScheduleFile();
      return;
    case ID_OPEN_HISTORY:
      OpenHistoryFile();
      return;
    default:
      return;
  }
}

bool ListDlg::OnNotify(NMHDR& header, LRESULT&) {
  if (header.idFrom != IDC_EVENTS) return false;
  switch (header.code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW:
      ProvideText(header);
      return true;
    case NM_DBLCLK:
      // Change closes this list, which the list view must not see while it
      // is still telling us of the click.
      if (RowUnderCursor() >= 0) PostMessageA(Handle(), WM_COMMAND, ID_CHANGE, 0);
      return true;
    case NM_RCLICK:
      if (RowUnderCursor() >= 0) {
        const fw::ScopedMenu menu(LoadMenuA(context_.instance, MAKEINTRESOURCEA(IDR_LIST_MENU)));
        const DWORD position = GetMessagePos();
        TrackPopupMenu(GetSubMenu(menu.Get(), 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON,
                       static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)),
                       0, Handle(), nullptr);
      }
      return true;
    default:
      return false;
  }
}

}  // namespace ormidal
