// Implements the engine's system seam with GetLocalTime, timeSetEvent and
// detached runtime threads.
#include "engine_win32.h"

#include <windows.h>
#include <mmsystem.h>
#include <process.h>

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

unsigned __stdcall RunDetached(void* task) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(task));
  (*body)();
  return 0;
}

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

// The C runtime's threads, not std::thread: in the 64-bit MinGW runtime a
// detached std::thread can race its own start and run without its argument
// (seen as a crash under Wine, once in a few thousand starts).
bool Win32EngineSystem::StartThread(std::function<void()> body) {
  auto task = std::make_unique<std::function<void()>>(std::move(body));
  const uintptr_t thread = _beginthreadex(nullptr, 0, &RunDetached, task.get(), 0, nullptr);
  if (thread == 0) return false;
  task.release();  // the thread owns it now
  CloseHandle(reinterpret_cast<HANDLE>(thread));
  return true;
}

}  // namespace ormidal
