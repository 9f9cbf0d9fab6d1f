// Implements Win32ReloadSystem: each member is one system call or a short
// sequence of them, with no decisions of the tool's own.
#include "reload_system_win32.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "registry_text.h"
#include "text_win32.h"

namespace reload {
namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::ClassesRoot:
      break;
  }
  return HKEY_CLASSES_ROOT;
}

// Read access is all the tool needs, and all a user without elevation gets.
// The filters are 32-bit COM servers: their registration is looked up in the
// 32-bit view whatever this build's own architecture.
REGSAM ReadAccess(RegistryRoot root) {
  return root == RegistryRoot::ClassesRoot ? KEY_READ | KEY_WOW64_32KEY : KEY_READ;
}

}  // namespace

int32_t Win32ReloadSystem::ProbeKey(RegistryRoot root, const std::wstring& path) {
  fw::ScopedKey key;
  return static_cast<int32_t>(RegOpenKeyExW(RootKey(root), path.c_str(), 0, ReadAccess(root), key.Receive()));
}

RegistryText Win32ReloadSystem::ReadText(RegistryRoot root, const std::wstring& path,
                                         const std::wstring& valueName) {
  RegistryText out;
  fw::ScopedKey key;
  out.openResult =
      static_cast<int32_t>(RegOpenKeyExW(RootKey(root), path.c_str(), 0, ReadAccess(root), key.Receive()));
  if (out.openResult != ERROR_SUCCESS) return out;
  const StringValue value = ReadStringValue([&](unsigned char* data, uint32_t& size) {
    DWORD bytes = size;
    const LONG result = RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, nullptr, data, &bytes);
    size = bytes;
    return static_cast<int32_t>(result);
  });
  out.readResult = value.result;
  out.text = value.text;
  return out;
}

WindowsVersion Win32ReloadSystem::GetWindowsVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  GetVersionExW(&info);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

bool Win32ReloadSystem::HasGetProductInfo() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel != nullptr && GetProcAddress(kernel, "GetProductInfo") != nullptr;
}

SystemFacts Win32ReloadSystem::GetSystemFacts() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return {info.dwNumberOfProcessors, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
          GetSystemMetrics(SM_CMONITORS)};
}

LocalTime Win32ReloadSystem::LocalNow() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::optional<std::wstring> Win32ReloadSystem::Folder(KnownFolder folder) {
  std::vector<wchar_t> path(MAX_PATH + 1, L'\0');
  if (folder == KnownFolder::Temp) {
    const DWORD n = GetTempPathW(static_cast<DWORD>(path.size()), path.data());
    if (n == 0 || n >= path.size()) return std::nullopt;
    return std::wstring(path.data(), n);
  }
  const int id = folder == KnownFolder::LocalAppData ? CSIDL_LOCAL_APPDATA : CSIDL_APPDATA;
  if (FAILED(SHGetFolderPathW(nullptr, id, nullptr, 0, path.data()))) return std::nullopt;
  return std::wstring(path.data());
}

std::wstring Win32ReloadSystem::AnsiToWide(std::string_view bytes) { return fw::Widen(bytes, CP_ACP); }

// No look-alikes: a character the code page lacks shows as "?", not as another one.
std::string Win32ReloadSystem::WideToAnsi(std::wstring_view text) {
  return fw::Narrow(text, CP_ACP, fw::Unmapped::kQuestionMark);
}

int32_t Win32ReloadSystem::OpenLog(const std::wstring& path) {
  CloseLog();
  // Unbuffered writes: a WM_CLOSE that ends the process early loses nothing.
  log_ = fw::ScopedHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (log_) return 0;
  const DWORD error = GetLastError();
  return static_cast<int32_t>(error != 0 ? error : ERROR_OPEN_FAILED);
}

void Win32ReloadSystem::WriteLog(std::string_view bytes) {
  if (!log_) return;
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(log_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0) return;
    bytes.remove_prefix(written);
  }
}

void Win32ReloadSystem::CloseLog() { log_.Close(); }

std::optional<std::string> Win32ReloadSystem::ReadFileStart(const std::wstring& path, std::size_t maxBytes) {
  const fw::ScopedHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return std::nullopt;
  std::string bytes(maxBytes, '\0');
  std::size_t total = 0;
  while (total < maxBytes) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data() + total, static_cast<DWORD>(maxBytes - total), &read, nullptr) ||
        read == 0) {
      break;
    }
    total += read;
  }
  bytes.resize(total);
  return bytes;
}

std::intptr_t Win32ReloadSystem::ShellRun(const std::wstring& verb, const std::wstring& file) {
  const HINSTANCE result =
      ShellExecuteW(nullptr, verb.c_str(), file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<std::intptr_t>(result);
}

BatchStart Win32ReloadSystem::StartBatch(const std::wstring& verb, const std::wstring& file) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // The process handle is what the wait follows; the tool reports failures itself.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = verb.c_str();
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  BatchStart start;
  if (!ShellExecuteExW(&info)) {
    const DWORD error = GetLastError();
    start.error = static_cast<int32_t>(error != 0 ? error : ERROR_FILE_NOT_FOUND);
    return start;
  }
  start.started = true;
  start.process = reinterpret_cast<BatchProcess>(info.hProcess);
  return start;
}

bool Win32ReloadSystem::WaitForBatch(BatchProcess process, uint32_t milliseconds) {
  const fw::ScopedHandle handle(reinterpret_cast<HANDLE>(process));
  HANDLE batch = handle.Get();
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  const auto left = [deadline] {
    const ULONGLONG now = GetTickCount64();
    return now < deadline ? static_cast<DWORD>(deadline - now) : DWORD{0};
  };
  // Messages are dispatched all along: the main window is top-level, and a
  // program that sends a message to every top-level window waits for each.
  for (;;) {
    const DWORD woken = MsgWaitForMultipleObjectsEx(1, &batch, left(), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken != WAIT_OBJECT_0 + 1) return woken == WAIT_OBJECT_0;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // Meant for the loop that ends the program: it gets it back after the wait.
        const bool ended = WaitForSingleObject(batch, left()) == WAIT_OBJECT_0;
        PostQuitMessage(static_cast<int>(message.wParam));
        return ended;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

int Win32ReloadSystem::ShowMessageBox(const std::wstring& text, const std::wstring& caption, uint32_t style) {
  return MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
}

void Win32ReloadSystem::KillStartTimer() {
  if (mainWindow_ != nullptr) KillTimer(mainWindow_, kStartTimerId);
}

void Win32ReloadSystem::EndProcess(uint32_t exitCode) {
  CloseLog();
  ExitProcess(exitCode);
}

}  // namespace reload
