// Which timer ends the engine's one-second waits. A high-resolution waitable
// timer (Windows 10 1803 on) wakes on time without asking the whole system
// for 1 ms timer resolution, which Windows 11 does not grant a process whose
// windows are minimized or hidden; elsewhere the multimedia timer does.
#pragma once

namespace ormidal {

enum class WaitTimer { kHighResolution, kMultimedia };

// What the program asks for: the best the system has, or the multimedia timer
// whatever it has (the latency benchmark's other path).
enum class WaitTimerWanted { kBest, kMultimedia };

// What asking the system for a high-resolution waitable timer gave.
enum class HighResolutionAnswer {
  kNotAsked,
  kMissing,  // no CreateWaitableTimerExW in the system
  kCreated,
  kRefused,  // ERROR_INVALID_PARAMETER: a system before Windows 10 1803
  kFailed,   // any other failure, such as no resources just now
};

struct WaitTimerChoice {
  WaitTimer timer = WaitTimer::kMultimedia;
  bool askNextTime = false;  // whether the next wait's timer is asked for again
};

// The timer for a new one-second wait, and whether a later one is worth asking
// the system again: a system that lacks the timer never gets it in this run.
WaitTimerChoice ChooseWaitTimer(WaitTimerWanted wanted, HighResolutionAnswer answer);

}  // namespace ormidal
