// The engine's clock, one-second waits and threads on Windows.
#pragma once

#include <atomic>

#include "engine.h"
#include "wait_timer.h"

namespace ormidal {

class Win32EngineSystem final : public EngineSystem {
 public:
  explicit Win32EngineSystem(WaitTimerWanted wanted = WaitTimerWanted::kBest);
  CalendarRecord LocalTime() override;
  // Each wait is a one-shot timer, high-resolution where the system has it,
  // that ends just after the local clock's next whole second.
  std::unique_ptr<Waiter> NewWaiter() override;
  bool StartThread(std::function<void()> body) override;

 private:
  const WaitTimerWanted wanted_;
  std::atomic<bool> askHighResolution_;
};

// Milliseconds from a local time to just after its next whole second.
unsigned DelayToNextSecond(unsigned milliseconds);

}  // namespace ormidal
