// The stand-in recording program: a top-level window with the recording
// program's title that prints every start and stop request it receives, and
// that can start the scheduler as a recording program does. Win32 console
// program; the decoding lives in start_request.cpp.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "scoped_win32.h"
#include "standin_options.h"
#include "start_request.h"
#include "text_win32.h"

namespace {

constexpr UINT_PTR kEndTimer = 1;
// The scheduler ends itself once our window is gone; after this it is ended for it.
constexpr DWORD kSchedulerEndGraceMs = 2000;

struct Standin {
  standin::StandinOptions options;
  bool audio = false;
  UINT stopMessage = 0;
  HWND window = nullptr;
  std::string status = "Waiting for requests";
  int starts = 0;
  int stops = 0;
};
Standin gStandin;

std::string LocalTimeText() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", t.wHour, t.wMinute, t.wSecond,
                t.wMilliseconds);
  return text;
}

// A stand-in that a scheduler started has no output of ours to print to: the
// environment may name a file that gets a copy of every line.
constexpr char kOutputCopyVariable[] = "RECORDER_STANDIN_OUTPUT";
FILE* gOutputCopy = nullptr;

void Print(const std::string& line) {
  std::printf("%s %s\n", LocalTimeText().c_str(), line.c_str());
  std::fflush(stdout);  // the demo reads our output through a pipe
  if (gOutputCopy != nullptr) {
    std::fprintf(gOutputCopy, "%s %s\n", LocalTimeText().c_str(), line.c_str());
    std::fflush(gOutputCopy);
  }
}

// The start text as UTF-8, whichever of the two forms it came in.
std::string StartTextOf(const COPYDATASTRUCT& data, bool audio) {
  const auto* bytes = static_cast<const char*>(data.lpData);
  std::wstring wide;
  if (bytes != nullptr && audio) {
    wide = fw::Widen(std::string_view(bytes, data.cbData), CP_ACP);
  } else if (bytes != nullptr) {
    wide.resize(data.cbData / sizeof(wchar_t));
    CopyMemory(wide.data(), bytes, wide.size() * sizeof(wchar_t));
  }
  while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
  return fw::Narrow(wide, CP_UTF8);
}

void ShowStatus(const std::string& status) {
  gStandin.status = status;
  InvalidateRect(gStandin.window, nullptr, TRUE);
}

LRESULT OnStartRequest(WPARAM wParam, const COPYDATASTRUCT& data) {
  if (wParam != standin::kStartRequestCode) {
    Print("WM_COPYDATA with wParam " + std::to_string(wParam) + ": not a start request");
    return FALSE;
  }
  const std::string text = StartTextOf(data, gStandin.audio);
  ++gStandin.starts;
  const auto request = standin::ParseStartText(text);
  if (!request) {
    Print("start request not understood (" + std::to_string(data.cbData) + " bytes): " + text);
    return FALSE;
  }
  Print("start request: file \"" + request->name + "\", position \"" + request->position +
        "\", URL \"" + request->url + "\", program \"" + request->program + "\", seconds " +
        std::to_string(request->seconds) + " (" + std::to_string(data.cbData) + " bytes, " +
        (gStandin.audio ? "8-bit" : "UTF-16") + ")");
  // A recording program places its window where the recording is to be.
  if (const auto rect = standin::ParsePosition(request->position)) {
    SetWindowPos(gStandin.window, HWND_TOP, rect->left, rect->top, rect->right - rect->left,
                 rect->bottom - rect->top, SWP_NOACTIVATE);
  }
  ShowStatus("Recording \"" + request->name + "\" from " + request->url + " for " +
             std::to_string(request->seconds) + " s, since " + LocalTimeText());
  return TRUE;
}

LRESULT OnStopRequest(WPARAM wParam, LPARAM lParam) {
  if (wParam != standin::kStopRequestCode || lParam != standin::kStopRequestCode) {
    Print("\"" + std::string(standin::kStopMessageName) + "\" with wParam " +
          std::to_string(wParam) + ", lParam " + std::to_string(lParam) + ": not a stop request");
    return 0;
  }
  ++gStandin.stops;
  Print("stop request");
  ShowStatus("Stopped at " + LocalTimeText());
  return 1;
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT area;
  GetClientRect(hwnd, &area);
  InflateRect(&area, -12, -12);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  const std::string text = "Stand-in recording program \"" + gStandin.options.title + "\"\n\n" +
                           gStandin.status + "\n\nStart requests: " +
                           std::to_string(gStandin.starts) +
                           "\nStop requests: " + std::to_string(gStandin.stops);
  DrawTextA(dc, text.c_str(), -1, &area, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == gStandin.stopMessage && message != 0) return OnStopRequest(wParam, lParam);
  switch (message) {
    case WM_COPYDATA:
      return OnStartRequest(wParam, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_TIMER:
      if (wParam == kEndTimer) {
        Print("ending after " + std::to_string(gStandin.options.seconds) + " s");
        DestroyWindow(hwnd);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

bool CreateMainWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &WindowProcedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "RecorderStandin";
  if (RegisterClassA(&wc) == 0) return false;
  gStandin.window = CreateWindowExA(0, wc.lpszClassName, gStandin.options.title.c_str(),
                                    WS_OVERLAPPEDWINDOW, 40, 40, 480, 240, nullptr, nullptr,
                                    wc.hInstance, nullptr);
  if (gStandin.window == nullptr) return false;
  ShowWindow(gStandin.window, SW_SHOWNORMAL);
  UpdateWindow(gStandin.window);
  return true;
}

// Ends the scheduler we started if it has not ended by itself.
void EndScheduler(const fw::ScopedHandle& scheduler, DWORD id) {
  if (!scheduler) return;
  if (WaitForSingleObject(scheduler.Get(), kSchedulerEndGraceMs) == WAIT_TIMEOUT) {
    Print("ending the scheduler (process " + std::to_string(id) + ")");
    TerminateProcess(scheduler.Get(), 0);
    WaitForSingleObject(scheduler.Get(), 5000);
  } else {
    Print("the scheduler has ended");
  }
}

}  // namespace

int main(int argc, char** argv) {
  SetConsoleOutputCP(CP_UTF8);
  if (const char* copy = std::getenv(kOutputCopyVariable)) gOutputCopy = std::fopen(copy, "a");
  gStandin.options = standin::ParseStandinArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!gStandin.options.error.empty()) {
    std::fprintf(stderr,
                 "%s\nusage: recorder-standin [TITLE] [/start \"COMMAND LINE\"] [/seconds N]\n",
                 gStandin.options.error.c_str());
    return 2;
  }
  gStandin.audio = standin::IsAudioTitle(gStandin.options.title);
  gStandin.stopMessage = RegisterWindowMessageA(standin::kStopMessageName);
  if (!CreateMainWindow()) {
    std::fprintf(stderr, "cannot create the window (error %lu)\n", GetLastError());
    return 1;
  }
  Print("window \"" + gStandin.options.title + "\" open, expecting " +
        (gStandin.audio ? "8-bit" : "UTF-16") + " start requests");

  // Started only now: the scheduler looks for our window as it starts.
  PROCESS_INFORMATION started{};
  if (!gStandin.options.startCommand.empty()) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::vector<char> line(gStandin.options.startCommand.begin(),
                           gStandin.options.startCommand.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
      Print("cannot start " + gStandin.options.startCommand + " (error " +
            std::to_string(GetLastError()) + ")");
      DestroyWindow(gStandin.window);
      return 1;
    }
    Print("started " + gStandin.options.startCommand + " (process " +
          std::to_string(started.dwProcessId) + ")");
  }
  const fw::ScopedHandle scheduler(started.hProcess);
  const fw::ScopedHandle schedulerThread(started.hThread);
  if (gStandin.options.seconds > 0) {
    SetTimer(gStandin.window, kEndTimer, static_cast<UINT>(gStandin.options.seconds) * 1000, nullptr);
  }

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  EndScheduler(scheduler, started.dwProcessId);
  Print("received " + std::to_string(gStandin.starts) + " start and " +
        std::to_string(gStandin.stops) + " stop requests");
  return 0;
}
