// Surviving a restart of Windows on Win32: the recording program's path
// from its window, Windows' restart of the scheduler kept in step with it,
// and the start of the program when Windows has restarted the scheduler.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "restart.h"

namespace ormidal {

// The full path of the program that owns window; empty when it cannot be had.
std::wstring ProgramPathOfWindow(HWND window);

// BringBackRecorder with the window titled after windowName and CreateProcessW.
std::optional<HistoryEvent> BringBackRecorderNow(const std::optional<std::wstring>& restartPath,
                                                 const std::string& windowName, FileTime now);

// Keeps the command line Windows restarts the scheduler with in step with
// the recording program's path.
class RestartRegistration {
 public:
  // startOptions: as start-up set them; knownPath: the restart option's
  // path, if any; tell: shows the user a notice without waiting.
  RestartRegistration(Options startOptions, std::wstring knownPath,
                      std::function<void(const std::string& text)> tell);
  // Learns the program of a recording program's window that is new since the
  // last call and registers when the command line changes. UI thread.
  void Update();

 private:
  void TellOnce(const std::string& text);

  const Options options_;
  std::wstring path_;
  HWND window_ = nullptr;
  std::optional<std::wstring> registered_;
  bool told_ = false;
  std::function<void(const std::string&)> tell_;
};

}  // namespace ormidal
