// The reload tool's seam implemented with Win32: registry, system facts,
// log and settings files, shell, message boxes, windows and the clock.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "reload_system.h"
#include "scoped_win32.h"

namespace reload {

inline constexpr UINT_PTR kStartTimerId = 1;

class Win32ReloadSystem : public ReloadSystem {
 public:
  // The window whose start timer KillStartTimer ends.
  void SetMainWindow(HWND window) { mainWindow_ = window; }

  int32_t ProbeKey(RegistryRoot root, const std::wstring& path) override;
  RegistryText ReadText(RegistryRoot root, const std::wstring& path, const std::wstring& valueName) override;
  WindowsVersion GetWindowsVersion() override;
  bool HasGetProductInfo() override;
  SystemFacts GetSystemFacts() override;
  LocalTime LocalNow() override;
  std::optional<std::wstring> Folder(KnownFolder folder) override;
  std::wstring AnsiToWide(std::string_view bytes) override;
  std::string WideToAnsi(std::wstring_view text) override;
  int32_t OpenLog(const std::wstring& path) override;
  void WriteLog(std::string_view bytes) override;
  void CloseLog() override;
  std::optional<std::string> ReadFileStart(const std::wstring& path, std::size_t maxBytes) override;
  std::intptr_t ShellRun(const std::wstring& verb, const std::wstring& file) override;
  BatchStart StartBatch(const std::wstring& verb, const std::wstring& file) override;
  bool WaitForBatch(BatchProcess process, uint32_t milliseconds) override;
  int ShowMessageBox(const std::wstring& text, const std::wstring& caption, uint32_t style) override;
  void KillStartTimer() override;
  void EndProcess(uint32_t exitCode) override;

 private:
  HWND mainWindow_ = nullptr;
  fw::ScopedHandle log_;
};

}  // namespace reload
