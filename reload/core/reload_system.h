// The seam between the reload tool's core and the system: registry reads,
// system facts, files, shell, message boxes and the clock. The Win32 shell
// implements it with the real calls; unit tests implement it with fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace reload {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

// Result codes are the system's (0 success, 2 not found, 5 access denied).
struct RegistryText {
  int32_t openResult = 0;
  int32_t readResult = 0;  // only meaningful after a successful open
  std::wstring text;       // the value's text up to its first zero character
};

struct WindowsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};

struct SystemFacts {
  uint32_t processors = 0;
  int32_t screenWidth = 0;
  int32_t screenHeight = 0;
  int32_t monitors = 0;
};

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

enum class KnownFolder { RoamingAppData, LocalAppData, Temp };

using BatchProcess = std::uintptr_t;  // 0: no process to wait on

struct BatchStart {
  bool started = false;
  int32_t error = 0;         // the system's code when it did not start
  BatchProcess process = 0;  // 0 when the shell handed none over
};

class ReloadSystem {
 public:
  virtual ~ReloadSystem() = default;

  // Keys are opened for reading only, so that a user without elevation can
  // tell a present key from a missing one; keys below ClassesRoot in the
  // 32-bit view, where the filters, 32-bit COM servers, are registered.
  // Opens the key and closes it again; returns the open's result code.
  virtual int32_t ProbeKey(RegistryRoot root, const std::wstring& path) = 0;
  // Opens the key and reads one text value (size, then data).
  virtual RegistryText ReadText(RegistryRoot root, const std::wstring& path,
                                const std::wstring& valueName) = 0;

  virtual WindowsVersion GetWindowsVersion() = 0;
  virtual bool HasGetProductInfo() = 0;
  virtual SystemFacts GetSystemFacts() = 0;
  virtual LocalTime LocalNow() = 0;
  // One of the current user's folders, if the system knows it.
  virtual std::optional<std::wstring> Folder(KnownFolder folder) = 0;
  // Text in the system's ANSI code page to UTF-16 and back; "?" stands for
  // what the code page cannot hold.
  virtual std::wstring AnsiToWide(std::string_view bytes) = 0;
  virtual std::string WideToAnsi(std::wstring_view text) = 0;

  // The log file, created empty; writes go straight to the file, and go
  // nowhere while no log is open. Returns 0 or the system's code for why it
  // could not be created.
  virtual int32_t OpenLog(const std::wstring& path) = 0;
  virtual void WriteLog(std::string_view bytes) = 0;
  virtual void CloseLog() = 0;
  // At most maxBytes from the start of the file, opened without sharing.
  virtual std::optional<std::string> ReadFileStart(const std::wstring& path,
                                                   std::size_t maxBytes) = 0;

  // The shell's answer: above 32 means started.
  virtual std::intptr_t ShellRun(const std::wstring& verb, const std::wstring& file) = 0;
  // Starts a batch file through the shell and holds on to its process.
  virtual BatchStart StartBatch(const std::wstring& verb, const std::wstring& file) = 0;
  // Waits at most milliseconds for a started batch to end; true when it has.
  // The process is let go either way, and a batch still running runs on.
  virtual bool WaitForBatch(BatchProcess process, uint32_t milliseconds) = 0;
  virtual int ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                             uint32_t style) = 0;

  virtual void KillStartTimer() = 0;
  virtual void EndProcess(uint32_t exitCode) = 0;
};

inline constexpr std::wstring_view kMessageCaption = L"Reload Filters Message";
// Warning icon, task-modal and topmost, added to every caller's type.
inline constexpr uint32_t kMessageStyle = 0x30 | 0x2000 | 0x40000;

// The tool's own message box, with its caption and style; returns the answer.
inline int ShowReloadMessage(ReloadSystem& system, const std::wstring& text, uint32_t type) {
  return system.ShowMessageBox(text, std::wstring(kMessageCaption), type | kMessageStyle);
}

}  // namespace reload
