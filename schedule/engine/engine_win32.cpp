// Implements the engine's system seam with GetLocalTime, high-resolution
// waitable timers or timeSetEvent, and the program's detached threads.
#include "engine_win32.h"

#include <windows.h>
#include <mmsystem.h>

#include "scoped_win32.h"
#include "thread_win32.h"
#include "time_text_win32.h"

namespace ormidal {
namespace {

// Past the second by this much, so the clock read after the wake is surely in it.
constexpr unsigned kWakeAfterSecondMs = 3;
// A lost timer must not stall a thread for good.
constexpr DWORD kWaitLimitMs = 5000;
constexpr LONGLONG kTicksPerMs = 10000;  // a waitable timer's due time counts 100 ns
// Not in every SDK's headers.
constexpr DWORD kHighResolutionFlag = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

using CreateTimerExFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);

unsigned DelayFromNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return DelayToNextSecond(now.wMilliseconds);
}

class MultimediaWaiter final : public Waiter {
 public:
  MultimediaWaiter() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  void Wait() override {
    const unsigned delay = DelayFromNow();
    const MMRESULT timer =
        !event_ ? 0
                : timeSetEvent(delay, 1, reinterpret_cast<LPTIMECALLBACK>(event_.Get()), 0,
                               TIME_ONESHOT | TIME_CALLBACK_EVENT_SET);
    if (timer == 0) {
      Sleep(delay);
      return;
    }
    WaitForSingleObject(event_.Get(), kWaitLimitMs);
    ResetEvent(event_.Get());
  }

 private:
  fw::ScopedHandle event_;
};

class HighResolutionWaiter final : public Waiter {
 public:
  explicit HighResolutionWaiter(fw::ScopedHandle timer) : timer_(std::move(timer)) {}
  void Wait() override {
    const unsigned delay = DelayFromNow();
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(delay) * kTicksPerMs;  // negative: from now
    if (!SetWaitableTimer(timer_.Get(), &due, 0, nullptr, nullptr, FALSE)) {
      Sleep(delay);
      return;
    }
    WaitForSingleObject(timer_.Get(), kWaitLimitMs);
  }

 private:
  fw::ScopedHandle timer_;  // resets itself once a wait has taken it
};

// Looked up at run time: the flag is refused before Windows 10 1803.
HighResolutionAnswer CreateHighResolutionTimer(fw::ScopedHandle& timer) {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const FARPROC proc = kernel == nullptr ? nullptr : GetProcAddress(kernel, "CreateWaitableTimerExW");
  // Through the generic function type, which converts to any other without a warning.
  const auto create = reinterpret_cast<CreateTimerExFn>(reinterpret_cast<void (*)()>(proc));
  if (create == nullptr) return HighResolutionAnswer::kMissing;
  timer = fw::ScopedHandle(create(nullptr, nullptr, kHighResolutionFlag, TIMER_ALL_ACCESS));
  if (timer) return HighResolutionAnswer::kCreated;
  return GetLastError() == ERROR_INVALID_PARAMETER ? HighResolutionAnswer::kRefused
                                                   : HighResolutionAnswer::kFailed;
}

}  // namespace

unsigned DelayToNextSecond(unsigned milliseconds) {
  return 1000 - (milliseconds % 1000) + kWakeAfterSecondMs;
}

Win32EngineSystem::Win32EngineSystem(WaitTimerWanted wanted)
    : wanted_(wanted), askHighResolution_(wanted == WaitTimerWanted::kBest) {}

CalendarRecord Win32EngineSystem::LocalTime() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return FromSystemTime(st);
}

std::unique_ptr<Waiter> Win32EngineSystem::NewWaiter() {
  fw::ScopedHandle timer;
  const HighResolutionAnswer answer =
      askHighResolution_.load() ? CreateHighResolutionTimer(timer) : HighResolutionAnswer::kNotAsked;
  const WaitTimerChoice choice = ChooseWaitTimer(wanted_, answer);
  askHighResolution_.store(choice.askNextTime);
  if (choice.timer == WaitTimer::kHighResolution) {
    return std::make_unique<HighResolutionWaiter>(std::move(timer));
  }
  return std::make_unique<MultimediaWaiter>();
}

bool Win32EngineSystem::StartThread(std::function<void()> body) {
  return fw::StartDetachedThread(std::move(body));
}

}  // namespace ormidal
