// What the computer's power state must be while the scheduler runs: woken a
// minute before the next start request, kept awake from then until the last
// stop request has gone out, and the user told once when waking cannot work.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "power_system.h"
#include "time_text.h"

namespace ormidal {

// Waking takes time, and the recording program must be up before the start.
constexpr int64_t kWakeLeadSeconds = 60;
// Nothing further ahead is armed: the next start is looked for this far only.
constexpr int kWakeHorizonDays = 366;

struct PowerRecording {
  std::string name;  // timeName
  FileTime end = 0;  // its stop request goes out at this second
};

// The next start request the engine will send.
struct NextStart {
  FileTime start = 0;
  PowerRecording recording;
  bool withinHorizon = false;  // due within kWakeHorizonDays of now
};

struct PowerInputs {
  FileTime now = 0;
  bool schedulerActive = false;
  std::optional<NextStart> next;
  // Started recordings whose stop request has not gone out yet.
  std::vector<PowerRecording> open;
  bool audioMode = false;
};

struct PowerState {
  std::optional<FileTime> wake;      // local time
  std::optional<AwakeReason> awake;  // none: the computer may sleep
  bool operator==(const PowerState&) const = default;
};

PowerState PlanPower(const PowerInputs& inputs);

// When the computer is woken for a start request at this local time.
FileTime WakeTimeFor(FileTime start);

// `Recording "Evening news" until 08:30:00 PM`; an end on another day than
// now carries its date as well.
std::string AwakeReasonText(std::string_view name, FileTime end, FileTime now);

constexpr char kWakeFailedNotice[] =
    "The scheduler could not set a wake-up timer, so the computer will not wake from sleep "
    "for scheduled recordings. To keep it awake instead: Control Panel > Power Options > "
    "Change plan settings > Put the computer to sleep: Never.";
constexpr char kNoResumeNotice[] =
    "This computer does not wake from sleep for timers, so scheduled recordings are missed "
    "while it sleeps. Check Control Panel > Power Options > Change plan settings > Change "
    "advanced power settings > Sleep > Allow wake timers, or keep the computer awake: "
    "Change plan settings > Put the computer to sleep: Never.";
constexpr char kWakeTimersOffNotice[] =
    "Wake timers are turned off in the active power plan, so the computer will not wake from "
    "sleep for scheduled recordings. To turn them on: Control Panel > Power Options > Change "
    "plan settings > Change advanced power settings > Sleep > Allow wake timers (Plugged in "
    "and On battery): Enable.";
constexpr char kWakeTimersOffOnAcNotice[] =
    "Wake timers are turned off in the active power plan while the computer is plugged in, so "
    "it will not wake from sleep for scheduled recordings then. To turn them on: Control Panel "
    "> Power Options > Change plan settings > Change advanced power settings > Sleep > Allow "
    "wake timers > Plugged in: Enable.";
constexpr char kWakeTimersOffOnBatteryNotice[] =
    "Wake timers are turned off in the active power plan while the computer runs on battery, "
    "so it will not wake from sleep for scheduled recordings then. To turn them on: Control "
    "Panel > Power Options > Change plan settings > Change advanced power settings > Sleep > "
    "Allow wake timers > On battery: Enable.";

constexpr char kKeepAwakeFailedNotice[] =
    "The scheduler cannot keep the computer awake while it records, so the computer may fall "
    "asleep in the middle of a recording. To prevent that: Control Panel > Power Options > "
    "Change plan settings > Put the computer to sleep: Never.";

constexpr char kModernStandbyNotice[] =
    "This computer uses Modern Standby: while it sleeps, it may not wake for scheduled "
    "recordings, or may fall asleep again before they start. While recordings are due, keep "
    "it plugged in and awake: Control Panel > Power Options > Change plan settings > Put the "
    "computer to sleep (Plugged in): Never.";
constexpr char kSignInOnWakeNotice[] =
    "This computer asks for a sign-in when it wakes from sleep, so a screen or video "
    "recording started after a wake records the sign-in screen. To turn that off: Settings > "
    "Accounts > Sign-in options > If you've been away, when should Windows require you to "
    "sign in again: Never. Or record audio only, which the sign-in screen does not disturb.";

struct WakeFacts {
  WakeResult armed = WakeResult::kArmed;
  PowerFacts power;
  bool startAhead = false;
};

enum class PowerNoticeKind { kWake, kModernStandby, kSignInOnWake };
constexpr int kPowerNoticeKinds = 3;

struct PowerNotice {
  PowerNoticeKind kind = PowerNoticeKind::kWake;
  std::string text;
  bool operator==(const PowerNotice&) const = default;
};

// "Allow wake timers" only where it can keep a start from waking this
// machine: on a power source it has and on which the plan sleeps.
WakeTimerPlan WakeTimersThatMatter(const PowerFacts& facts);

// What the user is told for these facts, at most one notice of each kind:
// nothing without a start ahead, or where the plan never sleeps on the
// power source in use.
std::vector<PowerNotice> PowerNotices(const WakeFacts& facts);

// A notice in pieces of at most limit bytes, cut after a sentence where one
// fits, else after a word: a notification balloon holds fewer characters
// than some notices have.
std::vector<std::string> NoticePieces(std::string_view text, std::size_t limit);

// What one Apply changed.
struct PowerApplied {
  std::optional<WakeResult> armed;
  std::optional<AwakeResult> held;
  // Each kind at most once per applier, so once per run.
  std::vector<std::string> notices;
};

// Brings the system to the wanted state, calling it only where the wanted
// state differs from the one last applied: asked every second, it re-arms
// only when the wake time changes. A failed call is not retried until the
// wanted state changes. Safe from any thread.
class PowerApplier {
 public:
  explicit PowerApplier(PowerSystem& power) : power_(power) {}

  PowerApplied Apply(const PowerState& wanted, bool audioMode = false);
  // The system's state is no longer known (after a resume, or a jump of the
  // clock, which moves the local wake time against the system's own): the
  // next Apply sets all of it again.
  void Forget();

 private:
  PowerSystem& power_;
  std::mutex mutex_;
  PowerState applied_;
  bool known_ = true;  // at first nothing is armed or held
  unsigned told_ = 0;  // a bit for each PowerNoticeKind
};

}  // namespace ormidal
