// The link to the recording program: start and stop requests, the presence
// watch, Help and Test URL. Decisions are plain functions; the windows are
// reached through RecorderWindows.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine.h"
#include "host.h"
#include "recorder_protocol.h"
#include "schedule_file.h"

namespace ormidal {

constexpr std::size_t kStartTextLimit = 999;
constexpr std::size_t kTestUrlParametersLimit = 4499;
constexpr char kDefaultWindowName[] = "Lumora";
// Where the maker's help pages live.
constexpr char kHelpSite[] = "https://www.fendrel.example/";

// "%s pos: %s url: %s pro: %s sec: %u" with the entry's own length (end minus
// start), cut at 999 characters.
std::string StartText(const ScheduleEntry& entry);

// The recording program's window as the scheduler sees it. Handles are opaque.
class RecorderWindows {
 public:
  using Handle = uintptr_t;
  virtual ~RecorderWindows() = default;
  virtual Handle Find(const std::string& title) = 0;  // 0 when there is none
  virtual void Restore(Handle window) = 0;
  // Puts the scheduler's main window at the bottom and minimizes it, without
  // waiting for that window's own thread.
  virtual void LowerMainWindow() = 0;
  // The start request: UTF-16 of the text, or the 8-bit text itself in audio mode.
  virtual void SendStart(Handle window, const std::string& text, bool audioMode) = 0;
  virtual void PostStop(Handle window) = 0;
};

// The recording program's title, shared by request threads and the user interface.
class LinkState {
 public:
  explicit LinkState(std::string windowName) : windowName_(std::move(windowName)) {}
  std::string WindowName() const;
  // The title the requests use: an empty one becomes "Lumora" for good.
  std::string RequestWindowName();

 private:
  mutable std::mutex mutex_;
  std::string windowName_;
};

// Carries out one start or stop request (the engine's ControlRecorder).
class RecorderControl final : public RecorderLink {
 public:
  RecorderControl(LinkState& state, RecorderWindows& windows, bool audioMode)
      : state_(state), windows_(windows), audioMode_(audioMode) {}
  RequestOutcome ControlRecorder(const std::shared_ptr<ScheduleEntry>& entry,
                                 int32_t request) override;

 private:
  LinkState& state_;
  RecorderWindows& windows_;
  bool audioMode_;
};

// True when the scheduler should end because its recording program is gone.
// Before any request has named a window, an empty title counts as present.
bool RecordingProgramGone(const LinkState& state, RecorderWindows& windows);

// The help page for the recording programs that are open; "" when none fits.
std::string HelpPage(RecorderWindows& windows);

struct TestUrlAction {
  enum Kind { kNothing, kAudioOnlyMessage, kOpenWithBrowser, kOpenWithDefault } kind = kNothing;
  std::string file;        // what the shell opens
  std::string parameters;  // for the browser
};
TestUrlAction DecideTestUrl(std::string_view text, int32_t browserLaunch,
                            std::string_view mainTitle);

// One top-level window as the system lists it.
struct TopLevelWindow {
  std::string title;  // in the system code page
  std::string className;
  uint32_t processId = 0;
};

// The recording program's window among windows, which come in Z-order,
// topmost first: the first whose title equals title as FindWindowA compares
// (letters in either case) and that is no File Explorer window (its classes,
// or any window of the shell's process; 0: no shell). Explorer titles its
// window with the folder it shows, which may be named after the recorder.
std::optional<std::size_t> ChooseRecorderWindow(const std::vector<TopLevelWindow>& windows,
                                                std::string_view title, uint32_t shellProcessId);

}  // namespace ormidal
