// Implements AppEngineUi on the dialog's controls, through the user-interface
// queue: on the UI thread a call acts at once, from another thread it is
// queued and the caller goes on; only the message box makes it wait.
#include "engine_ui_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <iterator>

#include "power_plan.h"
#include "resource.h"
#include "text_win32.h"
#include "thread_win32.h"
#include "timer_dlg_win32.h"
#include "ui_queue.h"

namespace ormidal {
namespace {

constexpr UINT kNoticeIconId = 1;
constexpr UINT_PTR kPieceTimer = 1;
constexpr UINT kPieceSpacingMs = 10000;
// What a balloon holds: szInfo without its end zero.
constexpr std::size_t kBalloonLimit = std::size(NOTIFYICONDATAW{}.szInfo) - 1;

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
  if (!fw::StartDetachedThread(show)) fw::ui::Post(std::move(show));
}

bool AppEngineUi::ShowBalloon(const std::string& text) {
  if (FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr) return false;
  if (!iconAdded_) {
    if (iconWindow_ == nullptr) {
      iconWindow_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
      if (iconWindow_ == nullptr) return false;
      SetWindowLongPtrW(iconWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = iconWindow_;
    data.uID = kNoticeIconId;
    data.uFlags = NIF_ICON | NIF_TIP;
    data.hIcon = LoadIconA(nullptr, IDI_INFORMATION);
    CopyField(data.szTip, ProgramCaption());
    if (!Shell_NotifyIconW(NIM_ADD, &data)) return false;
    iconAdded_ = true;
  }
  // Wide characters are never more than the bytes they come from.
  const bool waiting = !pieces_.empty();
  for (std::string& piece : NoticePieces(text, kBalloonLimit)) pieces_.push_back(std::move(piece));
  if (!waiting) ShowNextPiece();
  return true;
}

// A balloon replaces the one before on some shells: the next piece comes
// once this one has been shown for the shortest time a balloon stays.
void AppEngineUi::ShowNextPiece() {
  if (pieces_.empty()) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = iconWindow_;
  data.uID = kNoticeIconId;
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_INFO;
  CopyField(data.szInfoTitle, ProgramCaption());
  CopyField(data.szInfo, pieces_.front());
  if (!Shell_NotifyIconW(NIM_MODIFY, &data)) {
    std::string rest;
    for (const std::string& piece : pieces_) rest += (rest.empty() ? "" : " ") + piece;
    pieces_.clear();
    NoticeBox(rest);  // the shell took no balloon: the rest in a box
    return;
  }
  pieces_.pop_front();
  if (!pieces_.empty()) SetTimer(iconWindow_, kPieceTimer, kPieceSpacingMs, &NextPieceDue);
}

void CALLBACK AppEngineUi::NextPieceDue(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  auto* ui = reinterpret_cast<AppEngineUi*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (ui != nullptr) ui->ShowNextPiece();
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
  if (iconWindow_ != nullptr) {
    KillTimer(iconWindow_, kPieceTimer);
    DestroyWindow(iconWindow_);
  }
}

}  // namespace ormidal
