#include "simulated_system.h"

namespace ormidal {

class SimulatedSystem::SimWaiter final : public Waiter {
 public:
  explicit SimWaiter(SimulatedSystem& sim) : sim_(sim) {}
  void Wait() override {
    std::unique_lock<std::mutex> lock(sim_.mutex_);
    const uint64_t woken = sim_.tick_ + 1;
    --sim_.busy_;
    ++sim_.waiting_;
    sim_.changed_.notify_all();
    // The tick counts this thread busy again before it runs, so Settle
    // cannot return before it has reached its next wait.
    sim_.changed_.wait(lock, [&] { return sim_.tick_ >= woken || sim_.shutdown_; });
  }

 private:
  SimulatedSystem& sim_;
};

SimulatedSystem::SimulatedSystem(const CalendarRecord& start) {
  CalendarRecord r = start;
  r.milliseconds = 0;
  RecordToFileTime(r, now_);
}

SimulatedSystem::~SimulatedSystem() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shutdown_ = true;
  }
  changed_.notify_all();
  for (auto& t : threads_) t.join();
}

CalendarRecord SimulatedSystem::LocalTime() {
  std::lock_guard<std::mutex> lock(mutex_);
  CalendarRecord r;
  FileTimeToRecord(now_ + 5 * 10'000, r);  // woken 5 ms after the second
  return r;
}

FileTime SimulatedSystem::Now() {
  std::lock_guard<std::mutex> lock(mutex_);
  return now_;
}

std::unique_ptr<Waiter> SimulatedSystem::NewWaiter() { return std::make_unique<SimWaiter>(*this); }

bool SimulatedSystem::StartThread(std::function<void()> body) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (started_ >= refusedFrom_) return false;
  ++busy_;
  ++alive_;
  ++started_;
  threads_.emplace_back([this, body = std::move(body)]() mutable {
    body();
    body = nullptr;  // what the thread held is released before it counts as ended
    std::lock_guard<std::mutex> done(mutex_);
    --busy_;
    --alive_;
    changed_.notify_all();
  });
  return true;
}

bool SimulatedSystem::Settle(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return busy_ == 0; });
}

bool SimulatedSystem::Step(FileTime by) {
  if (!Settle()) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ += by;
    ++tick_;
    busy_ += waiting_;
    waiting_ = 0;
  }
  changed_.notify_all();
  return Settle();
}

bool SimulatedSystem::Advance(int seconds) {
  for (int s = 0; s < seconds; ++s) {
    if (!Step(kTicksPerSecond)) return false;
  }
  return true;
}

bool SimulatedSystem::Jump(int64_t seconds) {
  return Step(static_cast<FileTime>(seconds * static_cast<int64_t>(kTicksPerSecond)));
}

void SimulatedSystem::HoldUntilReleased() {
  std::unique_lock<std::mutex> lock(mutex_);
  const uint64_t released = releases_ + 1;
  --busy_;
  ++held_;
  changed_.notify_all();
  changed_.wait(lock, [&] { return releases_ >= released || shutdown_; });
}

void SimulatedSystem::Release() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++releases_;
    busy_ += held_;
    held_ = 0;
  }
  changed_.notify_all();
}

void SimulatedSystem::RefuseThreadsFrom(int started) {
  std::lock_guard<std::mutex> lock(mutex_);
  refusedFrom_ = started;
}

int SimulatedSystem::ThreadsStarted() {
  std::lock_guard<std::mutex> lock(mutex_);
  return started_;
}

int SimulatedSystem::ThreadsRunning() {
  std::lock_guard<std::mutex> lock(mutex_);
  return alive_;
}

}  // namespace ormidal
