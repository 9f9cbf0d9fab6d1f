#include "recorder_link.h"

#include <algorithm>

#include "text.h"

namespace ormidal {
namespace {

constexpr std::string_view kExplorerClasses[] = {"CabinetWClass", "ExploreWClass"};

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameTitle(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

bool IsExplorer(const TopLevelWindow& window, uint32_t shellProcessId) {
  if (shellProcessId != 0 && window.processId == shellProcessId) return true;
  return std::find(std::begin(kExplorerClasses), std::end(kExplorerClasses), window.className) !=
         std::end(kExplorerClasses);
}

}  // namespace

std::string StartText(const ScheduleEntry& entry) {
  const uint32_t seconds = WindowSeconds(entry);
  const std::string text = entry.timeName + kStartPositionMarker + entry.timePos +
                           kStartUrlMarker + entry.timeUrl + kStartProgramMarker +
                           entry.timeProg + kStartSecondsMarker + std::to_string(seconds);
  return fw::Clip(text, kStartTextLimit);
}

std::string LinkState::WindowName() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return windowName_;
}

std::string LinkState::RequestWindowName() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (windowName_.empty()) windowName_ = kDefaultWindowName;
  return windowName_;
}

RequestOutcome RecorderControl::ControlRecorder(const std::shared_ptr<ScheduleEntry>& entry,
                                               int32_t request) {
  if (entry->failed.load() != 0) return RequestOutcome::kNotAsked;
  entry->task.store(0);
  const RecorderWindows::Handle window = windows_.Find(state_.RequestWindowName());
  if (window == 0) {
    // A start without its program cancels the recording, and its stop with it.
    if (request == kTaskStart) entry->failed.store(1);
    return RequestOutcome::kNoRecorder;
  }
  windows_.Restore(window);
  if (request == kTaskStart) {
    windows_.LowerMainWindow();
    windows_.SendStart(window, StartText(*entry), audioMode_);
  } else {
    windows_.PostStop(window);
  }
  return RequestOutcome::kSent;
}

bool RecordingProgramGone(const LinkState& state, RecorderWindows& windows) {
  const std::string title = state.WindowName();
  if (title.empty()) return false;
  return windows.Find(title) == 0;
}

std::string HelpPage(RecorderWindows& windows) {
  if (windows.Find("Lumora") != 0) return std::string(kHelpSite) + "help_qrv_scheduler.html";
  if (windows.Find("Vantor") != 0) return std::string(kHelpSite) + "help_scheduler.html";
  return {};
}

TestUrlAction DecideTestUrl(std::string_view text, int32_t browserLaunch,
                            std::string_view mainTitle) {
  TestUrlAction action;
  const std::string url = fw::Clip(text, kFieldLimit);
  if (url.empty() || (!fw::Contains(url, "://") && !fw::Contains(url, ":\\"))) return action;
  if (fw::Contains(url, "|") && fw::Contains(url, ",")) {
    action.kind = TestUrlAction::kAudioOnlyMessage;
    return action;
  }
  if (browserLaunch != 0) {
    action.kind = TestUrlAction::kOpenWithBrowser;
    action.file = ".\\iexplore.exe";
    action.parameters = fw::Clip(
        "-w \"" + std::string(mainTitle) + "\" -weburl \"" + url + "\"", kTestUrlParametersLimit);
    return action;
  }
  action.kind = TestUrlAction::kOpenWithDefault;
  action.file = url;
  return action;
}

std::optional<std::size_t> ChooseRecorderWindow(const std::vector<TopLevelWindow>& windows,
                                                std::string_view title, uint32_t shellProcessId) {
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (SameTitle(windows[i].title, title) && !IsExplorer(windows[i], shellProcessId)) return i;
  }
  return std::nullopt;
}

}  // namespace ormidal
