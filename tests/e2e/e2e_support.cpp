#include "e2e_support.h"

#include <commctrl.h>

#include <thread>
#include <vector>

namespace e2e {
namespace {

std::string gDist;

struct Search {
  DWORD pid;
  const char* className;
  const char* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
  auto& s = *reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != s.pid) return TRUE;
  char buffer[512];
  if (s.className != nullptr) {
    GetClassNameA(hwnd, buffer, sizeof buffer);
    if (std::string(buffer) != s.className) return TRUE;
  }
  if (s.title != nullptr) {
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    if (std::string(buffer) != s.title) return TRUE;
  }
  s.found = hwnd;
  return FALSE;
}

LRESULT CALLBACK TitledWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void SetDistFolder(const std::string& folder) {
  gDist = folder;
  if (!gDist.empty() && gDist[0] == '/') {
    gDist = "Z:" + gDist;  // Wine's drive for the Unix root
  }
  for (char& c : gDist) {
    if (c == '/') c = '\\';
  }
}

std::string ProgramPath(const char* name) { return gDist + "\\" + name; }

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

Process::~Process() {
  Kill();
  if (info_.hProcess != nullptr) CloseHandle(info_.hProcess);
  if (info_.hThread != nullptr) CloseHandle(info_.hThread);
}

bool Process::Start(const std::string& commandLine, const std::string& directory) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info_) != FALSE;
}

bool Process::Running() const {
  return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD& exitCode, std::chrono::milliseconds timeout) {
  if (info_.hProcess == nullptr) return false;
  if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return false;
  }
  return GetExitCodeProcess(info_.hProcess, &exitCode) != FALSE;
}

void Process::Kill() {
  if (Running()) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
}

HWND FindProcessWindow(DWORD pid, const char* className, const char* title) {
  Search search{pid, className, title, nullptr};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitProcessWindow(DWORD pid, const char* className, const char* title,
                       std::chrono::milliseconds timeout) {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindProcessWindow(pid, className, title)) != nullptr; }, timeout);
  return found;
}

std::string WindowText(HWND window) {
  char buffer[8192] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

std::string MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

HWND WaitMessageBox(DWORD pid, const char* caption, std::chrono::milliseconds timeout) {
  HWND box = nullptr;
  WaitFor(
      [&] {
        box = FindProcessWindow(pid, "#32770", caption);
        return box != nullptr && !MessageBoxText(box).empty() && IsWindowVisible(box);
      },
      timeout);
  return box;
}

void PressButton(HWND box, int id) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

TitledWindow::TitledWindow(const std::string& title) : title_(title) {
  ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &TitledWindow::Thread, this, 0, &threadId_);
  WaitForSingleObject(ready_, 10000);
}

TitledWindow::~TitledWindow() {
  if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  if (thread_ != nullptr) {
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
  }
  CloseHandle(ready_);
}

DWORD WINAPI TitledWindow::Thread(void* param) {
  auto* self = static_cast<TitledWindow*>(param);
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TitledWindowProcedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "E2ETitledWindow";
  RegisterClassA(&wc);
  self->hwnd_ = CreateWindowExA(0, "E2ETitledWindow", self->title_.c_str(), WS_OVERLAPPEDWINDOW,
                                0, 0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  SetEvent(self->ready_);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

TempFolder::TempFolder(const std::string& name) {
  path_ = std::filesystem::temp_directory_path() / (name + "_" + std::to_string(GetCurrentProcessId()));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace e2e

namespace e2e {

RecordingProgram::RecordingProgram(const std::string& title) : title_(title) {
  InitializeCriticalSection(&lock_);
  stopMessage_ = RegisterWindowMessageA("Fendrel schedule");
  ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &RecordingProgram::Thread, this, 0, nullptr);
  WaitForSingleObject(ready_, 10000);
}

RecordingProgram::~RecordingProgram() {
  if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  if (thread_ != nullptr) {
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
  }
  CloseHandle(ready_);
  DeleteCriticalSection(&lock_);
}

DWORD WINAPI RecordingProgram::Thread(void* param) {
  auto* self = static_cast<RecordingProgram*>(param);
  WNDCLASSA wc{};
  wc.lpfnWndProc = &RecordingProgram::Procedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "E2ERecordingProgram";
  RegisterClassA(&wc);
  self->hwnd_ = CreateWindowExA(0, "E2ERecordingProgram", self->title_.c_str(),
                                WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                wc.hInstance, self);
  SetEvent(self->ready_);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

LRESULT CALLBACK RecordingProgram::Procedure(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(
                                               reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<RecordingProgram*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self != nullptr && (message == WM_COPYDATA || message == self->stopMessage_)) {
    Received r;
    GetLocalTime(&r.at);
    r.start = message == WM_COPYDATA;
    r.wParam = wParam;
    r.lParam = lParam;
    if (r.start) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      r.lParam = 0;
      r.dwData = data->dwData;
      r.bytes.assign(static_cast<const char*>(data->lpData), data->cbData);
    }
    EnterCriticalSection(&self->lock_);
    self->received_.push_back(r);
    LeaveCriticalSection(&self->lock_);
    return 1;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::vector<RecordingProgram::Received> RecordingProgram::Requests() {
  EnterCriticalSection(&lock_);
  std::vector<Received> copy = received_;
  LeaveCriticalSection(&lock_);
  return copy;
}

int RecordingProgram::Count(bool start) {
  int n = 0;
  for (const auto& r : Requests()) n += r.start == start;
  return n;
}

bool RecordingProgram::WaitCount(bool start, int count, std::chrono::milliseconds timeout) {
  return WaitFor([&] { return Count(start) >= count; }, timeout);
}

std::string Utf16Bytes(const std::string& text) {
  std::string bytes;
  for (unsigned char c : text) {
    bytes += static_cast<char>(c);
    bytes += '\0';
  }
  return bytes;
}

}  // namespace e2e

namespace e2e {

RemoteBuffer::RemoteBuffer(HWND window, std::size_t size) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process_ != nullptr) {
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
}

RemoteBuffer::~RemoteBuffer() {
  if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  if (process_ != nullptr) CloseHandle(process_);
}

bool RemoteBuffer::Write(const void* data, std::size_t size, std::size_t offset) {
  return address_ != nullptr &&
         WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
}

bool RemoteBuffer::Read(void* data, std::size_t size, std::size_t offset) {
  return address_ != nullptr &&
         ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
}

namespace {

bool SendTime(HWND control, UINT message, WPARAM wParam, const SYSTEMTIME& time) {
  RemoteBuffer remote(control, sizeof(SYSTEMTIME));
  if (!remote.Write(&time, sizeof time)) return false;
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(control, message, wParam, reinterpret_cast<LPARAM>(remote.Address()),
                             SMTO_ABORTIFHUNG, 5000, &result) != 0 &&
         result != 0;
}

bool ReceiveTime(HWND control, UINT message, SYSTEMTIME& time) {
  RemoteBuffer remote(control, sizeof(SYSTEMTIME));
  DWORD_PTR result = 0;
  if (SendMessageTimeoutA(control, message, 0, reinterpret_cast<LPARAM>(remote.Address()),
                          SMTO_ABORTIFHUNG, 5000, &result) == 0) {
    return false;
  }
  return remote.Read(&time, sizeof time);
}

}  // namespace

bool SetCalendarDate(HWND calendar, const SYSTEMTIME& date) {
  return SendTime(calendar, MCM_SETCURSEL, 0, date);
}
bool SetPickerTime(HWND picker, const SYSTEMTIME& time) {
  return SendTime(picker, DTM_SETSYSTEMTIME, GDT_VALID, time);
}
bool GetCalendarDate(HWND calendar, SYSTEMTIME& date) {
  return ReceiveTime(calendar, MCM_GETCURSEL, date);
}
bool GetPickerTime(HWND picker, SYSTEMTIME& time) {
  return ReceiveTime(picker, DTM_GETSYSTEMTIME, time);
}

int ListViewRows(HWND view) { return static_cast<int>(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0)); }

std::string ListViewText(HWND view, int row, int column, std::size_t kTextRoom) {
  RemoteBuffer remote(view, sizeof(LVITEMA) + kTextRoom);
  LVITEMA item{};
  item.iSubItem = column;
  item.cchTextMax = static_cast<int>(kTextRoom);
  item.pszText = static_cast<char*>(remote.Address()) + sizeof(LVITEMA);
  if (!remote.Write(&item, sizeof item)) return {};
  SendMessageA(view, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(remote.Address()));
  std::string text(kTextRoom, '\0');
  remote.Read(text.data(), kTextRoom, sizeof(LVITEMA));
  text.resize(text.find('\0'));
  return text;
}

bool ListViewSelect(HWND view, const std::vector<int>& rows) {
  RemoteBuffer remote(view, sizeof(LVITEMA));
  for (int row = 0; row < ListViewRows(view); ++row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    for (int wanted : rows) {
      if (wanted == row) item.state = LVIS_SELECTED;
    }
    if (!remote.Write(&item, sizeof item)) return false;
    SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote.Address()));
  }
  return true;
}


void SetControlText(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool IsChecked(HWND dialog, int id) {
  return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace e2e

namespace e2e {

bool ListViewRowPoint(HWND view, int row, POINT& screen) {
  RemoteBuffer remote(view, sizeof(RECT));
  RECT rect{};
  rect.left = LVIR_LABEL;
  if (!remote.Write(&rect, sizeof rect)) return false;
  DWORD_PTR ok = 0;
  if (SendMessageTimeoutA(view, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                          reinterpret_cast<LPARAM>(remote.Address()), SMTO_ABORTIFHUNG, 5000,
                          &ok) == 0 ||
      ok == 0 || !remote.Read(&rect, sizeof rect)) {
    return false;
  }
  screen = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  return ClientToScreen(view, &screen) != FALSE;
}

std::string ListViewHeading(HWND view, int column) {
  constexpr std::size_t kTextRoom = 256;
  RemoteBuffer remote(view, sizeof(LVCOLUMNA) + kTextRoom);
  LVCOLUMNA data{};
  data.mask = LVCF_TEXT;
  data.cchTextMax = static_cast<int>(kTextRoom);
  data.pszText = static_cast<char*>(remote.Address()) + sizeof(LVCOLUMNA);
  if (!remote.Write(&data, sizeof data)) return {};
  DWORD_PTR ok = 0;
  if (SendMessageTimeoutA(view, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                          reinterpret_cast<LPARAM>(remote.Address()), SMTO_ABORTIFHUNG, 5000,
                          &ok) == 0 ||
      ok == 0) {
    return {};
  }
  std::string text(kTextRoom, '\0');
  remote.Read(text.data(), kTextRoom, sizeof(LVCOLUMNA));
  text.resize(text.find('\0'));
  return text;
}

HWND FocusedWindow(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool Settle(HWND window) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored) != 0;
}

std::string ControlText(HWND dialog, int id) {
  char buffer[8192] = {};
  DWORD_PTR copied = 0;
  if (SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof buffer,
                          reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &copied) == 0) {
    return {};
  }
  return std::string(buffer, copied);
}

void ClickButton(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

namespace {

struct TitleSearch {
  const std::string* part;
  DWORD excluded;
  HWND found;
};

BOOL CALLBACK MatchTitlePart(HWND hwnd, LPARAM param) {
  auto& s = *reinterpret_cast<TitleSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == s.excluded || owner == GetCurrentProcessId() || !IsWindowVisible(hwnd)) return TRUE;
  if (WindowText(hwnd).find(*s.part) == std::string::npos) return TRUE;
  s.found = hwnd;
  return FALSE;
}

}  // namespace

HWND FindWindowWithTitlePart(const std::string& text, DWORD excludedPid) {
  TitleSearch search{&text, excludedPid, nullptr};
  EnumWindows(&MatchTitlePart, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace e2e
