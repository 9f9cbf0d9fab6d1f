// Implements the message, process and file seams with Win32.
#include "scheduler_host_win32.h"

#include <windows.h>

namespace ormidal {
namespace {

constexpr UINT kMessageStyle = MB_TOPMOST | MB_TASKMODAL | MB_ICONEXCLAMATION;  // 0x42030
constexpr int kSharingRetries = 20;  // another program may hold the file for a moment
constexpr DWORD kSharingRetryMs = 50;

HANDLE OpenWithRetry(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  for (int attempt = 0;; ++attempt) {
    HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
        attempt == kSharingRetries) {
      return file;
    }
    Sleep(kSharingRetryMs);
  }
}

bool ReadAll(HANDLE file, std::string& contents) {
  contents.clear();
  char buffer[65536];
  DWORD got = 0;
  for (;;) {
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) return false;
    if (got == 0) return true;
    contents.append(buffer, got);
  }
}

}  // namespace

int Win32Host::SchedulerMessage(const std::string& text, int type) {
  return MessageBoxA(nullptr, text.c_str(), "Scheduler message",
                     static_cast<UINT>(type) | kMessageStyle);
}

void Win32Host::EndProcess() { ExitProcess(0); }

FileSystem::Open Win32FileSystem::ReadOrCreate(const std::string& path, std::string& contents) {
  HANDLE file = OpenWithRetry(path, GENERIC_READ, 0, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return Open::kFailed;
    file = OpenWithRetry(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    if (file == INVALID_HANDLE_VALUE) return Open::kFailed;
    CloseHandle(file);
    contents.clear();
    return Open::kCreated;
  }
  const bool ok = ReadAll(file, contents);
  CloseHandle(file);
  return ok ? Open::kRead : Open::kFailed;
}

bool Win32FileSystem::Read(const std::string& path, std::string& contents) {
  HANDLE file = OpenWithRetry(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = ReadAll(file, contents);
  CloseHandle(file);
  return ok;
}

}  // namespace ormidal
