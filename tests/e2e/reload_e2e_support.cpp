#include "reload_e2e_support.h"

#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <thread>

namespace reload_e2e {
namespace {

constexpr auto kPollStep = std::chrono::milliseconds(50);
constexpr wchar_t kBoxCaption[] = L"Reload Filters Message";
constexpr int kMessageTextId = 0xFFFF;

std::wstring WindowText(HWND window) {
  wchar_t buffer[1024] = {};
  DWORD_PTR length = 0;
  // WM_GETTEXT is carried across processes; GetWindowText would not ask.
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                           2000, &length)) {
    return {};
  }
  return std::wstring(buffer, std::min<DWORD_PTR>(length, 1023));
}

struct BoxSearch {
  DWORD processId;
  std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBoxes(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (owner == search->processId && std::wstring(className) == L"#32770" && IsWindowVisible(window)) {
    search->boxes.push_back(window);
  }
  return TRUE;
}

struct ViewerSearch {
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectViewers(HWND window, LPARAM param) {
  if (!IsWindowVisible(window)) return TRUE;
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  if (std::wstring(title).find(L"LogFilters.txt") != std::wstring::npos) {
    reinterpret_cast<ViewerSearch*>(param)->windows.push_back(window);
  }
  return TRUE;
}

std::vector<HWND> ReportViewers() {
  ViewerSearch search;
  EnumWindows(&CollectViewers, reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

}  // namespace

std::wstring DistFolder() {
  const char* dist = std::getenv("RELOAD_DIST_DIR");
  std::string path = dist != nullptr ? dist : "";
  // ctest hands over the Unix path; Wine shows the Unix root as drive Z:.
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return std::wstring(path.begin(), path.end());
}

std::wstring NewFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  static int counter = 0;
  const std::wstring folder = std::wstring(temp) + L"reload_e2e_" + std::to_wstring(GetCurrentProcessId()) +
                              L"_" + std::to_wstring(++counter) + L"\\" + name;
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  std::filesystem::create_directories(folder, error);
  return folder;
}

void RemoveFolder(const std::wstring& folder) {
  std::error_code error;
  std::filesystem::remove_all(std::filesystem::path(folder).parent_path(), error);
}

std::string ReadFileBytes(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void InstallTool(const std::wstring& folder, bool copyProductBatches,
                 const std::map<std::wstring, std::string>& batches) {
  const std::wstring dist = DistFolder();
  CopyFileW((dist + L"\\reload.exe").c_str(), (folder + L"\\reload.exe").c_str(), FALSE);
  CreateDirectoryW((folder + L"\\Bin").c_str(), nullptr);
  if (copyProductBatches) {
    for (const wchar_t* name : {L"install_all.bat", L"uninstall_all.bat"}) {
      CopyFileW((dist + L"\\Bin\\" + name).c_str(), (folder + L"\\Bin\\" + name).c_str(), FALSE);
    }
  }
  for (const auto& [name, content] : batches) WriteFileBytes(folder + L"\\Bin\\" + name, content);
}

ToolRun::ToolRun(std::wstring folder, std::wstring arguments)
    : folder_(std::move(folder)), arguments_(std::move(arguments)) {}

ToolRun::~ToolRun() {
  Kill();
  if (process_.hProcess != nullptr) CloseHandle(process_.hProcess);
  if (process_.hThread != nullptr) CloseHandle(process_.hThread);
}

bool ToolRun::Start() {
  const std::wstring exe = folder_ + L"\\reload.exe";
  std::wstring commandLine = L"\"" + exe + L"\"" + (arguments_.empty() ? L"" : L" " + arguments_);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  // Started from elsewhere: the tool must find its files by its own folder.
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  started_ = Clock::now();
  return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, temp, &startup,
                        &process_) != FALSE;
}

bool ToolRun::Poll() {
  if (ended_ || process_.hProcess == nullptr) return true;
  BoxSearch search{process_.dwProcessId, {}};
  EnumWindows(&CollectBoxes, reinterpret_cast<LPARAM>(&search));
  for (HWND box : search.boxes) {
    if (std::find(answered_.begin(), answered_.end(), box) != answered_.end()) continue;
    const std::wstring caption = WindowText(box);
    const HWND textControl = GetDlgItem(box, kMessageTextId);
    if (textControl == nullptr) continue;  // not built yet
    answered_.push_back(box);
    boxes_.push_back({caption, WindowText(textControl)});
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process_.hProcess, &exitCode_);
    seconds_ = std::chrono::duration<double>(Clock::now() - started_).count();
    ended_ = true;
  }
  return ended_;
}

void ToolRun::Kill() {
  if (ended_ || process_.hProcess == nullptr) return;
  TerminateProcess(process_.hProcess, 99);
  WaitForSingleObject(process_.hProcess, 5000);
  ended_ = true;
}

bool RunAll(const std::vector<ToolRun*>& runs, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  for (;;) {
    bool all = true;
    for (ToolRun* run : runs) all = run->Poll() && all;
    if (all) return true;
    if (Clock::now() > deadline) {
      for (ToolRun* run : runs) run->Kill();
      return false;
    }
    std::this_thread::sleep_for(kPollStep);
  }
}

int CloseReportViewers(int expected, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  std::vector<HWND> viewers = ReportViewers();
  while (static_cast<int>(viewers.size()) < expected && Clock::now() < deadline) {
    std::this_thread::sleep_for(kPollStep);
    viewers = ReportViewers();
  }
  const int found = static_cast<int>(viewers.size());
  std::vector<HANDLE> processes;
  for (HWND viewer : viewers) {
    DWORD id = 0;
    GetWindowThreadProcessId(viewer, &id);
    if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id)) processes.push_back(process);
    PostMessageW(viewer, WM_CLOSE, 0, 0);
  }
  for (HANDLE process : processes) {
    if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
  }
  return found;
}

// The filters live in the 32-bit view, where the product's batch files put
// them; the other keys the tests touch are shared by both views.
bool SetRegistryText(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void DeleteKeyTree(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) return;
  RegDeleteTreeW(key, nullptr);
  RegCloseKey(key);
  RegDeleteKeyExW(root, path.c_str(), KEY_WOW64_32KEY, 0);
}

std::wstring ReadRegistryText(HKEY root, const std::wstring& path, const std::wstring& name) {
  wchar_t buffer[2048] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
    return {};
  }
  return buffer;
}

std::wstring AppDataFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path);
  return path;
}

std::wstring LocalAppDataFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path);
  return path;
}

bool MakeKeyReadOnly(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, WRITE_DAC | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) return false;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  bool done = false;
  if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &descriptor,
                                                           nullptr)) {
    done = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
  }
  RegCloseKey(key);
  return done;
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

std::string Mismatch(const std::string& report, const std::vector<Part>& parts) {
  std::size_t at = 0;
  for (const Part& part : parts) {
    if (!part.pattern) {
      if (report.compare(at, part.text.size(), part.text) != 0) {
        std::size_t same = 0;
        while (at + same < report.size() && same < part.text.size() && report[at + same] == part.text[same]) ++same;
        return "at byte " + std::to_string(at + same) + ": expected \"" + part.text.substr(same, 60) +
               "\" but found \"" + report.substr(at + same, 60) + "\"";
      }
      at += part.text.size();
      continue;
    }
    // Patterns cover a few dozen bytes; searching a short window keeps std::regex shallow.
    const std::string window = report.substr(at, 200);
    std::smatch match;
    if (!std::regex_search(window, match, std::regex(part.text), std::regex_constants::match_continuous)) {
      return "at byte " + std::to_string(at) + ": pattern " + part.text + " does not match \"" +
             report.substr(at, 60) + "\"";
    }
    at += static_cast<std::size_t>(match.length(0));
  }
  if (at != report.size()) return "unexpected bytes after the end: \"" + report.substr(at, 60) + "\"";
  return {};
}

}  // namespace reload_e2e
