#include "wait_timer.h"

namespace ormidal {

WaitTimerChoice ChooseWaitTimer(WaitTimerWanted wanted, HighResolutionAnswer answer) {
  if (wanted == WaitTimerWanted::kMultimedia) return {WaitTimer::kMultimedia, false};
  switch (answer) {
    case HighResolutionAnswer::kCreated:
      return {WaitTimer::kHighResolution, true};
    case HighResolutionAnswer::kFailed:
      return {WaitTimer::kMultimedia, true};
    case HighResolutionAnswer::kNotAsked:
    case HighResolutionAnswer::kMissing:
    case HighResolutionAnswer::kRefused:
      break;
  }
  return {WaitTimer::kMultimedia, false};
}

}  // namespace ormidal
