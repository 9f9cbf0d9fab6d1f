// Implements AppEngineUi on the dialog's controls, through the user-interface
// queue: on the UI thread a call acts at once, from another thread it is
// queued and the caller goes on; only the message box makes it wait.
#include "engine_ui_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <iterator>

#include "engine_win32.h"
#include "power_plan.h"
#include "resource.h"
#include "text_win32.h"
#include "timer_dlg_win32.h"
#include "ui_queue.h"

namespace ormidal {
namespace {

constexpr UINT kNoticeIconId = 1;

// Copies text into a fixed field of the shell's, cut to leave room for the end zero.
template <std::size_t N>
void CopyField(wchar_t (&field)[N], std::string_view text) {
  const std::wstring wide = fw::Widen(text);
  const std::size_t count = std::min(wide.size(), N - 1);
  std::copy_n(wide.begin(), count, field);
  field[count] = L'\0';
}

void RunOnUiThread(std::function<void()> task) {
  if (fw::ui::OnUiThread()) {
    task();
  } else {
    fw::ui::Post(std::move(task));
  }
}

// The program's own name, as a box of the runtime's would carry it.
std::string ProgramCaption() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string caption = path;
  caption = caption.substr(caption.find_last_of("\\/") + 1);
  return caption.substr(0, caption.rfind('.'));
}

}  // namespace

void AppEngineUi::SetStatus(const std::string& text) {
  RunOnUiThread([this, text] {
    if (dialog_ != nullptr) dialog_->SetStatus(text);
  });
}

void AppEngineUi::FocusEnableButton() {
  RunOnUiThread([this] {
    if (dialog_ != nullptr) dialog_->FocusButton(IDC_ENABLE);
  });
}

void AppEngineUi::FocusDisableButton() {
  RunOnUiThread([this] {
    if (dialog_ != nullptr) dialog_->FocusButton(IDC_DISABLE);
  });
}

void AppEngineUi::FillFromEntry(const ScheduleEntry& entry) {
  // A copy: the start request goes out without waiting for the dialog.
  RunOnUiThread([this, values = EntryValues(entry)] {
    if (dialog_ != nullptr) dialog_->FillFromEntry(values);
  });
}

void AppEngineUi::PlainMessage(const std::string& text) {
  const std::string caption = ProgramCaption();
  fw::ui::Send([&] { MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK); });
}

void AppEngineUi::Notice(const std::string& text) {
  // The icon's window is the UI thread's.
  if (!fw::ui::Post([this, text] {
        if (!ShowBalloon(text)) NoticeBox(text);
      })) {
    NoticeBox(text);
  }
}

void AppEngineUi::NoticeBox(const std::string& text) {
  // Not task-modal, and on a thread of its own: the dialog stays usable while
  // the notice waits to be read, and a notice that comes while another box is
  // open does not hold that box's answer until the notice is read too.
  auto show = [text, caption = ProgramCaption()] {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
  };
  if (!Win32EngineSystem().StartThread(show)) fw::ui::Post(std::move(show));
}

bool AppEngineUi::ShowBalloon(const std::string& text) {
  if (FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr) return false;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.uID = kNoticeIconId;
  const std::string caption = ProgramCaption();
  if (!iconAdded_) {
    if (iconWindow_ == nullptr) {
      iconWindow_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
    }
    if (iconWindow_ == nullptr) return false;
    data.hWnd = iconWindow_;
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = LoadIconA(nullptr, IDI_INFORMATION);
    CopyField(data.szTip, caption);
    if (!Shell_NotifyIconW(NIM_ADD, &data)) return false;
    iconAdded_ = true;
  }
  data.hWnd = iconWindow_;
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_INFO;
  CopyField(data.szInfoTitle, caption);
  // Wide characters are never more than the bytes they come from.
  bool shown = false;
  for (const std::string& piece : NoticePieces(text, std::size(data.szInfo) - 1)) {
    CopyField(data.szInfo, piece);
    if (!Shell_NotifyIconW(NIM_MODIFY, &data)) break;
    shown = true;
  }
  return shown;
}

void AppEngineUi::RemoveNoticeIcon() {
  if (!iconAdded_.exchange(false)) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = iconWindow_;
  data.uID = kNoticeIconId;
  Shell_NotifyIconW(NIM_DELETE, &data);
}

AppEngineUi::~AppEngineUi() {
  RemoveNoticeIcon();
  if (iconWindow_ != nullptr) DestroyWindow(iconWindow_);
}

}  // namespace ormidal
