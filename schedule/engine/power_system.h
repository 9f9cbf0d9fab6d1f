// The engine's seam to the system's power management: one wake at a local
// wall-clock time, and one "keep awake" hold with a reason the system shows
// (powercfg /requests). A waitable timer and power requests on Windows; a
// recording fake in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "time_text.h"

namespace ormidal {

enum class WakeResult {
  kArmed,
  // The timer runs, but the system says it will not wake a sleeping computer
  // for it (ERROR_NOT_SUPPORTED, ERROR_TIMER_RESUME_IGNORED).
  kArmedNoResume,
  kFailed,
};

enum class AwakeResult {
  kRequested,       // a power request with the reason
  kExecutionState,  // the thread execution state, where power requests are missing
  kFailed,
};

// The active power plan's "Allow wake timers", on AC and on battery.
enum class WakeTimerSetting { kEnabled, kDisabled, kUnreadable };
struct WakeTimerPlan {
  WakeTimerSetting onAc = WakeTimerSetting::kUnreadable;
  WakeTimerSetting onBattery = WakeTimerSetting::kUnreadable;
  bool operator==(const WakeTimerPlan&) const = default;
};

// One value of the active plan for each power source.
template <class T>
struct PerSource {
  T onAc{};
  T onBattery{};
  bool operator==(const PerSource&) const = default;
};

// What the system tells of this machine's power. Each fact may be unreadable
// (none); an unreadable fact claims nothing.
struct PowerFacts {
  std::optional<bool> battery;        // a system battery is present
  std::optional<bool> modernStandby;  // sleeps in S0 low-power idle (AoAc)
  std::optional<bool> onBattery;      // the power source in use now
  WakeTimerPlan wakeTimers;
  // Seconds of idle before the plan sleeps or hibernates; 0 never.
  PerSource<std::optional<uint32_t>> sleepAfter;
  PerSource<std::optional<uint32_t>> hibernateAfter;
  // "Require a password on wakeup" (console lock).
  PerSource<std::optional<bool>> signInOnWake;
  // Not read from the system: audio recordings do not care what the screen shows.
  bool audioMode = false;
  bool operator==(const PowerFacts&) const = default;
};

struct AwakeReason {
  std::string text;  // system code page
  // Screen recorders capture what is on screen: the display must stay on too.
  bool displayRequired = false;
  bool operator==(const AwakeReason&) const = default;
};

// Calls come from one thread at a time (PowerApplier serialises them).
class PowerSystem {
 public:
  virtual ~PowerSystem() = default;
  // Arms the one wake for this local time, replacing any earlier one; the
  // system converts it to its own absolute time as it is armed.
  virtual WakeResult ArmWake(FileTime localTime) = 0;
  // False when the system reports that the cancel failed.
  virtual bool CancelWake() = 0;
  // Holds the computer awake until ReleaseAwake; a new hold replaces the old
  // one without a gap. When it fails, any earlier hold stays.
  virtual AwakeResult HoldAwake(const AwakeReason& reason) = 0;
  virtual bool ReleaseAwake() = 0;
  virtual PowerFacts ReadPowerFacts() = 0;
};

}  // namespace ormidal
