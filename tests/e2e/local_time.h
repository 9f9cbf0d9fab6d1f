// Points in time on the local clock, as the scheduler reads it, for tests
// that write schedules a few seconds ahead.
#pragma once

#include <windows.h>

#include "time_text_win32.h"

namespace e2e {

inline ormidal::FileTime ToFileTime(const SYSTEMTIME& t, bool withMilliseconds) {
  ormidal::CalendarRecord r = ormidal::FromSystemTime(t);
  if (!withMilliseconds) r.milliseconds = 0;
  ormidal::FileTime point = 0;
  ormidal::RecordToFileTime(r, point);
  return point;
}

// The present local time in whole seconds.
inline ormidal::FileTime LocalNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return ToFileTime(now, false);
}

inline ormidal::FileTime Seconds(int s) {
  return static_cast<ormidal::FileTime>(s) * ormidal::kTicksPerSecond;
}

}  // namespace e2e
