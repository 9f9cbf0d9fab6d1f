// The reload cycle: uninstall batch, check, install batch, check, settings
// copy, report shown, process ended. It runs once, on the main window's
// first timer message, and follows each batch only through its window title.
#pragma once

#include <string>
#include <string_view>

#include "reload_state.h"
#include "reload_system.h"

namespace reload {

inline constexpr std::wstring_view kCommandWindowTitle = L"C:\\Windows\\System32\\cmd.exe";
inline constexpr uint32_t kWaitPolls = 5;
inline constexpr uint32_t kPollIntervalMs = 1000;

std::wstring UninstallBatchPath(const ReloadState& state);
std::wstring InstallBatchPath(const ReloadState& state);

// Start one batch file through the shell without waiting for it; a batch
// that cannot be started gets its message box and the cycle goes on.
void RunUninstall(ReloadState& state, ReloadSystem& system);
void RunInstall(ReloadState& state, ReloadSystem& system);

// Polls once a second, at most kWaitPolls times, for the batch's command
// window and closes it when it is still there at the last poll. The window
// is known by cmd.exe's path as its title or, as some systems title it, by
// the batch file's path.
void WaitCommandWindow(ReloadSystem& system, const std::wstring& batchPath);

void ReloadCycle(ReloadState& state, ReloadSystem& system);

}  // namespace reload
