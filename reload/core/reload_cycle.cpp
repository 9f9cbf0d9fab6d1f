#include "reload_cycle.h"

#include "filter_check.h"
#include "report.h"

namespace reload {
namespace {

struct Batch {
  std::wstring_view file;
  std::wstring_view cannotStart;
};

constexpr Batch kUninstall{L"uninstall_all.bat", L"Cannot fnd file uninstall_all.bat."};
constexpr Batch kInstall{L"install_all.bat", L"Cannot register screen capture filters."};

std::wstring BatchPath(const ReloadState& state, const Batch& batch) {
  return state.ModuleFolder + L"\\Bin\\" + std::wstring(batch.file);
}

BatchProcess RunBatch(ReloadState& state, ReloadSystem& system, const Batch& batch) {
  const BatchStart start = system.StartBatch(state.UseRunas ? L"runas" : L"open", BatchPath(state, batch));
  if (start.started) return start.process;
  // A refused elevation prompt is the user's answer, not a missing file.
  ShowReloadMessage(system,
                    start.error == kElevationRefused
                        ? L"Administrator rights were refused. " + std::wstring(batch.file) + L" did not run."
                        : std::wstring(batch.cannotStart),
                    0);
  return 0;
}

// A batch still running must not be raced by the next step: the cycle ends
// here, with the report saying which batch did not finish.
void CannotContinue(ReloadState& state, ReloadSystem& system, const Batch& batch) {
  ShowReloadMessage(system, L"Slow system response. Cannot continue.", 0);
  AppendLog(system, L"\r\n\r\n" + std::wstring(batch.file) + L" did not finish within " +
                        std::to_wstring(state.batchWaitSeconds) + L" seconds. Cannot continue.\r\n");
  CloseAndShowLog(state, system);
  system.EndProcess(0);
}

}  // namespace

std::wstring UninstallBatchPath(const ReloadState& state) { return BatchPath(state, kUninstall); }

std::wstring InstallBatchPath(const ReloadState& state) { return BatchPath(state, kInstall); }

BatchProcess RunUninstall(ReloadState& state, ReloadSystem& system) { return RunBatch(state, system, kUninstall); }

BatchProcess RunInstall(ReloadState& state, ReloadSystem& system) { return RunBatch(state, system, kInstall); }

bool WaitCommandWindow(const ReloadState& state, ReloadSystem& system, BatchProcess batch) {
  if (batch == 0) return true;  // nothing started, or nothing the shell let us follow
  return system.WaitForBatch(batch, state.batchWaitSeconds * 1000);
}

void ReloadCycle(ReloadState& state, ReloadSystem& system) {
  system.KillStartTimer();
  if (!WaitCommandWindow(state, system, RunUninstall(state, system))) {
    CannotContinue(state, system, kUninstall);
    return;
  }
  state.CheckMode = kAfterUninstall;
  CheckFilters(state, system);
  if (!WaitCommandWindow(state, system, RunInstall(state, system))) {
    CannotContinue(state, system, kInstall);
    return;
  }
  state.CheckMode = kAfterInstall;
  CheckFilters(state, system);
  EchoSettings(state, system);
  CloseAndShowLog(state, system);
  system.EndProcess(0);
}

uint32_t BatchWaitSeconds(std::optional<std::wstring_view> setting) {
  if (!setting || setting->empty() || setting->size() > 3) return kBatchWaitSeconds;
  uint32_t seconds = 0;
  for (const wchar_t c : *setting) {
    if (c < L'0' || c > L'9') return kBatchWaitSeconds;
    seconds = seconds * 10 + static_cast<uint32_t>(c - L'0');
  }
  return seconds >= 1 && seconds <= kBatchWaitSeconds ? seconds : kBatchWaitSeconds;
}

}  // namespace reload
