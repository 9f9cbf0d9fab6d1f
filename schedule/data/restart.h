// Surviving a restart of Windows: the command line the scheduler asks
// Windows to restart it with, and what a scheduler so restarted does before
// the usual start-up goes on, which is to bring its recording program
// back.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "history.h"
#include "options.h"

namespace ormidal {

// Marks a start by Windows; its value is the recording program's full path.
constexpr char kRestartOption[] = "restart";
// RESTART_MAX_CMD_LINE, which counts the terminating NUL.
constexpr std::size_t kRestartCommandLineLimit = 1024;
// How long a restarted scheduler waits for the window of the program it
// started, and how often it looks.
constexpr std::chrono::milliseconds kRecorderWindowBound{120'000};
constexpr std::chrono::milliseconds kRecorderWindowPoll{250};
// A start that lies further ahead is not told when the dialog is closed.
constexpr FileTime kNextStartToldWithin = FileTime{24 * 3600} * kTicksPerSecond;

// System code page text as UTF-16, and back.
using WidenText = std::function<std::wstring(std::string_view)>;
using NarrowText = std::function<std::string(std::wstring_view)>;

struct RestartCommandLine {
  // The arguments after the program, which Windows puts in front; empty
  // when even without the path they exceed the limit.
  std::wstring arguments;
  bool withoutPath = false;  // the path was left out to keep within the limit
};

// From the options as start-up set them (not the proposal's file, url, pos
// and dur): "w", "dir", and "fmt", "skb", "min" where they differ from no
// option at all, then the restart option with recorderPath. The walk of the
// scheduler's command line reads each value back as it is.
RestartCommandLine MakeRestartCommandLine(const Options& startOptions,
                                          std::wstring_view recorderPath, const WidenText& widen);

// text as one argument that the command-line walk gives back whole, its
// leading mark included.
std::wstring CommandLineArgument(std::wstring_view text);

// The restart option of a whole command line (program first), found as the
// options are: the last flag "restart" among the stored arguments; its path
// may be empty. Nothing for a start without it.
std::optional<std::wstring> RestartOptionOf(std::wstring_view commandLine);

// The title of the recording program's window: the "w" value, else the
// first recording program title that has a window; none without a window.
std::optional<std::string> RecorderWindowTitle(
    const std::string& windowName, const std::function<bool(const char* title)>& windowExists);

// The recording program as a restarted scheduler reaches it.
class RecorderStarter {
 public:
  virtual ~RecorderStarter() = default;
  virtual bool WindowOpen() = 0;
  // Starts the program at path; empty when it started, else why not.
  virtual std::string Start(const std::wstring& path) = 0;
  virtual std::chrono::milliseconds SinceStart() = 0;  // a steady clock
  virtual void Wait(std::chrono::milliseconds time) = 0;
};

// A start by Windows (restartPath set) and no recording program's window:
// the program is started and its window awaited, at most
// kRecorderWindowBound. Gives the history's line of what happened at now,
// none when there was nothing to do.
std::optional<HistoryEvent> BringBackRecorder(const std::optional<std::wstring>& restartPath,
                                              RecorderStarter& recorder, FileTime now,
                                              const NarrowText& narrow);

// The next start a closed dialog leaves unsent, when it lies within
// kNextStartToldWithin of now.
std::optional<FileTime> NextStartLeft(FileTime now, std::optional<FileTime> nextStart);

// The history's last event time: where a restarted scheduler looks for the
// windows it missed. older: the history renamed when it was full.
std::optional<FileTime> LastHistoryTime(std::string_view history, std::string_view older);

}  // namespace ormidal
