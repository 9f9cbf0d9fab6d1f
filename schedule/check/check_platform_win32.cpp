// The local time, the power plan and the time zone's clock changes for
// ormidal-check on Windows: read as the scheduler reads them.
#include "engine_win32.h"
#include "power_win32.h"
#include "schedule_check.h"
#include "time_text_win32.h"

namespace ormidal {

CalendarRecord LocalNow() { return Win32EngineSystem().LocalTime(); }

WakeTimerPlan ActiveWakeTimerPlan() { return Win32PowerSystem().ReadWakeTimerPlan(); }

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

}  // namespace ormidal
