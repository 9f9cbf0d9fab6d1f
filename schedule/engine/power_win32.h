// The power seam on Windows: one waitable timer with resume for the wake, and
// a power request (or, where there is none, the execution state of one
// long-lived thread) for the hold.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "power_system.h"
#include "scoped_win32.h"

namespace ormidal {

// The thread execution state belongs to the thread that sets it and ends
// with it: one thread of our own sets it and lives as long as this object.
class ExecutionStateThread {
 public:
  ExecutionStateThread() = default;
  ExecutionStateThread(const ExecutionStateThread&) = delete;
  ExecutionStateThread& operator=(const ExecutionStateThread&) = delete;
  ~ExecutionStateThread();

  // SetThreadExecutionState(flags) on that thread, started at the first call;
  // false when the thread cannot start, the call fails or no answer comes in time.
  bool Set(EXECUTION_STATE flags);

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  fw::ScopedHandle thread_;
  EXECUTION_STATE wanted_ = ES_CONTINUOUS;
  uint64_t asked_ = 0;
  uint64_t done_ = 0;
  bool succeeded_ = false;
  bool quit_ = false;
};

// Power requests exist from Windows 7 on and are looked up at run time, as
// is the power plan's interface; an older system gets the fallback.
// Destroying this object cancels the wake and ends the hold.
class Win32PowerSystem final : public PowerSystem {
 public:
  Win32PowerSystem();

  WakeResult ArmWake(FileTime localTime) override;
  bool CancelWake() override;
  AwakeResult HoldAwake(const AwakeReason& reason) override;
  bool ReleaseAwake() override;
  PowerFacts ReadPowerFacts() override;

  // Signalled at the armed wake until the next ArmWake; none before the first.
  HANDLE WakeTimer() const { return timer_.Get(); }

 private:
  using CreateRequestFn = HANDLE(WINAPI*)(PREASON_CONTEXT);
  using RequestFn = BOOL(WINAPI*)(HANDLE, POWER_REQUEST_TYPE);

  bool ClearRequest();

  CreateRequestFn createRequest_ = nullptr;
  RequestFn setRequest_ = nullptr;
  RequestFn clearRequest_ = nullptr;
  fw::ScopedHandle timer_;
  fw::ScopedHandle request_;
  bool requestDisplay_ = false;
  ExecutionStateThread fallback_;
  bool fallbackHeld_ = false;
};

}  // namespace ormidal
