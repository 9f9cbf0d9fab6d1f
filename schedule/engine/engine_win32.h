// The engine's clock, one-second waits and threads on Windows.
#pragma once

#include "engine.h"

namespace ormidal {

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
