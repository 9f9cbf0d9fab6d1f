// The system clock's calendar record (SYSTEMTIME) and ours have the same
// fields: conversions for every caller that reads or sets a system time.
#pragma once

#include <windows.h>

#include "time_text.h"

namespace ormidal {

inline CalendarRecord FromSystemTime(const SYSTEMTIME& st) {
  return CalendarRecord{st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                        st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

inline SYSTEMTIME ToSystemTime(const CalendarRecord& r) {
  return SYSTEMTIME{r.year, r.month,  r.dayOfWeek, r.day,
                    r.hour, r.minute, r.second,    r.milliseconds};
}

}  // namespace ormidal
