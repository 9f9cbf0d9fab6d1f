// Implements MainWindow: window creation and the two messages it handles.
#include "main_window_win32.h"

#include "reload_cycle.h"
#include "report.h"

namespace reload {
namespace {

constexpr wchar_t kClassName[] = L"ReloadFiltersMainWindow";
constexpr wchar_t kTitle[] = L"Reload Filters";
constexpr RECT kFrameRect{110, 80, 720, 500};

}  // namespace

bool MainWindow::Create(HINSTANCE instance) {
  ClassOptions options;
  options.style = 0;
  options.cursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  options.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  options.icon = nullptr;
  if (!FrameWindow::Create(instance, kClassName, options, kTitle, WS_OVERLAPPEDWINDOW, kFrameRect)) {
    return false;
  }
  ShowWindow(Handle(), SW_HIDE);
  SetWindowTextW(Handle(), kTitle);
  system_.SetMainWindow(Handle());
  OpenReport(state_, system_);
  SetTimer(Handle(), kStartTimerId, kStartDelayMs, nullptr);
  return true;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      // The cycle dispatches messages while a batch runs: a timer message
      // then must not start it a second time.
      if (!cycleStarted_) {
        cycleStarted_ = true;
        ReloadCycle(state_, system_);
      }
      return 0;
    case WM_CLOSE:
      system_.EndProcess(0);
      return 0;
    default:
      return FrameWindow::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace reload
