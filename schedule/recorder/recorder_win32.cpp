// Implements RecorderWindows with FindRecorderWindow, WM_COPYDATA and PostMessageA.
// Requests run on threads of their own and talk to the recording program's
// window directly; the scheduler's own windows they reach only through the
// user-interface queue.
#include "recorder_win32.h"

#include <shellapi.h>

#include <vector>

#include "recorder_window_win32.h"
#include "ui_queue.h"

namespace ormidal {
namespace {

constexpr int kWideBufferUnits = 1000;

HWND AsWindow(RecorderWindows::Handle handle) { return reinterpret_cast<HWND>(handle); }

}  // namespace

RecorderWindows::Handle Win32RecorderWindows::Find(const std::string& title) {
  return reinterpret_cast<Handle>(FindRecorderWindow(title));
}

void Win32RecorderWindows::Restore(Handle window) { ShowWindow(AsWindow(window), SW_RESTORE); }

void Win32RecorderWindows::LowerMainWindow() {
  // Queued for the main window's own thread: the start request does not wait
  // for it, nor for a fill of the dialog that thread may be busy with.
  fw::ui::Post([window = mainWindow_] {
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(window, SW_MINIMIZE);
  });
}

void Win32RecorderWindows::SendStart(Handle window, const std::string& text, bool audioMode) {
  COPYDATASTRUCT data{};
  data.dwData = kStartRequestData;
  std::vector<char> narrow(text.begin(), text.end());
  narrow.push_back('\0');
  // The recording programs read as many bytes as the 8-bit text has, twice;
  // the buffer is zero-filled so that any unused room reads as zeros.
  std::vector<wchar_t> wide(kWideBufferUnits, L'\0');
  if (audioMode) {
    data.lpData = narrow.data();
    data.cbData = static_cast<DWORD>(text.size());
  } else {
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        kWideBufferUnits - 1);
    data.lpData = wide.data();
    data.cbData = static_cast<DWORD>(2 * text.size());
  }
  SendMessageA(AsWindow(window), WM_COPYDATA, kStartRequestCode, reinterpret_cast<LPARAM>(&data));
}

void Win32RecorderWindows::PostStop(Handle window) {
  PostMessageA(AsWindow(window), stopMessage_, kStopRequestCode, kStopRequestCode);
}

void OpenHelp(RecorderWindows& windows) {
  const std::string page = HelpPage(windows);
  if (page.empty()) return;
  ShellExecuteA(nullptr, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TestUrl(const std::string& text, int32_t browserLaunch, const std::string& mainTitle,
             SchedulerHost& host) {
  const TestUrlAction action = DecideTestUrl(text, browserLaunch, mainTitle);
  switch (action.kind) {
    case TestUrlAction::kNothing:
      return;
    case TestUrlAction::kAudioOnlyMessage:
      host.SchedulerMessage("This URL can only be tested with Sonvee.", kMessageOk);
      return;
    case TestUrlAction::kOpenWithBrowser:
      ShellExecuteA(nullptr, "open", action.file.c_str(), action.parameters.c_str(), nullptr,
                    SW_SHOWNORMAL);
      return;
    case TestUrlAction::kOpenWithDefault:
      ShellExecuteA(nullptr, "open", action.file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      return;
  }
}

}  // namespace ormidal
