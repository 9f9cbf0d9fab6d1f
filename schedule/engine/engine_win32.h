// The engine's clock, one-second waits and threads on Windows.
#pragma once

#include <windows.h>

#include "engine.h"

namespace ormidal {

// The system's SYSTEMTIME and our calendar record have the same fields.
inline CalendarRecord FromSystemTime(const SYSTEMTIME& st) {
  return CalendarRecord{st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                        st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

inline SYSTEMTIME ToSystemTime(const CalendarRecord& r) {
  return SYSTEMTIME{r.year, r.month,  r.dayOfWeek, r.day,
                    r.hour, r.minute, r.second,    r.milliseconds};
}

class Win32EngineSystem final : public EngineSystem {
 public:
  CalendarRecord LocalTime() override;
  // Each wait is a one-shot multimedia timer that sets the thread's event
  // just after the local clock's next whole second.
  std::unique_ptr<Waiter> NewWaiter() override;
  bool StartThread(std::function<void()> body) override;
};

// Milliseconds from a local time to just after its next whole second.
unsigned DelayToNextSecond(unsigned milliseconds);

}  // namespace ormidal
