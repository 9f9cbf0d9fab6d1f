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

using WindowId = std::uintptr_t;  // 0: no window

class ReloadSystem {
 public:
  virtual ~ReloadSystem() = default;

  // Opens the key with full access in the process's own registry view and
  // closes it again; returns the open's result code.
  virtual int32_t ProbeKey(RegistryRoot root, const std::wstring& path) = 0;
  // Opens the key with full access and reads one text value (size, then data).
  virtual RegistryText ReadText(RegistryRoot root, const std::wstring& path,
                                const std::wstring& valueName) = 0;

  virtual WindowsVersion GetWindowsVersion() = 0;
  virtual bool HasGetProductInfo() = 0;
  virtual SystemFacts GetSystemFacts() = 0;
  virtual LocalTime LocalNow() = 0;
  // The current user's application data folder, if the shell knows it.
  virtual std::optional<std::wstring> AppDataFolder() = 0;
  // Text in the system's ANSI code page to UTF-16.
  virtual std::wstring AnsiToWide(std::string_view bytes) = 0;

  // The log file, created empty; writes go straight to the file.
  virtual bool OpenLog(const std::wstring& path) = 0;
  virtual void WriteLog(std::string_view bytes) = 0;
  virtual void CloseLog() = 0;
  // At most maxBytes from the start of the file, opened without sharing.
  virtual std::optional<std::string> ReadFileStart(const std::wstring& path,
                                                   std::size_t maxBytes) = 0;

  // The shell's answer: above 32 means started.
  virtual std::intptr_t ShellRun(const std::wstring& verb, const std::wstring& file) = 0;
  virtual int ShowMessageBox(const std::wstring& text, const std::wstring& caption,
                             uint32_t style) = 0;
  // A top-level window whose whole title matches (case-insensitively, as Windows does).
  virtual WindowId FindWindowByTitle(const std::wstring& title) = 0;
  virtual void SendClose(WindowId window) = 0;

  virtual void Pause(uint32_t milliseconds) = 0;
  virtual void KillStartTimer() = 0;
  virtual void EndProcess(uint32_t exitCode) = 0;
};

}  // namespace reload
