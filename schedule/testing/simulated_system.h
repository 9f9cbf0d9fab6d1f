// A simulated clock for the engine's tests and benchmarks. Engine threads are
// real threads, but time only moves when the test advances it: each advance
// of one second wakes every waiting thread once and returns when all of them
// wait again or have ended, so a test sees the engine second by second.
#pragma once

#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "engine.h"

namespace ormidal {

class SimulatedSystem final : public EngineSystem {
 public:
  // Starts at the given local time; the milliseconds are those of a thread
  // just woken after a whole second.
  explicit SimulatedSystem(const CalendarRecord& start);
  ~SimulatedSystem() override;  // releases and joins every thread

  CalendarRecord LocalTime() override;
  std::unique_ptr<Waiter> NewWaiter() override;
  bool StartThread(std::function<void()> body) override;

  // Waits (bounded) until every engine thread waits or has ended; false on time-out.
  bool Settle(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Moves the clock on by whole seconds, settling after each.
  bool Advance(int seconds = 1);
  // Moves the clock by seconds (back when negative) in one step, as a
  // computer waking from sleep or a changed clock shows it, then settles.
  bool Jump(int64_t seconds);
  FileTime Now();
  // Holds the calling engine thread outside the clock until Release, as a
  // message nobody answers yet: the clock moves on meanwhile without it.
  void HoldUntilReleased();
  // The held threads go on, counted busy at once so that Settle waits for them.
  void Release();
  // Every thread start from then on fails, as when the system has no room for one.
  void RefuseThreadsFrom(int started);
  int ThreadsStarted();
  int ThreadsRunning();  // started and not yet ended

 private:
  class SimWaiter;
  bool Step(FileTime by);
  std::mutex mutex_;
  std::condition_variable changed_;
  FileTime now_ = 0;
  uint64_t tick_ = 0;
  int busy_ = 0;    // threads neither waiting nor ended
  int waiting_ = 0;
  int alive_ = 0;   // threads not yet ended
  int started_ = 0;
  int held_ = 0;
  uint64_t releases_ = 0;
  int refusedFrom_ = INT_MAX;
  bool shutdown_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace ormidal
