#include "recorder_link.h"

#include <algorithm>

#include "text.h"

namespace ormidal {

std::string StartText(const ScheduleEntry& entry) {
  const int64_t length = TimeDifference(entry.endTime, entry.startTime) / int64_t{kTicksPerSecond};
  const auto seconds = static_cast<uint32_t>(std::clamp<int64_t>(length, 0, UINT32_MAX));
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

void RecorderControl::ControlRecorder(const std::shared_ptr<ScheduleEntry>& entry,
                                      int32_t request) {
  if (entry->failed.load() != 0) return;
  entry->task.store(0);
  const RecorderWindows::Handle window = windows_.Find(state_.RequestWindowName());
  if (request == kTaskStart) {
    if (window == 0) {
      entry->failed.store(1);
      host_.SchedulerMessage("No recording program is running. Recording canceled.", kMessageOk);
      return;
    }
    const std::string text = StartText(*entry);
    windows_.Restore(window);
    windows_.LowerMainWindow();
    windows_.SendStart(window, text, audioMode_);
    return;
  }
  if (window != 0) {
    windows_.Restore(window);
    windows_.PostStop(window);
  }
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

}  // namespace ormidal
