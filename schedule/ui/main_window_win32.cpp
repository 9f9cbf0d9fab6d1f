// Implements MainWindow with the framework's frame window.
#include "main_window_win32.h"

#include "ormidal_app_win32.h"
#include "schedule_file.h"
#include "text.h"
#include "time_text_win32.h"

namespace ormidal {
namespace {

constexpr std::size_t kMainTitleLimit = 199;
constexpr int kOffScreen = -32000;
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 1000;

}  // namespace

bool MainWindow::Create() {
  mainTitle_ = fw::Clip("Schedule " + app_.options.windowName + " Recordings", kMainTitleLimit);
  const RECT rect{kOffScreen, kOffScreen, kOffScreen, kOffScreen};
  if (!fw::FrameWindow::Create(app_.Instance(), L"OrmidalFrame", ClassOptions{},
                               fw::Widen(mainTitle_), WS_OVERLAPPEDWINDOW, rect)) {
    return false;
  }
  schedulePath_ = SchedulePath(app_.options.settingsFolder);
  SetWindowTextA(Handle(), mainTitle_.c_str());
  SetTimer(Handle(), kTickTimer, kTickMs, nullptr);
  return true;
}

const std::string& MainWindow::SettingsFolder() const { return app_.options.settingsFolder; }

void MainWindow::OnTimer() {
  if (app_.timerDlg != nullptr) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    app_.timerDlg->SetClock(ClockText(FromSystemTime(now)));
  }
  if (!firstTickDone_) {
    ShowWindow(Handle(), SW_SHOWNORMAL);
    firstTickDone_ = true;
    app_.timerDlg = std::make_unique<TimerDlg>(app_);
    if (app_.timerDlg->Create()) {
      app_.engineUi->SetDialog(app_.timerDlg.get());
    } else {
      app_.timerDlg.reset();
    }
    if (!app_.engine->SchedulerActive()) return;
    app_.engine->EnableScheduler(schedulePath_);
    if (app_.options.minimizeAtStart) {
      ShowWindow(Handle(), SW_MINIMIZE);
      app_.options.minimizeAtStart = false;
    }
  }
  if (app_.engine->SchedulerActive() && app_.timerDlg != nullptr) {
    app_.timerDlg->SetStatus(app_.engine->AnySlotArmed() ? "Scheduler is active counting..."
                                                         : "Scheduler is active waiting...");
  }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != 0 &&
      (message == app_.scheduleRegisteredMessage || message == app_.mouseClickRegisteredMessage)) {
    return 1;
  }
  if (message == WM_TIMER && wParam == kTickTimer) {
    OnTimer();
    return 0;
  }
  // The engine's threads use the application's objects to the end: the
  // process ends at once, as the dialog's close ends it.
  if (message == WM_CLOSE) {
    app_.host.EndProcess();
    return 0;
  }
  return fw::FrameWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace ormidal
