// Implements MainWindow with the framework's frame window.
#include "main_window_win32.h"

#include "dialog_flows.h"
#include "engine_win32.h"
#include "handover_win32.h"
#include "text.h"
#include "time_text_win32.h"

namespace ormidal {
namespace {

constexpr std::size_t kMainTitleLimit = 199;
constexpr int kOffScreen = -32000;
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 1000;
static_assert(kEndSessionCloseApp == ENDSESSION_CLOSEAPP && kEndSessionLogoff == ENDSESSION_LOGOFF);

}  // namespace

MainWindow::~MainWindow() {
  // Tasks for the dialog may still be queued; they must not find it gone.
  if (parts_) parts_->engineUi.SetDialog(nullptr);
}

bool MainWindow::Create(HINSTANCE instance, const std::string& windowName, UINT scheduleMessage,
                        UINT mouseClickMessage) {
  mainTitle_ = fw::Clip("Schedule " + windowName + " Recordings", kMainTitleLimit);
  scheduleMessage_ = scheduleMessage;
  mouseClickMessage_ = mouseClickMessage;
  const RECT rect{kOffScreen, kOffScreen, kOffScreen, kOffScreen};
  if (!fw::FrameWindow::Create(instance, L"OrmidalFrame", ClassOptions{}, fw::Widen(mainTitle_),
                               WS_OVERLAPPEDWINDOW, rect)) {
    return false;
  }
  SetWindowTextA(Handle(), mainTitle_.c_str());
  return true;
}

void MainWindow::Start(Parts parts) {
  parts.dialog.mainTitle = mainTitle_;
  parts_.emplace(std::move(parts));
  SetTimer(Handle(), kTickTimer, kTickMs, nullptr);
}

void MainWindow::OnTimer() {
  if (!parts_) return;
  if (dialog_ != nullptr) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    dialog_->SetClock(ClockText(FromSystemTime(now)));
  }
  const bool firstTick = !firstTickDone_;
  if (firstTick) {
    ShowWindow(Handle(), SW_SHOWNORMAL);
    firstTickDone_ = true;
    dialog_ = std::make_unique<TimerDlg>(parts_->dialog);
    if (dialog_->Create(Handle())) {
      parts_->engineUi.SetDialog(dialog_.get());
    } else {
      dialog_.reset();
    }
  }
  const ClockTickStep step = ClockTick(firstTick, parts_->scheduler);
  if (step.enabled && parts_->minimizeAtStart) ShowWindow(Handle(), SW_MINIMIZE);
  if (!step.status.empty() && dialog_ != nullptr) dialog_->SetStatus(step.status);
  if (parts_->tick) parts_->tick();
}

void MainWindow::TakeHandOver(const Proposal& proposal) {
  if (dialog_ == nullptr) {
    // Before the first tick: the dialog opens with it.
    parts_->dialog.proposed = EntryFields{};
    TakeProposal(proposal, parts_->dialog.options, parts_->dialog.proposed);
    return;
  }
  dialog_->Propose(proposal);
  if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
  SetForegroundWindow(dialog_->Handle());
  BringWindowToTop(dialog_->Handle());
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != 0 && (message == scheduleMessage_ || message == mouseClickMessage_)) return 1;
  if (message == WM_COPYDATA) {
    const std::optional<Proposal> proposal = HandedOverProposal(wParam, lParam);
    if (!proposal || !parts_) return FALSE;
    TakeHandOver(*proposal);
    return TRUE;
  }
  // Only top-level windows hear of sleep and wake.
  if (message == WM_POWERBROADCAST) {
    if ((wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) && parts_ &&
        parts_->resumed) {
      parts_->resumed();
    }
    return TRUE;
  }
  if (message == WM_TIMER && wParam == kTickTimer) {
    OnTimer();
    return 0;
  }
  // A shutdown is not held up. Its end is the program's one end, so the
  // history says why the night's recordings stopped.
  if (message == WM_QUERYENDSESSION) return TRUE;
  if (message == WM_ENDSESSION && wParam != FALSE && parts_) {
    parts_->dialog.host.EndProcess(EndSessionCause(static_cast<uint32_t>(lParam)));
    return 0;
  }
  // The engine's threads use the application's objects to the end: the
  // process ends at once, as the dialog's close ends it.
  if (message == WM_CLOSE && parts_) {
    parts_->dialog.host.EndProcess(HistoryCause::kMainWindowClosed);
    return 0;
  }
  return fw::FrameWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace ormidal
