#include "harness.h"

#include <commctrl.h>
#include <sddl.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "recorder_protocol.h"

namespace e2e {
namespace {

std::string gDist;
constexpr int kMessageTextId = 0xFFFF;
constexpr std::size_t kTextRoom = 8192;

// A top-level window's title as the system keeps it, asked without a message.
std::string Title(HWND window) {
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  return Narrow(title);
}

struct Search {
  DWORD pid;
  const char* className;
  const char* title;
  bool all;
  std::vector<HWND> found;
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
  if (s.title != nullptr && Title(hwnd) != s.title) return TRUE;
  if (s.all && !IsWindowVisible(hwnd)) return TRUE;
  s.found.push_back(hwnd);
  return s.all ? TRUE : FALSE;
}

std::vector<HWND> ProcessWindows(DWORD pid, const char* className, const char* title, bool all) {
  Search search{pid, className, title, all, {}};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool KeyExistsHere(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

}  // namespace

// --- Programs and processes ---------------------------------------------

void SetDistFolder(const std::string& folder) {
  gDist = folder;
  if (!gDist.empty() && gDist[0] == '/') gDist = "Z:" + gDist;  // Wine's drive for the Unix root
  std::replace(gDist.begin(), gDist.end(), '/', '\\');
}

std::string ProgramPath(const char* name) { return gDist + "\\" + name; }

std::wstring DistFolder() { return Widen(gDist); }

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool Process::Start(const std::wstring& commandLine, const StartOptions& options) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  fw::ScopedHandle output;
  if (!options.output.empty()) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    output = fw::ScopedHandle(CreateFileW(options.output.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                          &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output) return false;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output.Get();
  }
  std::wstring line = commandLine;
  PROCESS_INFORMATION info{};
  started_ = std::chrono::steady_clock::now();
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, output.Valid(),
                      options.noWindow ? CREATE_NO_WINDOW : 0, nullptr,
                      options.directory.empty() ? nullptr : options.directory.c_str(), &startup,
                      &info)) {
    return false;
  }
  const fw::ScopedHandle thread(info.hThread);
  process_ = fw::ScopedHandle(info.hProcess);
  id_ = info.dwProcessId;
  return true;
}

bool Process::Start(const std::string& commandLine, const StartOptions& options) {
  return Start(Widen(commandLine), options);
}

bool Process::Running() const {
  return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(DWORD& exitCode, std::chrono::milliseconds timeout) {
  if (!process_ ||
      WaitForSingleObject(process_.Get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return false;
  }
  return GetExitCodeProcess(process_.Get(), &exitCode) != FALSE;
}

void Process::Kill() {
  if (Running()) {
    TerminateProcess(process_.Get(), 99);
    WaitForSingleObject(process_.Get(), 5000);
  }
}

bool Process::AnswerBoxes() {
  if (!process_) return true;
  for (HWND box : ProcessWindows(Id(), "#32770", nullptr, true)) {
    if (std::find(answered_.begin(), answered_.end(), box) != answered_.end()) continue;
    const HWND text = GetDlgItem(box, kMessageTextId);
    if (text == nullptr) continue;  // not built yet
    // Every box says something. Until the box's thread takes its first
    // message after a wait of more than 5 s, Wine counts it hung and the
    // text cannot be asked for yet.
    const std::wstring said = WideWindowText(text);
    if (said.empty()) continue;
    answered_.push_back(box);
    boxes_.push_back({WideWindowText(box), said});
    PressButton(box, IDOK);
  }
  if (exitCode_ != STILL_ACTIVE || Running()) return exitCode_ != STILL_ACTIVE;
  GetExitCodeProcess(process_.Get(), &exitCode_);
  seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  return true;
}

bool RunAll(const std::vector<Process*>& runs, std::chrono::milliseconds limit) {
  const bool ended = WaitFor(
      [&] {
        bool all = true;
        for (Process* run : runs) all = run->AnswerBoxes() && all;
        return all;
      },
      limit);
  if (!ended) {
    for (Process* run : runs) run->Kill();
  }
  return ended;
}

// --- Windows ---------------------------------------------------------------

HWND FindProcessWindow(DWORD pid, const char* className, const char* title) {
  const std::vector<HWND> found = ProcessWindows(pid, className, title, false);
  return found.empty() ? nullptr : found.front();
}

HWND WaitProcessWindow(DWORD pid, const char* className, const char* title,
                       std::chrono::milliseconds timeout) {
  const bool dialog = className != nullptr && std::string(className) == "#32770";
  HWND found = nullptr;
  const bool ready = WaitFor(
      [&] {
        found = FindProcessWindow(pid, className, title);
        return found != nullptr && (!dialog || IsWindowVisible(found));
      },
      timeout);
  return ready ? found : nullptr;
}

namespace {

struct TitleSearch {
  const std::string* part;
  DWORD excluded;
  std::vector<HWND> found;
};

BOOL CALLBACK MatchTitlePart(HWND hwnd, LPARAM param) {
  auto& s = *reinterpret_cast<TitleSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == s.excluded || owner == GetCurrentProcessId() || !IsWindowVisible(hwnd)) return TRUE;
  if (Title(hwnd).find(*s.part) != std::string::npos) s.found.push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> WindowsWithTitlePart(const std::string& part, DWORD excludedPid) {
  TitleSearch search{&part, excludedPid, {}};
  EnumWindows(&MatchTitlePart, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring WideWindowText(HWND window) {
  std::wstring text(kTextRoom, L'\0');
  DWORD_PTR copied = 0;
  if (SendMessageTimeoutW(window, WM_GETTEXT, kTextRoom, reinterpret_cast<LPARAM>(text.data()),
                          SMTO_ABORTIFHUNG, 5000, &copied) == 0) {
    return {};
  }
  text.resize(std::min<std::size_t>(copied, kTextRoom - 1));
  return text;
}

std::string WindowText(HWND window) { return Narrow(WideWindowText(window)); }

std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

void SetControlText(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string MessageBoxText(HWND box) { return ControlText(box, kMessageTextId); }

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

std::vector<std::string> MessageBoxTexts(DWORD pid, const char* caption) {
  std::vector<std::string> texts;
  for (HWND box : ProcessWindows(pid, "#32770", caption, true)) {
    const std::string text = MessageBoxText(box);
    if (!text.empty()) texts.push_back(text);
  }
  return texts;
}

void PressButton(HWND box, int id) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

void Click(HWND dialog, int id) { PressButton(dialog, id); }

void ClickButton(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool IsChecked(HWND dialog, int id) {
  return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
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

RecordingProgram::RecordingProgram(const std::string& title, const std::string& className)
    : title_(title), className_(className) {
  InitializeCriticalSection(&lock_);
  stopMessage_ = RegisterWindowMessageA(ormidal::kStopMessageName);
  ready_ = fw::ScopedHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  thread_ = fw::ScopedHandle(CreateThread(nullptr, 0, &RecordingProgram::Thread, this, 0, nullptr));
  WaitForSingleObject(ready_.Get(), 10000);
}

RecordingProgram::~RecordingProgram() {
  if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  if (thread_) WaitForSingleObject(thread_.Get(), 10000);
  DeleteCriticalSection(&lock_);
}

DWORD WINAPI RecordingProgram::Thread(void* param) {
  auto* self = static_cast<RecordingProgram*>(param);
  WNDCLASSA wc{};
  wc.lpfnWndProc = &RecordingProgram::Procedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = self->className_.c_str();
  RegisterClassA(&wc);
  self->hwnd_ = CreateWindowExA(0, wc.lpszClassName, self->title_.c_str(),
                                WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                wc.hInstance, self);
  SetEvent(self->ready_.Get());
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

// --- Common controls of another process ------------------------------------

RemoteBuffer::RemoteBuffer(HWND window, std::size_t size) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  process_ = fw::ScopedHandle(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
  if (process_) {
    address_ = VirtualAllocEx(process_.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
}

std::vector<std::string> BalloonTexts() {
  std::vector<std::string> texts;
  for (HWND tip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tip != nullptr;
       tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) {
    if (!IsWindowVisible(tip) || (GetWindowLongW(tip, GWL_STYLE) & TTS_BALLOON) == 0) continue;
    constexpr std::size_t kRoom = 1024;  // a tool's text is copied without a bound
    RemoteBuffer remote(tip, sizeof(TTTOOLINFOW) + kRoom * sizeof(wchar_t));
    if (remote.Address() == nullptr) continue;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.Address()) + sizeof tool);
    const wchar_t empty = L'\0';
    if (!remote.Write(&tool, sizeof tool) || !remote.Write(&empty, sizeof empty, sizeof tool) ||
        !SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(remote.Address()))) {
      continue;
    }
    std::wstring text(kRoom, L'\0');
    remote.Read(text.data(), kRoom * sizeof(wchar_t), sizeof tool);
    text.resize(text.find(L'\0'));
    texts.push_back(Narrow(text));
  }
  return texts;
}

RemoteBuffer::~RemoteBuffer() {
  if (address_ != nullptr) VirtualFreeEx(process_.Get(), address_, 0, MEM_RELEASE);
}

bool RemoteBuffer::Write(const void* data, std::size_t size, std::size_t offset) {
  return address_ != nullptr &&
         WriteProcessMemory(process_.Get(), static_cast<char*>(address_) + offset, data, size, nullptr);
}

bool RemoteBuffer::Read(void* data, std::size_t size, std::size_t offset) {
  return address_ != nullptr &&
         ReadProcessMemory(process_.Get(), static_cast<char*>(address_) + offset, data, size, nullptr);
}

namespace {

// Sends a message whose lParam points into remote; false when it is not
// answered or answers 0.
bool SendRemote(HWND control, UINT message, WPARAM wParam, RemoteBuffer& remote) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(control, message, wParam, reinterpret_cast<LPARAM>(remote.Address()),
                             SMTO_ABORTIFHUNG, 5000, &result) != 0 &&
         result != 0;
}

bool SendTime(HWND control, UINT message, WPARAM wParam, const SYSTEMTIME& time) {
  RemoteBuffer remote(control, sizeof(SYSTEMTIME));
  return remote.Write(&time, sizeof time) && SendRemote(control, message, wParam, remote);
}

bool ReceiveTime(HWND control, UINT message, SYSTEMTIME& time) {
  RemoteBuffer remote(control, sizeof(SYSTEMTIME));
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(control, message, 0, reinterpret_cast<LPARAM>(remote.Address()),
                             SMTO_ABORTIFHUNG, 5000, &ignored) != 0 &&
         remote.Read(&time, sizeof time);
}

// A text the control writes into the room behind a struct of type T.
template <class T>
std::string RemoteText(HWND control, UINT message, WPARAM wParam, T data, std::size_t room,
                       bool needAnswer) {
  RemoteBuffer remote(control, sizeof(T) + room);
  data.cchTextMax = static_cast<int>(room);
  data.pszText = static_cast<char*>(remote.Address()) + sizeof(T);
  if (!remote.Write(&data, sizeof data)) return {};
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(control, message, wParam, reinterpret_cast<LPARAM>(remote.Address()),
                          SMTO_ABORTIFHUNG, 5000, &answer) == 0 ||
      (needAnswer && answer == 0)) {
    return {};
  }
  std::string text(room, '\0');
  remote.Read(text.data(), room, sizeof(T));
  text.resize(text.find('\0'));
  return text;
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

std::string ListViewText(HWND view, int row, int column, std::size_t room) {
  LVITEMA item{};
  item.iSubItem = column;
  return RemoteText(view, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), item, room, false);
}

std::string ListViewHeading(HWND view, int column) {
  LVCOLUMNA data{};
  data.mask = LVCF_TEXT;
  return RemoteText(view, LVM_GETCOLUMNA, static_cast<WPARAM>(column), data, 256, true);
}

bool ListViewSelect(HWND view, const std::vector<int>& rows) {
  RemoteBuffer remote(view, sizeof(LVITEMA));
  for (int row = 0; row < ListViewRows(view); ++row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    if (std::find(rows.begin(), rows.end(), row) != rows.end()) item.state = LVIS_SELECTED;
    if (!remote.Write(&item, sizeof item)) return false;
    SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote.Address()));
  }
  return true;
}

bool ListViewRowPoint(HWND view, int row, POINT& screen) {
  RemoteBuffer remote(view, sizeof(RECT));
  RECT rect{};
  rect.left = LVIR_LABEL;
  if (!remote.Write(&rect, sizeof rect) ||
      !SendRemote(view, LVM_GETITEMRECT, static_cast<WPARAM>(row), remote) ||
      !remote.Read(&rect, sizeof rect)) {
    return false;
  }
  screen = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  return ClientToScreen(view, &screen) != FALSE;
}

// --- Files, folders and the registry ---------------------------------------

TempFolder::TempFolder(const std::filesystem::path& name) {
  static int counter = 0;
  root_ = std::filesystem::temp_directory_path() /
          ("e2e_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter));
  path_ = root_ / name;
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
  std::filesystem::create_directories(path_, ignored);
}

TempFolder::~TempFolder() {
  if (std::getenv("E2E_KEEP") != nullptr) return;
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  const fw::ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return {};
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

bool WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  const fw::ScopedHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool FileExists(const std::filesystem::path& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SetRegistryText(HKEY root, const std::wstring& path, const std::wstring& name,
                     const std::wstring& text) {
  fw::ScopedKey key;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr,
                      key.Receive(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  fw::ScopedKey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, key.Receive()) == ERROR_SUCCESS;
}

void DeleteKeyTree(HKEY root, const std::wstring& path) {
  {
    fw::ScopedKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, key.Receive()) !=
        ERROR_SUCCESS) {
      return;
    }
    RegDeleteTreeW(key.Get(), nullptr);
  }
  RegDeleteKeyExW(root, path.c_str(), KEY_WOW64_32KEY, 0);
}

std::wstring ReadRegistryText(HKEY root, const std::wstring& path, const std::wstring& name) {
  fw::ScopedKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, key.Receive()) != ERROR_SUCCESS) {
    return {};
  }
  wchar_t buffer[2048] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  if (RegGetValueW(key.Get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
    return {};
  }
  return buffer;
}

bool MakeKeyReadOnly(HKEY root, const std::wstring& path) {
  fw::ScopedKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, WRITE_DAC | KEY_WOW64_32KEY, key.Receive()) != ERROR_SUCCESS) {
    return false;
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return false;
  }
  const bool done = RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
  LocalFree(descriptor);
  return done;
}

KeyAway::KeyAway(HKEY root, const std::string& path) : root_(root), path_(path) {
  char value[MAX_PATH] = {};
  LONG size = sizeof value;
  had_ = RegQueryValueA(root, path.c_str(), value, &size) == ERROR_SUCCESS;
  value_ = value;
  RegDeleteKeyA(root, path.c_str());
  gone_ = !KeyExistsHere(root, path);
}

KeyAway::~KeyAway() {
  if (had_) RegSetValueA(root_, path_.c_str(), REG_SZ, value_.c_str(), 0);
}

std::optional<DWORD> RunCheck(const std::string& arguments, const std::filesystem::path& output) {
  Process check;
  DWORD code = 0;
  if (!check.Start("\"" + ProgramPath("ormidal-check.exe") + "\" " + arguments,
                   {L"", output, true}) ||
      !check.WaitExit(code, 20s)) {
    return std::nullopt;
  }
  return code;
}

}  // namespace e2e
