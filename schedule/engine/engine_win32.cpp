// Implements the engine's system seam with GetLocalTime, timeSetEvent and
// detached runtime threads.
#include "engine_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include <thread>

#include "time_text_win32.h"

namespace ormidal {
namespace {

// Past the second by this much, so the clock read after the wake is surely in it.
constexpr unsigned kWakeAfterSecondMs = 3;
// A lost timer must not stall a thread for good.
constexpr DWORD kWaitLimitMs = 5000;

class EventWaiter final : public Waiter {
 public:
  EventWaiter() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~EventWaiter() override {
    if (event_ != nullptr) CloseHandle(event_);
  }
  void Wait() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const unsigned delay = DelayToNextSecond(now.wMilliseconds);
    const MMRESULT timer =
        event_ == nullptr
            ? 0
            : timeSetEvent(delay, 1, reinterpret_cast<LPTIMECALLBACK>(event_), 0,
                           TIME_ONESHOT | TIME_CALLBACK_EVENT_SET);
    if (timer == 0) {
      Sleep(delay);
      return;
    }
    WaitForSingleObject(event_, kWaitLimitMs);
    ResetEvent(event_);
  }

 private:
  HANDLE event_;
};

}  // namespace

unsigned DelayToNextSecond(unsigned milliseconds) {
  return 1000 - (milliseconds % 1000) + kWakeAfterSecondMs;
}

CalendarRecord Win32EngineSystem::LocalTime() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return FromSystemTime(st);
}

std::unique_ptr<Waiter> Win32EngineSystem::NewWaiter() { return std::make_unique<EventWaiter>(); }

bool Win32EngineSystem::StartThread(std::function<void()> body) {
  try {
    std::thread(std::move(body)).detach();
    return true;
  } catch (const std::exception&) {  // system_error when there is no room for a thread
    return false;
  }
}

}  // namespace ormidal
