// Implements the message, process and file seams with Win32.
#include "host_win32.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "open_retry.h"
#include "scoped_win32.h"
#include "ui_queue.h"

namespace ormidal {
namespace {

constexpr UINT kMessageStyle = MB_TOPMOST | MB_TASKMODAL | MB_ICONEXCLAMATION;  // 0x42030
constexpr int kSharingRetries = 20;  // another program may hold the file for a moment
constexpr DWORD kSharingRetryMs = 50;

fw::ScopedHandle OpenWithRetry(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  for (int attempt = 0;; ++attempt) {
    fw::ScopedHandle file(CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file || GetLastError() != ERROR_SHARING_VIOLATION || attempt == kSharingRetries) {
      return file;
    }
    Sleep(kSharingRetryMs);
  }
}

class TickClock final : public RetryClock {
 public:
  std::chrono::milliseconds Now() override { return std::chrono::milliseconds(GetTickCount64()); }
  void Sleep(std::chrono::milliseconds length) override {
    ::Sleep(static_cast<DWORD>(length.count()));
  }
};

bool ReadWhole(HANDLE file, std::string& contents) {
  return ReadAll(
      [file](char* buffer, std::size_t size, std::size_t& got) {
        DWORD n = 0;
        const bool ok = ReadFile(file, buffer, static_cast<DWORD>(size), &n, nullptr) != 0;
        got = n;
        return ok;
      },
      contents);
}

class Win32File final : public WritableFile {
 public:
  explicit Win32File(fw::ScopedHandle file) : file_(std::move(file)) {}

  bool Write(std::string_view bytes) override {
    if (!file_) return false;
    while (!bytes.empty()) {
      const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kWriteChunk));
      DWORD written = 0;
      if (!WriteFile(file_.Get(), bytes.data(), ask, &written, nullptr) || written == 0) return false;
      bytes.remove_prefix(written);
    }
    return true;
  }
  // NTFS journals only the metadata: without this a crash after the replace
  // could leave the new name on a file whose bytes never reached the disk.
  bool Flush() override { return file_ && FlushFileBuffers(file_.Get()) != 0; }
  bool Close() override { return file_ && file_.Close(); }

 private:
  static constexpr std::size_t kWriteChunk = 1 << 20;
  fw::ScopedHandle file_;
};

}  // namespace

int Win32Host::SchedulerMessage(const std::string& text, int type) {
  // From another thread the box opens on the UI thread, and the caller waits
  // for the answer as it would for a box of its own; 0, as for a box that
  // could not open, when the UI thread is gone.
  int answer = 0;
  fw::ui::Send([&] {
    answer = MessageBoxA(nullptr, text.c_str(), "Scheduler message",
                         static_cast<UINT>(type) | kMessageStyle);
  });
  return answer;
}

void Win32Host::EndProcess(HistoryCause why) {
  if (beforeExit_) beforeExit_(why);
  ExitProcess(0);
}

// Readers are let in, which loses nothing; a program that holds the file
// longer than a moment only delays the enable.
FileSystem::Open Win32FileSystem::ReadOrCreate(const std::string& path, std::string& contents) {
  fw::ScopedHandle file;
  TickClock clock;
  const uint32_t error = OpenWhileHeld(
      [&] {
        file = fw::ScopedHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file ? uint32_t{0} : uint32_t{GetLastError()};
      },
      kScheduleReadRetry, clock);
  if (!file) {
    if (error != ERROR_FILE_NOT_FOUND) return Open::kFailed;
    if (!OpenWithRetry(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW)) return Open::kFailed;
    contents.clear();
    return Open::kCreated;
  }
  return ReadWhole(file.Get(), contents) ? Open::kRead : Open::kFailed;
}

bool Win32FileSystem::Read(const std::string& path, std::string& contents) {
  const fw::ScopedHandle file =
      OpenWithRetry(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  return file && ReadWhole(file.Get(), contents);
}

std::unique_ptr<WritableFile> Win32FileSystem::OpenForAppend(const std::string& path) {
  fw::ScopedHandle file = OpenWithRetry(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
  LARGE_INTEGER end{};
  if (!file || !SetFilePointerEx(file.Get(), end, nullptr, FILE_END)) return nullptr;
  return std::make_unique<Win32File>(std::move(file));
}

std::unique_ptr<WritableFile> Win32FileSystem::OpenForWrite(const std::string& path) {
  fw::ScopedHandle file = OpenWithRetry(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
  if (!file) return nullptr;
  return std::make_unique<Win32File>(std::move(file));
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

std::string Win32FileSystem::ErrorText() {
  const DWORD error = GetLastError();
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string words = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
  LocalFree(text);
  return words;
}

}  // namespace ormidal
