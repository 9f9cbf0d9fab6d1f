// Start-up of the scheduler: program folder, command line, the claim of the
// settings folder, presence check, hidden main window.
#include "ormidal_app_win32.h"

#include <commctrl.h>

#include <system_error>

#include "history_win32.h"
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
  if (history_ == nullptr) return;
  HistoryEvent ended = NewHistoryEvent(HistoryKind::kEnded, LocalNow(engineSystem_));
  ended.cause = why;
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

  // Only the scheduler that holds the folder writes its history.
  engineUi_ = std::make_unique<AppEngineUi>();
  history_ = std::make_unique<HistoryWriter>(
      Win32HistorySink(), HistoryPathBeside(SchedulePath(options_.settingsFolder)),
      [ui = engineUi_.get()](const std::string& message) { ui->Notice(message); },
      StartWriterThread);
  history_->Record(NewHistoryEvent(HistoryKind::kStarted, LocalNow(engineSystem_)));
  host_.SetBeforeExit([this](HistoryCause why) { BeforeExit(why); });
  power_ = std::make_unique<Win32PowerSystem>();

  if (!AnyRecordingProgramOpen(
          [](const char* title) { return FindWindowA(nullptr, title) != nullptr; })) {
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
  scheduler_ = std::make_unique<EngineSwitch>(*engine_, SchedulePath(options_.settingsFolder));
  frame_->Start(ormidal::MainWindow::Parts{
      *scheduler_, *engineUi_,
      TimerDlg::Context{Instance(), options_, proposed_, {}, *scheduler_, host_, files_, *link_,
                        *recorderWindows_},
      options_.minimizeAtStart, [engine = engine_.get()] { engine->Resumed(); }});
  claim_.Publish(frame_->Handle());
  return true;
}

}  // namespace ormidal
