// How an open that another program's handle refuses is tried again: a backup
// tool, a sync client or a virus scanner may hold a file for seconds.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace ormidal {

// The system's error numbers for a file another program holds.
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorLockViolation = 33;

// Whether an open that failed with this error may succeed once the holder lets go.
bool HeldByAnotherProgram(uint32_t error);

struct RetryBound {
  std::chrono::milliseconds limit;  // from the first try to the last
  std::chrono::milliseconds poll;   // between two tries
};

// The schedule's read at Enable: the scheduler ends when it cannot read it.
constexpr RetryBound kScheduleReadRetry{std::chrono::seconds(10), std::chrono::milliseconds(100)};

class RetryClock {
 public:
  virtual ~RetryClock() = default;
  virtual std::chrono::milliseconds Now() = 0;  // from any fixed point
  virtual void Sleep(std::chrono::milliseconds length) = 0;
};

// Calls tryOpen (0 when it opened, else the system's error) until it opens,
// fails otherwise than by another program's hold, or bound.limit has passed
// since the first call; returns the last result.
uint32_t OpenWhileHeld(const std::function<uint32_t()>& tryOpen, const RetryBound& bound,
                       RetryClock& clock);

}  // namespace ormidal
