#include "open_retry.h"

#include <algorithm>

namespace ormidal {

bool HeldByAnotherProgram(uint32_t error) {
  return error == kErrorSharingViolation || error == kErrorLockViolation;
}

uint32_t OpenWhileHeld(const std::function<uint32_t()>& tryOpen, const RetryBound& bound,
                       RetryClock& clock) {
  const std::chrono::milliseconds first = clock.Now();
  for (;;) {
    const uint32_t error = tryOpen();
    const std::chrono::milliseconds left = bound.limit - (clock.Now() - first);
    if (!HeldByAnotherProgram(error) || left.count() <= 0) return error;
    // The last try falls on the bound itself.
    clock.Sleep(std::min(bound.poll, left));
  }
}

}  // namespace ormidal
