// Implements the restart with GetWindowThreadProcessId,
// QueryFullProcessImageNameW, RegisterApplicationRestart and CreateProcessW.
#include "restart_win32.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "recorder_window_win32.h"
#include "scoped_win32.h"
#include "text.h"
#include "text_win32.h"

namespace ormidal {
namespace {

// Windows' words for error, on one line.
std::string SystemWords(DWORD error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string words = length > 0 ? std::string(text, length) : std::string();
  LocalFree(text);
  while (!words.empty() && (words.back() == '\r' || words.back() == '\n' || words.back() == ' ')) {
    words.pop_back();
  }
  return "error " + std::to_string(error) + (words.empty() ? "" : " (" + words + ")");
}

// The recording program's window, by the title the scheduler knows it by.
HWND RecorderWindow(const std::string& windowName) {
  HWND window = nullptr;
  RecorderWindowTitle(windowName, [&](const char* title) {
    return (window = FindRecorderWindow(title)) != nullptr;
  });
  return window;
}

class Win32RecorderStarter final : public RecorderStarter {
 public:
  explicit Win32RecorderStarter(const std::string& windowName) : windowName_(windowName) {}
  bool WindowOpen() override { return RecorderWindow(windowName_) != nullptr; }

  std::string Start(const std::wstring& path) override {
    // Its own folder: documented calls cannot tell the folder it last ran in.
    std::wstring folder = fw::FolderOfPath<wchar_t>(path);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';  // "C:" alone is C:'s current folder
    std::wstring line = CommandLineArgument(path);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
      return SystemWords(GetLastError());
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return {};
  }

  std::chrono::milliseconds SinceStart() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - began_);
  }
  void Wait(std::chrono::milliseconds time) override { Sleep(static_cast<DWORD>(time.count())); }

 private:
  const std::string windowName_;
  const std::chrono::steady_clock::time_point began_ = std::chrono::steady_clock::now();
};

}  // namespace

std::wstring ProgramPathOfWindow(HWND window) {
  DWORD processId = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0) return {};
  // Limited rights are enough, also for a program of the other architecture.
  const fw::ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process.Get(), 0, path.data(), &size)) return {};
  path.resize(size);
  return path;
}

std::optional<HistoryEvent> BringBackRecorderNow(const std::optional<std::wstring>& restartPath,
                                                 const std::string& windowName, FileTime now) {
  Win32RecorderStarter starter(windowName);
  return BringBackRecorder(restartPath, starter, now,
                           [](std::wstring_view path) { return fw::Narrow(path); });
}

RestartRegistration::RestartRegistration(Options startOptions, std::wstring knownPath,
                                         std::function<void(const std::string&)> tell)
    : options_(std::move(startOptions)), path_(std::move(knownPath)), tell_(std::move(tell)) {}

void RestartRegistration::TellOnce(const std::string& text) {
  if (!std::exchange(told_, true)) tell_(text);
}

void RestartRegistration::Update() {
  // Listing every window each second costs more than the rest of an idle
  // second: look again only once the window known has gone.
  if (window_ == nullptr || !IsWindow(window_)) {
    window_ = RecorderWindow(options_.windowName);
    if (std::wstring path = ProgramPathOfWindow(window_); !path.empty()) path_ = std::move(path);
  }
  const RestartCommandLine line =
      MakeRestartCommandLine(options_, path_, [](std::string_view text) { return fw::Widen(text); });
  if (registered_ == line.arguments) return;
  registered_ = line.arguments;
  if (line.arguments.empty()) {
    TellOnce("Windows cannot restart the scheduler after an update: its command line would be "
             "longer than " + std::to_string(kRestartCommandLineLimit - 1) +
             " characters. After a restart, start the recording program and the scheduler "
             "yourself.");
    return;
  }
  // Flags 0: back after an update's restart, and after a crash or a hang as
  // well, which would also leave the night without a scheduler. Windows
  // restarts only a program that ran 60 s, so a failing start cannot loop.
  const HRESULT result = RegisterApplicationRestart(line.arguments.c_str(), 0);
  if (FAILED(result)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    TellOnce(std::string("Windows did not take the scheduler's restart command line (") + code +
             "). After a restart, start the recording program and the scheduler yourself.");
  } else if (line.withoutPath) {
    TellOnce("The recording program's path is too long for the scheduler's restart command "
             "line. After a restart Windows brings the scheduler back, but not the recording "
             "program: start it yourself.");
  }
}

}  // namespace ormidal
