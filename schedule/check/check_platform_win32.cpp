// The local time, the power facts, the code page, the time zone's clock
// changes and the folder's claim for ormidal-check on Windows: read as the
// scheduler reads them.
#include <algorithm>

#include "engine_win32.h"
#include "handover_win32.h"
#include "power_win32.h"
#include "schedule_check.h"
#include "text.h"
#include "text_win32.h"
#include "time_text_win32.h"

namespace ormidal {
namespace {

// Some consoles refuse one very long write.
constexpr std::size_t kConsoleChunk = 8192;

// A console shows its own code page, not the system's: characters go to it
// as UTF-16. GetConsoleMode tells a console from the NUL device.
bool WriteConsoleText(HANDLE handle, std::string_view text, bool utf8) {
  DWORD mode = 0;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
      GetFileType(handle) != FILE_TYPE_CHAR || !GetConsoleMode(handle, &mode)) {
    return false;
  }
  const std::wstring wide = fw::Widen(text, utf8 ? CP_UTF8 : CP_ACP);
  for (std::size_t at = 0; at < wide.size();) {
    const DWORD count = static_cast<DWORD>(std::min(kConsoleChunk, wide.size() - at));
    DWORD written = 0;
    if (!WriteConsoleW(handle, wide.data() + at, count, &written, nullptr) || written == 0) {
      return at > 0;  // what went out stays out; nothing is written twice
    }
    at += written;
  }
  return true;
}

}  // namespace

CalendarRecord LocalNow() { return Win32EngineSystem().LocalTime(); }

PowerFacts ActivePowerFacts() { return Win32PowerSystem().ReadPowerFacts(); }

std::string SystemTextToUtf8(std::string_view text) {
  return fw::Narrow(fw::Widen(text, CP_ACP), CP_UTF8);
}

void WriteStandard(std::FILE* stream, std::string_view text, bool utf8) {
  const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (!WriteConsoleText(handle, text, utf8)) std::fwrite(text.data(), 1, text.size(), stream);
}

std::vector<ClockChange> LocalClockChanges(int firstYear, int lastYear) {
  std::vector<ClockChange> changes;
  for (int year = firstYear; year <= lastYear; ++year) {
    TIME_ZONE_INFORMATION zone{};
    // Fails for a year the system has no rules for: nothing is claimed for it.
    if (!GetTimeZoneInformationForYear(static_cast<USHORT>(year), nullptr, &zone)) continue;
    const ZoneRules rules{FromSystemTime(zone.DaylightDate), FromSystemTime(zone.StandardDate),
                          static_cast<int32_t>(zone.StandardBias),
                          static_cast<int32_t>(zone.DaylightBias)};
    for (const ClockChange& change : ClockChangesOfYear(year, rules)) changes.push_back(change);
  }
  return changes;
}

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
