// The reload cycle: uninstall batch, check, install batch, check, settings
// copy, report shown, process ended. It runs once, on the main window's
// first timer message, and follows each batch through its own process.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "reload_state.h"
#include "reload_system.h"

namespace reload {

inline constexpr int32_t kElevationRefused = 1223;  // the system's "cancelled by the user"

std::wstring UninstallBatchPath(const ReloadState& state);
std::wstring InstallBatchPath(const ReloadState& state);

// Start one batch file through the shell and return its process without
// waiting for it; a batch that cannot be started gets its message box and
// the cycle goes on as if it had run.
BatchProcess RunUninstall(ReloadState& state, ReloadSystem& system);
BatchProcess RunInstall(ReloadState& state, ReloadSystem& system);

// Waits for the batch's process to end, at most batchWaitSeconds; false when
// it is still running then. Nothing is sent to any window: a console the
// tool did not start is none of its business.
bool WaitCommandWindow(const ReloadState& state, ReloadSystem& system, BatchProcess batch);

void ReloadCycle(ReloadState& state, ReloadSystem& system);

// The wait's bound from its setting (RELOAD_BATCH_WAIT_SECONDS): whole
// seconds from 1 to kBatchWaitSeconds, so that it can only be shortened;
// anything else keeps kBatchWaitSeconds.
uint32_t BatchWaitSeconds(std::optional<std::wstring_view> setting);

}  // namespace reload
