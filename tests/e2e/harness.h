// The one harness of the end-to-end tests, which run the finished programs
// under Wine: starting them, finding and driving their windows, dialogs,
// message boxes and common controls, the recording program's side of the
// window messages, and the files, folders and registry keys they use.
// Every wait is bounded.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "scoped_win32.h"
#include "window_win32.h"

namespace e2e {

using namespace std::chrono_literals;

// --- Programs and processes ---------------------------------------------

// The folder of the finished programs, given to every test as its first
// argument (ctest names it by its Unix path).
void SetDistFolder(const std::string& folder);
std::string ProgramPath(const char* name);
std::wstring DistFolder();

// Polls condition every 20 ms until it holds or timeout passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

struct SeenBox {
  std::wstring caption;
  std::wstring text;
};

// How a process is started.
struct StartOptions {
  std::wstring directory;          // empty: this process's
  std::filesystem::path output;    // when set, standard output and error go there
  bool noWindow = false;           // a console program without a console window
};

// One run of a program, ended by handle (never by name) if it is still
// running when the object goes.
class Process {
 public:
  Process() = default;
  ~Process() { Kill(); }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Start(const std::wstring& commandLine, const StartOptions& options);
  bool Start(const std::string& commandLine, const StartOptions& options = {});
  DWORD Id() const { return id_; }
  bool Running() const;
  // Waits for the process to end; true with its exit code when it did.
  bool WaitExit(DWORD& exitCode, std::chrono::milliseconds timeout = 10s);
  void Kill();
  // Answers with OK every message box the process shows, each once, and
  // keeps what it said; true once the process has ended.
  bool AnswerBoxes();
  const std::vector<SeenBox>& Boxes() const { return boxes_; }
  DWORD ExitCode() const { return exitCode_; }
  // From the start to the end that AnswerBoxes saw.
  double Seconds() const { return seconds_; }

 private:
  fw::ScopedHandle process_;
  DWORD id_ = 0;
  std::chrono::steady_clock::time_point started_;
  DWORD exitCode_ = STILL_ACTIVE;
  double seconds_ = 0;
  std::vector<HWND> answered_;
  std::vector<SeenBox> boxes_;
};

// ormidal-check.exe with arguments, its standard output into the file output
// (each run a file of its own: an ended run may hold its file for a moment);
// its exit code, or none when it did not end within 20 s.
std::optional<DWORD> RunCheck(const std::string& arguments, const std::filesystem::path& output);

// Answers the boxes of all until every one has ended; false, with the rest
// killed, when that takes longer than limit.
bool RunAll(const std::vector<Process*>& runs, std::chrono::milliseconds limit);

// --- Windows ---------------------------------------------------------------

// The first top-level window of process pid with the given class (nullptr:
// any) and title (nullptr: any).
HWND FindProcessWindow(DWORD pid, const char* className, const char* title);
// As FindProcessWindow, once there is one; a dialog ("#32770") only once it
// is shown, which the programs do after its WM_INITDIALOG: before, its
// controls may be missing or empty.
HWND WaitProcessWindow(DWORD pid, const char* className, const char* title,
                       std::chrono::milliseconds timeout = 10s);
// Visible top-level windows of other processes whose title contains part.
std::vector<HWND> WindowsWithTitlePart(const std::string& part, DWORD excludedPid = 0);

// A window's text, asked with WM_GETTEXT, which windows of other processes
// answer too.
std::wstring WideWindowText(HWND window);
std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);
// Sets a control's text as the user would have typed it.
void SetControlText(HWND dialog, int id, const std::string& text);

// The text of a message box (its static control 0xFFFF).
std::string MessageBoxText(HWND box);
// A message box of process pid with the given caption, once its text is in place.
HWND WaitMessageBox(DWORD pid, const char* caption, std::chrono::milliseconds timeout = 10s);
// The texts of every shown message box of process pid with the given caption.
std::vector<std::string> MessageBoxTexts(DWORD pid, const char* caption);
// Presses the button with the given identifier (IDOK, IDYES, IDNO) of a message box.
void PressButton(HWND box, int id);

// Clicks a button of a dialog (posted, so a message box it opens does not block the test).
void Click(HWND dialog, int id);
// A click as the mouse gives it, so that an auto check box toggles itself
// before its owner hears of it. Posted.
void ClickButton(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
// The control that has the keyboard focus on the thread that owns window.
HWND FocusedWindow(HWND window);
// Sends a message that does nothing and waits until window's thread has taken
// it, so that whatever that thread was doing before has run or is waiting for
// the user.
bool Settle(HWND window);

// A recording program as the scheduler sees it: a top-level window with the
// given title on a thread of its own that records every start request
// (WM_COPYDATA) and stop request (the registered stop message) it receives, with the
// local time of arrival.
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
  // className: another program's window class under the same title, such as
  // File Explorer's on a folder of that name.
  explicit RecordingProgram(const std::string& title,
                            const std::string& className = "E2ERecordingProgram");
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
  std::string className_;
  fw::ScopedHandle thread_;
  fw::ScopedHandle ready_;
  HWND hwnd_ = nullptr;
  UINT stopMessage_ = 0;
  CRITICAL_SECTION lock_;
  std::vector<Received> received_;
};

// The UTF-16 bytes of 8-bit text, as the start request carries them.
std::string Utf16Bytes(const std::string& text);

// --- Common controls of another process ------------------------------------

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
  fw::ScopedHandle process_;
  void* address_ = nullptr;
};

// The texts of the balloons the notification area shows now, of any process
// (the shell draws them as tooltip windows of its own).
std::vector<std::string> BalloonTexts();

bool SetCalendarDate(HWND calendar, const SYSTEMTIME& date);
bool SetPickerTime(HWND picker, const SYSTEMTIME& time);
bool GetCalendarDate(HWND calendar, SYSTEMTIME& date);
bool GetPickerTime(HWND picker, SYSTEMTIME& time);

int ListViewRows(HWND view);
// The text of a cell as a caller with room characters of buffer gets it.
std::string ListViewText(HWND view, int row, int column, std::size_t room = 8192);
std::string ListViewHeading(HWND view, int column);
// Selects exactly the given rows.
bool ListViewSelect(HWND view, const std::vector<int>& rows);
// The middle of a row, in screen coordinates.
bool ListViewRowPoint(HWND view, int row, POINT& screen);

// --- Files, folders and the registry ---------------------------------------

// A fresh folder of the given name below the temporary folder, removed with
// everything in it afterwards (kept when E2E_KEEP is set, for a look after
// a failure).
class TempFolder {
 public:
  explicit TempFolder(const std::filesystem::path& name);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string Windows() const { return path_.string(); }
  std::wstring Wide() const { return path_.wstring(); }

 private:
  std::filesystem::path root_;
  std::filesystem::path path_;
};

// Whole files, read while others may hold them open.
std::string ReadFileBytes(const std::filesystem::path& path);
bool WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
bool FileExists(const std::filesystem::path& path);

// Registry keys in the 32-bit view, where the capture filters live; the
// other keys the tests touch are shared by both views.
bool SetRegistryText(HKEY root, const std::wstring& path, const std::wstring& name,
                     const std::wstring& text);
bool KeyExists(HKEY root, const std::wstring& path);
void DeleteKeyTree(HKEY root, const std::wstring& path);
std::wstring ReadRegistryText(HKEY root, const std::wstring& path, const std::wstring& name);
// Leaves everyone only read access to the key, as a user without elevation
// has to the filters' keys on Windows.
bool MakeKeyReadOnly(HKEY root, const std::wstring& path);

// A key of the programs' own view, without subkeys, taken away for a while
// and put back with its default value when the object goes.
class KeyAway {
 public:
  KeyAway(HKEY root, const std::string& path);
  ~KeyAway();
  KeyAway(const KeyAway&) = delete;
  KeyAway& operator=(const KeyAway&) = delete;
  bool Gone() const { return gone_; }

 private:
  HKEY root_;
  std::string path_;
  std::string value_;
  bool had_ = false;
  bool gone_ = false;
};

// In the system code page, as the programs convert.
using fw::Narrow;
using fw::Widen;

}  // namespace e2e
