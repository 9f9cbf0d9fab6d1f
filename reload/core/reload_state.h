// Tool-wide state of the reload tool: one instance per process, touched only
// by the user-interface thread. Tests make their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace reload {

inline constexpr std::size_t kTextLimit = 255;            // folder, parameters, product
inline constexpr std::size_t kParameterSlots = 20;
inline constexpr std::size_t kVersionTextLimit = 99;      // Windows and product version
inline constexpr std::size_t kServerPathLimit = 999;
inline constexpr std::size_t kProcessorNameLimit = 999;
inline constexpr std::size_t kRegistryPathLimit = 999;
inline constexpr std::size_t kSettingsPathLimit = 999;
inline constexpr std::size_t kSettingsReadLimit = 10000;  // bytes
inline constexpr uint32_t kStartDelayMs = 1000;
// The longest wait for a batch file; tests may shorten it.
inline constexpr uint32_t kBatchWaitSeconds = 60;

// What the last batch run was, for the registry check's heading and closing.
enum CheckModes : int32_t { kNoBatchRun = 0, kAfterUninstall = 1, kAfterInstall = 2 };

struct ReloadState {
  std::wstring ModuleFolder;
  std::vector<std::wstring> ParameterTable;  // at most kParameterSlots
  uint32_t parameterCount = 0;               // also those beyond the table
  std::wstring ProductName;
  bool logOpen = false;      // LogFilters.txt is open for writing
  std::wstring reportPath;   // where it is written: the tool's folder or a fallback
  uint32_t batchWaitSeconds = kBatchWaitSeconds;
  int32_t CheckMode = kNoBatchRun;
  std::wstring ServerPathText;
  std::wstring WindowsVersionText;
  bool UseRunas = false;
  std::wstring ProductVersionText;
};

}  // namespace reload
