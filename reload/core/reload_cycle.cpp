#include "reload_cycle.h"

#include "filter_check.h"
#include "report.h"
#include "startup.h"

namespace reload {
namespace {

constexpr std::intptr_t kShellStarted = 32;  // ShellExecute's answers up to this are errors

void RunBatch(ReloadState& state, ReloadSystem& system, const std::wstring& path,
              std::wstring_view failure) {
  state.MessageText = path;
  const std::intptr_t result = system.ShellRun(state.UseRunas ? L"runas" : L"open", state.MessageText);
  if (result > kShellStarted) return;
  state.MessageText = std::wstring(failure);
  ShowReloadMessage(system, state.MessageText, 0);
}

WindowId FindCommandWindow(ReloadSystem& system, const std::wstring& batchPath) {
  const WindowId window = system.FindWindowByTitle(std::wstring(kCommandWindowTitle));
  return window != 0 ? window : system.FindWindowByTitle(batchPath);
}

}  // namespace

std::wstring UninstallBatchPath(const ReloadState& state) {
  return state.ModuleFolder + L"\\Bin\\uninstall_all.bat";
}

std::wstring InstallBatchPath(const ReloadState& state) {
  return state.ModuleFolder + L"\\Bin\\install_all.bat";
}

void RunUninstall(ReloadState& state, ReloadSystem& system) {
  RunBatch(state, system, UninstallBatchPath(state), L"Cannot fnd file uninstall_all.bat.");
}

void RunInstall(ReloadState& state, ReloadSystem& system) {
  RunBatch(state, system, InstallBatchPath(state), L"Cannot register screen capture filters.");
}

void WaitCommandWindow(ReloadSystem& system, const std::wstring& batchPath) {
  for (uint32_t polls = 0;;) {
    system.Pause(kPollIntervalMs);
    const WindowId window = FindCommandWindow(system, batchPath);
    if (window == 0) return;
    if (++polls >= kWaitPolls) {
      system.SendClose(window);
      return;
    }
  }
}

void ReloadCycle(ReloadState& state, ReloadSystem& system) {
  system.KillStartTimer();
  RunUninstall(state, system);
  WaitCommandWindow(system, UninstallBatchPath(state));
  state.CheckMode = kAfterUninstall;
  CheckFilters(state, system);
  RunInstall(state, system);
  WaitCommandWindow(system, InstallBatchPath(state));
  state.CheckMode = kAfterInstall;
  CheckFilters(state, system);
  EchoSettings(state, system);
  CloseAndShowLog(state, system);
  system.EndProcess(0);
}

}  // namespace reload
