// The local time, the power plan and the folder's claim for ormidal-check on
// Windows: read as the scheduler reads them.
#include "engine_win32.h"
#include "handover_win32.h"
#include "power_win32.h"
#include "schedule_check.h"
#include "text.h"
#include "text_win32.h"

namespace ormidal {

CalendarRecord LocalNow() { return Win32EngineSystem().LocalTime(); }

WakeTimerPlan ActiveWakeTimerPlan() { return Win32PowerSystem().ReadWakeTimerPlan(); }

std::optional<bool> SchedulerRunningFor(const std::string& schedulePath) {
  // The scheduler's folder is that of its "%s\schedule.log", full.
  const std::wstring path = fw::Widen(schedulePath);
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  if (full.empty()) return std::nullopt;
  full.resize(GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
  if (full.empty()) return std::nullopt;
  return FolderClaimHeld(fw::FolderOfPath<wchar_t>(full));
}

}  // namespace ormidal
