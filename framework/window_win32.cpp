// Implements the framework declared in window_win32.h with plain Win32.
#include "window_win32.h"

#include <algorithm>
#include <vector>

#include "ui_queue.h"

namespace fw {
namespace {

Application* gApplication = nullptr;
std::vector<HWND> gModeless;  // dialogs that take keyboard navigation in the loop

}  // namespace

Application* CurrentApplication() { return gApplication; }

int Application::Run(HINSTANCE instance) {
  instance_ = instance;
  gApplication = this;
  // Before StartApplication, so before any thread that may hand it a task.
  if (!ui::Open()) return 0;
  if (!StartApplication()) {
    ui::Close();
    return 0;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    bool dialogMessage = false;
    for (HWND dialog : gModeless) {
      if (IsWindow(dialog) && IsDialogMessageW(dialog, &msg)) {
        dialogMessage = true;
        break;
      }
    }
    if (dialogMessage) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  ui::Close();
  return static_cast<int>(msg.wParam);
}

FrameWindow::~FrameWindow() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool FrameWindow::Create(HINSTANCE instance, const wchar_t* className, const ClassOptions& options,
                         const std::wstring& title, DWORD style, const RECT& rect, HWND parent) {
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(instance, className, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = options.style;
    wc.lpfnWndProc = &FrameWindow::Procedure;
    wc.hInstance = instance;
    wc.hCursor = options.cursor != nullptr ? options.cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = options.background;
    wc.hIcon = options.icon;
    wc.lpszClassName = className;
    if (RegisterClassExW(&wc) == 0) return false;
  }
  hwnd_ = CreateWindowExW(0, className, title.c_str(), style, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, instance,
                          this);
  return hwnd_ != nullptr;
}

LRESULT FrameWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK FrameWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  FrameWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<FrameWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<FrameWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  LRESULT result = 0;
  try {
    result = self != nullptr ? self->HandleMessage(message, wParam, lParam)
                             : DefWindowProcW(hwnd, message, wParam, lParam);
  } catch (...) {
    result = 0;
  }
  if (message == WM_NCDESTROY) {
    if (self != nullptr) self->hwnd_ = nullptr;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (gApplication != nullptr && gApplication->MainWindow() == hwnd) PostQuitMessage(0);
  }
  return result;
}

Dialog::~Dialog() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    gModeless.erase(std::remove(gModeless.begin(), gModeless.end(), hwnd_), gModeless.end());
    DestroyWindow(hwnd_);
  }
}

bool Dialog::CreateModeless(HINSTANCE instance, int templateId, HWND owner) {
  HWND hwnd = CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner, &Dialog::Procedure,
                                 reinterpret_cast<LPARAM>(this));
  if (hwnd == nullptr) return false;
  gModeless.push_back(hwnd);
  return true;
}

void Dialog::Destroy() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool Dialog::HandleMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  INT_PTR result = FALSE;
  try {
    switch (message) {
      case WM_INITDIALOG:
        return self->OnInitDialog() ? TRUE : FALSE;
      case WM_COMMAND:
        if (self->HandleMessage(message, wParam, lParam, result)) return result;
        if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
          self->OnClose();
          return TRUE;
        }
        self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
      case WM_CLOSE:
        self->OnClose();
        return TRUE;
      case WM_NOTIFY: {
        // A dialog answers a notification through DWLP_MSGRESULT; its
        // procedure's own result only says whether it was handled.
        LRESULT answer = 0;
        if (!self->OnNotify(*reinterpret_cast<NMHDR*>(lParam), answer)) return FALSE;
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, answer);
        return TRUE;
      }
      case WM_NCDESTROY:
        gModeless.erase(std::remove(gModeless.begin(), gModeless.end(), hwnd), gModeless.end());
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        self->OnDestroyed();
        return FALSE;
      default:
        return self->HandleMessage(message, wParam, lParam, result) ? result : FALSE;
    }
  } catch (...) {
    return FALSE;
  }
}

}  // namespace fw
