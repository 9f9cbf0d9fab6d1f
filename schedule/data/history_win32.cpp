// Implements the history file seam with Win32. A handle opened with
// FILE_APPEND_DATA alone writes every buffer at the end of the file in one
// piece, even with another appender at work.
#include "history_win32.h"

#include <windows.h>

#include "host_win32.h"
#include "scoped_win32.h"

namespace ormidal {
namespace {

class Win32HistoryFile final : public HistoryFile {
 public:
  explicit Win32HistoryFile(fw::ScopedHandle file) : file_(std::move(file)) {}

  bool Write(std::string_view bytes) override {
    if (bytes.size() > MAXDWORD) return false;
    DWORD written = 0;
    return WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
  }
  bool Size(uint64_t& size) override {
    LARGE_INTEGER got{};
    if (!GetFileSizeEx(file_.Get(), &got)) return false;
    size = static_cast<uint64_t>(got.QuadPart);
    return true;
  }
  bool EndsLine() override {
    uint64_t size = 0;
    if (!Size(size) || size == 0) return false;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>((size - 1) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>((size - 1) >> 32);
    char last = 0;
    DWORD got = 0;
    return ReadFile(file_.Get(), &last, 1, &got, &at) && got == 1 && last == '\n';
  }

 private:
  fw::ScopedHandle file_;
};

class Win32Sink final : public HistorySink {
 public:
  // Notepad, the check and a second scheduler may read or append meanwhile,
  // and the user may delete the file: a new one is made with the next event.
  std::unique_ptr<HistoryFile> OpenForAppend(const std::string& path) override {
    fw::ScopedHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<Win32HistoryFile>(std::move(file));
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  }
  // The same words the schedule file's failures are given.
  std::string ErrorText() override { return Win32FileSystem().ErrorText(); }
};

}  // namespace

HistorySink& Win32HistorySink() {
  static Win32Sink instance;
  return instance;
}

}  // namespace ormidal
