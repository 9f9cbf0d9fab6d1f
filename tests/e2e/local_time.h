// Points in time on the local clock, as the scheduler reads it, for tests
// that write schedules a few seconds ahead.
#pragma once

#include <windows.h>

#include "calendar.h"
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

using ormidal::Seconds;

// A local date and time as the system clock's record.
inline SYSTEMTIME SystemTimeAt(int year, int month, int day, int hour, int minute, int second) {
  return ormidal::ToSystemTime(ormidal::Calendar(year, month, day, hour, minute, second));
}

}  // namespace e2e
