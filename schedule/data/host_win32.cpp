// Implements the message, process and file seams with Win32.
#include "host_win32.h"

#include <windows.h>

#include <algorithm>
#include <memory>

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

class Win32File final : public WritableFile {
 public:
  explicit Win32File(HANDLE file) : file_(file) {}
  ~Win32File() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  bool Write(std::string_view bytes) override {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    while (!bytes.empty()) {
      const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kWriteChunk));
      DWORD written = 0;
      if (!WriteFile(file_, bytes.data(), ask, &written, nullptr) || written == 0) return false;
      bytes.remove_prefix(written);
    }
    return true;
  }
  // NTFS journals only the metadata: without this a crash after the replace
  // could leave the new name on a file whose bytes never reached the disk.
  bool Flush() override { return file_ != INVALID_HANDLE_VALUE && FlushFileBuffers(file_) != 0; }
  bool Close() override {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    const bool ok = CloseHandle(file_) != 0;
    file_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  static constexpr std::size_t kWriteChunk = 1 << 20;
  HANDLE file_;
};

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

std::unique_ptr<WritableFile> Win32FileSystem::OpenForAppend(const std::string& path) {
  HANDLE file = OpenWithRetry(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(file, end, nullptr, FILE_END)) {
    CloseHandle(file);
    return nullptr;
  }
  return std::make_unique<Win32File>(file);
}

std::unique_ptr<WritableFile> Win32FileSystem::OpenForWrite(const std::string& path) {
  HANDLE file = OpenWithRetry(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32File>(file);
}

bool Win32FileSystem::Replace(const std::string& from, const std::string& to) {
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    // A target held open by another program is reported either way.
    const DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
        attempt == kSharingRetries) {
      return false;
    }
    Sleep(kSharingRetryMs);
  }
}

bool Win32FileSystem::Remove(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

}  // namespace ormidal
