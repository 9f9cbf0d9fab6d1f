// Start-up of the scheduler: program folder, command line, the claim of the
// settings folder, after a restart of Windows the recording program, presence
// check, hidden main window, and Windows' restart of the scheduler.
#include "ormidal_app_win32.h"

#include <commctrl.h>

#include <system_error>

#include "history_win32.h"
#include "recorder_window_win32.h"
#include "text.h"
#include "thread_win32.h"

namespace ormidal {
namespace {

constexpr std::chrono::milliseconds kHandOverBound{4000};
// The end waits no longer for the history's last lines: a disk that hangs
// (a lost network share) must not keep the program from ending.
constexpr std::chrono::milliseconds kLastLinesBound{2000};
constexpr char kNoAnswerMessage[] =
    "The scheduler that is already running for these settings does not answer. Close it, then "
    "start the scheduler again.";

// The history writer's thread starts as every other thread of the program.
std::function<void()> StartWriterThread(std::function<void()> body) {
  auto thread = std::make_shared<fw::ScopedHandle>(fw::StartJoinableThread(std::move(body)));
  if (!*thread) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  }
  return [thread] { fw::JoinThread(*thread); };
}

}  // namespace

void Ormidal::BeforeExit(HistoryCause why) {
  // Every end comes here: from the decision on, nothing starts or stops.
  if (engine_ != nullptr) engine_->End();
  if (engineUi_ != nullptr) engineUi_->RemoveNoticeIcon();
  if (history_ == nullptr) return;
  const FileTime now = LocalNow(engineSystem_);
  HistoryEvent ended = NewHistoryEvent(HistoryKind::kEnded, now);
  ended.cause = why;
  // Close ends the scheduling: say what it leaves unsent.
  if (why == HistoryCause::kDialogClosed && engine_ != nullptr) {
    ended.window = NextStartLeft(now, engine_->NextStartRequest()).value_or(0);
  }
  history_->Record(std::move(ended));
  history_->Drain(kLastLinesBound);
}

bool Ormidal::StartApplication() {
  const UINT scheduleMessage = RegisterWindowMessageA(kStopMessageName);
  const UINT mouseClickMessage = RegisterWindowMessageA(kMouseClickMessageName);

  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  options_.moduleFolder = ModuleFolderFromPath(path);
  SetCurrentDirectoryA(options_.moduleFolder.c_str());

  CmdLineInfo cmdLineInfo;
  fw::WalkCommandLine<char>(GetCommandLineA(), cmdLineInfo);
  InterpretParameters(cmdLineInfo.parameterTable, options_, proposed_);
  // Windows gives the recording program's path in UTF-16: the wide walk keeps it whole.
  const std::optional<std::wstring> restartPath = RestartOptionOf(GetCommandLineW());
  const Options startOptions = options_;

  // Before anything is shown: a second start for the folder only hands on
  // its proposal, and ends with 0.
  switch (claim_.ClaimOrHandOver(fw::Widen(fw::Clip(options_.settingsFolder, kScheduleFolderLimit)),
                                 ProposalOf(options_, proposed_), kHandOverBound)) {
    case FolderClaim::Outcome::kClaimed:
      break;
    case FolderClaim::Outcome::kHandedOver:
      return false;
    case FolderClaim::Outcome::kNoAnswer:
      host_.SchedulerMessage(kNoAnswerMessage, kMessageOk);
      return false;
  }

  // Only the scheduler that holds the folder writes its history. After a
  // restart, what it missed is looked for from the last line before it.
  const std::string historyPath = HistoryPathBeside(SchedulePath(options_.settingsFolder));
  std::optional<FileTime> notRunningSince;
  if (restartPath) {
    std::string history, older;
    files_.Read(historyPath, history);
    files_.Read(OlderHistoryPath(historyPath), older);
    notRunningSince = LastHistoryTime(history, older);
  }
  engineUi_ = std::make_unique<AppEngineUi>();
  history_ = std::make_unique<HistoryWriter>(
      Win32HistorySink(), historyPath,
      [ui = engineUi_.get()](const std::string& message) { ui->NoticeBox(message); },
      StartWriterThread);
  HistoryEvent started = NewHistoryEvent(HistoryKind::kStarted, LocalNow(engineSystem_));
  started.cause = restartPath ? HistoryCause::kRestarted : HistoryCause::kNone;
  history_->Record(std::move(started));
  host_.SetBeforeExit([this](HistoryCause why) { BeforeExit(why); });
  power_ = std::make_unique<Win32PowerSystem>();

  // Bounded; before any window of ours exists, so nothing waits on us.
  if (auto brought = BringBackRecorderNow(restartPath, options_.windowName,
                                          LocalNow(engineSystem_))) {
    history_->Record(std::move(*brought));
  }

  if (!AnyRecordingProgramOpen(
          [](const char* title) { return FindRecorderWindow(title) != nullptr; })) {
    host_.SchedulerMessage("No recording program is open.", kMessageOk);
  }

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES |
                                                       ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  frame_ = std::make_unique<ormidal::MainWindow>();
  if (!frame_->Create(Instance(), options_.windowName, scheduleMessage, mouseClickMessage)) {
    return false;
  }
  ShowWindow(frame_->Handle(), SW_HIDE);
  SetMainWindow(frame_->Handle());

  link_ = std::make_unique<LinkState>(options_.windowName);
  recorderWindows_ = std::make_unique<Win32RecorderWindows>(frame_->Handle(), scheduleMessage);
  recorderControl_ =
      std::make_unique<RecorderControl>(*link_, *recorderWindows_, options_.audioMode);
  engine_ = std::make_unique<Engine>(engineSystem_, host_, files_, *engineUi_, *recorderControl_,
                                     options_, EngineServices{power_.get(), history_.get()});
  if (notRunningSince) engine_->MissedSince(*notRunningSince, HistoryCause::kWhileRestarting);
  scheduler_ = std::make_unique<EngineSwitch>(*engine_, SchedulePath(options_.settingsFolder));
  restart_ = std::make_unique<RestartRegistration>(
      startOptions, restartPath.value_or(std::wstring()),
      [ui = engineUi_.get()](const std::string& text) { ui->Notice(text); });
  restart_->Update();
  frame_->Start(ormidal::MainWindow::Parts{
      *scheduler_, *engineUi_,
      TimerDlg::Context{Instance(), options_, proposed_, {}, *scheduler_, host_, files_, *link_,
                        *recorderWindows_},
      options_.minimizeAtStart, [engine = engine_.get()] { engine->Resumed(); },
      [restart = restart_.get()] { restart->Update(); }});
  claim_.Publish(frame_->Handle());
  return true;
}

}  // namespace ormidal
