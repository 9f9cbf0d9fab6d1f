// Helpers for end-to-end tests that run the finished programs under Wine:
// starting them, finding their windows and message boxes, bounded waits.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Absolute Windows path of a finished program in dist/ (given to the test as
// its first argument, possibly as a Unix path).
std::string ProgramPath(const char* name);
void SetDistFolder(const std::string& folder);

// Polls condition every 20 ms until it holds or timeout passes.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::seconds(10));

class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  bool Start(const std::string& commandLine, const std::string& directory = "");
  DWORD Id() const { return info_.dwProcessId; }
  bool Running() const;
  // Waits for the process to end; true with its exit code when it did.
  bool WaitExit(DWORD& exitCode, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  void Kill();

 private:
  PROCESS_INFORMATION info_{};
};

// The first top-level window of process pid with the given class (nullptr:
// any) and title (nullptr: any).
HWND FindProcessWindow(DWORD pid, const char* className, const char* title);
HWND WaitProcessWindow(DWORD pid, const char* className, const char* title,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));

std::string WindowText(HWND window);
// The text of a message box (its static control 0xFFFF).
std::string MessageBoxText(HWND box);
// A message box of process pid with the given caption, once its text is in place.
HWND WaitMessageBox(DWORD pid, const char* caption,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Presses the button with the given identifier (IDOK, IDYES, IDNO) of a message box.
void PressButton(HWND box, int id);

// A top-level window with the given title on a thread of its own, as a
// recording program has.
class TitledWindow {
 public:
  explicit TitledWindow(const std::string& title);
  ~TitledWindow();
  HWND Handle() const { return hwnd_; }

 private:
  static DWORD WINAPI Thread(void* self);
  std::string title_;
  HANDLE thread_ = nullptr;
  HANDLE ready_ = nullptr;
  DWORD threadId_ = 0;
  HWND hwnd_ = nullptr;
};

// A recording program as the scheduler sees it: a top-level window with the
// given title that records every start request (WM_COPYDATA) and stop
// request ("Fendrel schedule") it receives, with the local time of arrival.
class RecordingProgram {
 public:
  struct Received {
    bool start = false;           // else a stop request
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    ULONG_PTR dwData = 0;
    std::string bytes;            // the WM_COPYDATA data as sent
    SYSTEMTIME at{};
  };
  explicit RecordingProgram(const std::string& title);
  ~RecordingProgram();
  HWND Handle() const { return hwnd_; }
  std::vector<Received> Requests();
  int Count(bool start);
  // Waits until count requests of the kind have arrived.
  bool WaitCount(bool start, int count, std::chrono::milliseconds timeout);

 private:
  static DWORD WINAPI Thread(void* self);
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  std::string title_;
  HANDLE thread_ = nullptr;
  HANDLE ready_ = nullptr;
  HWND hwnd_ = nullptr;
  UINT stopMessage_ = 0;
  CRITICAL_SECTION lock_;
  std::vector<Received> received_;
};

// The UTF-16 bytes of 8-bit text, as the start request carries them.
std::string Utf16Bytes(const std::string& text);

// Memory in another process, for messages that carry a struct (the common
// controls read and write it in their own process).
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, std::size_t size);
  ~RemoteBuffer();
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  void* Address() const { return address_; }
  bool Write(const void* data, std::size_t size, std::size_t offset = 0);
  bool Read(void* data, std::size_t size, std::size_t offset = 0);

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

// The date of a month calendar and the time of a date-time picker of another process.
bool SetCalendarDate(HWND calendar, const SYSTEMTIME& date);
bool SetPickerTime(HWND picker, const SYSTEMTIME& time);
bool GetCalendarDate(HWND calendar, SYSTEMTIME& date);
bool GetPickerTime(HWND picker, SYSTEMTIME& time);

// Rows of a report list view of another process.
int ListViewRows(HWND view);
// The text of a cell as a caller with room characters of buffer gets it.
std::string ListViewText(HWND view, int row, int column, std::size_t room = 8192);
// Selects exactly the given rows.
bool ListViewSelect(HWND view, const std::vector<int>& rows);

// Text of a control of another process (asked with WM_GETTEXT, which edit
// boxes answer across processes), and setting it as the user would have typed it.
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
// Clicks a button of a dialog (posted, so a message box it opens does not block the test).
void Click(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);

// A fresh folder under the temporary folder, removed afterwards.
class TempFolder {
 public:
  explicit TempFolder(const std::string& name);
  ~TempFolder();
  const std::filesystem::path& Path() const { return path_; }
  std::string Windows() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace e2e

namespace e2e {

// The middle of a row of a list view of another process, in screen coordinates.
bool ListViewRowPoint(HWND view, int row, POINT& screen);
// The heading of a column of a report list view of another process.
std::string ListViewHeading(HWND view, int column);
// The control that has the keyboard focus on the thread that owns window.
HWND FocusedWindow(HWND window);
// Sends a message that does nothing and waits until window's thread has taken
// it, so that whatever that thread was doing before has run or is waiting for
// the user.
bool Settle(HWND window);
// A click on a button or check box as the mouse gives it, so that an auto
// check box toggles itself before its owner hears of it. Posted.
void ClickButton(HWND dialog, int id);
// A visible top-level window of another process whose title contains text.
HWND FindWindowWithTitlePart(const std::string& text, DWORD excludedPid);

}  // namespace e2e
