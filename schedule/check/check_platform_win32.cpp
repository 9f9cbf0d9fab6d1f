// The local time and the power plan for ormidal-check on Windows: read as
// the scheduler reads them.
#include "engine_win32.h"
#include "power_win32.h"
#include "schedule_check.h"

namespace ormidal {

CalendarRecord LocalNow() { return Win32EngineSystem().LocalTime(); }

PowerFacts ActivePowerFacts() { return Win32PowerSystem().ReadPowerFacts(); }

}  // namespace ormidal
