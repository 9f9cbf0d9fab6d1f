// The local time for ormidal-check on Windows: the scheduler's own clock.
#include "engine_win32.h"
#include "schedule_check.h"

namespace ormidal {

CalendarRecord LocalNow() { return Win32EngineSystem().LocalTime(); }

}  // namespace ormidal
