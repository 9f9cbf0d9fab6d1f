#include "power_plan.h"

namespace ormidal {
namespace {

bool SameDay(const CalendarRecord& a, const CalendarRecord& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}

}  // namespace

std::string AwakeReasonText(std::string_view name, FileTime end, FileTime now) {
  CalendarRecord endRecord;
  CalendarRecord nowRecord;
  std::string until;
  if (FileTimeToRecord(end, endRecord)) {
    until = FileTimeToRecord(now, nowRecord) && SameDay(endRecord, nowRecord)
                ? ClockText(endRecord)
                : FileTimeToText(end);
  }
  return "Recording \"" + std::string(name) + "\" until " + until;
}

FileTime WakeTimeFor(FileTime start) {
  const FileTime lead = static_cast<FileTime>(kWakeLeadSeconds) * kTicksPerSecond;
  return start > lead ? start - lead : 0;
}

PowerState PlanPower(const PowerInputs& in) {
  PowerState state;
  if (!in.schedulerActive) return state;
  const PowerRecording* last = nullptr;
  for (const PowerRecording& open : in.open) {
    if (last == nullptr || open.end > last->end) last = &open;
  }
  if (in.next && in.next->withinHorizon) {
    const FileTime wake = WakeTimeFor(in.next->start);
    state.wake = wake;
    if (in.now >= wake && (last == nullptr || in.next->recording.end > last->end)) {
      last = &in.next->recording;
    }
  }
  if (last != nullptr) {
    state.awake = AwakeReason{AwakeReasonText(last->name, last->end, in.now), !in.audioMode};
  }
  return state;
}

namespace {

// An unreadable timeout claims nothing: the plan may sleep.
bool Sleeps(const PowerFacts& f, bool battery) {
  const auto& sleep = battery ? f.sleepAfter.onBattery : f.sleepAfter.onAc;
  const auto& hibernate = battery ? f.hibernateAfter.onBattery : f.hibernateAfter.onAc;
  return (!battery || f.battery == true) && (sleep != 0u || hibernate != 0u);
}

// Not knowing the source in use, any source the plan sleeps on.
bool WakeMatters(const PowerFacts& f) {
  if (f.battery == true && f.onBattery) return Sleeps(f, *f.onBattery);
  return Sleeps(f, false) || Sleeps(f, true);
}

std::optional<std::string> WakeNotice(WakeResult armed, const WakeTimerPlan& plan) {
  switch (armed) {
    case WakeResult::kFailed:
      return kWakeFailedNotice;
    case WakeResult::kArmedNoResume:
      return kNoResumeNotice;
    case WakeResult::kArmed:
      break;
  }
  const bool offOnAc = plan.onAc == WakeTimerSetting::kDisabled;
  const bool offOnBattery = plan.onBattery == WakeTimerSetting::kDisabled;
  if (offOnAc && offOnBattery) return kWakeTimersOffNotice;
  if (offOnAc) return kWakeTimersOffOnAcNotice;
  if (offOnBattery) return kWakeTimersOffOnBatteryNotice;
  return std::nullopt;
}

}  // namespace

WakeTimerPlan WakeTimersThatMatter(const PowerFacts& f) {
  WakeTimerPlan plan;
  if (Sleeps(f, false)) plan.onAc = f.wakeTimers.onAc;
  if (Sleeps(f, true)) plan.onBattery = f.wakeTimers.onBattery;
  return plan;
}

std::vector<PowerNotice> PowerNotices(const WakeFacts& facts) {
  const PowerFacts& f = facts.power;
  std::vector<PowerNotice> notices;
  if (!facts.startAhead || !WakeMatters(f)) return notices;
  if (auto wake = WakeNotice(facts.armed, WakeTimersThatMatter(f))) {
    notices.push_back({PowerNoticeKind::kWake, std::move(*wake)});
  }
  if (f.modernStandby == true) {
    notices.push_back({PowerNoticeKind::kModernStandby, kModernStandbyNotice});
  }
  const bool signIn = (Sleeps(f, false) && f.signInOnWake.onAc == true) ||
                      (Sleeps(f, true) && f.signInOnWake.onBattery == true);
  if (signIn && !f.audioMode) {
    notices.push_back({PowerNoticeKind::kSignInOnWake, kSignInOnWakeNotice});
  }
  return notices;
}

std::vector<std::string> NoticePieces(std::string_view text, std::size_t limit) {
  std::vector<std::string> pieces;
  while (!text.empty() && limit > 0) {
    std::size_t cut = text.size();
    if (cut > limit) {
      const std::string_view head = text.substr(0, limit + 1);
      const std::size_t sentence = head.rfind(". ");
      const std::size_t word = head.rfind(' ');
      cut = sentence != std::string_view::npos ? sentence + 1
            : word != std::string_view::npos && word > 0 ? word
                                                       : limit;
    }
    pieces.emplace_back(text.substr(0, cut));
    text.remove_prefix(cut);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  }
  return pieces;
}

PowerApplied PowerApplier::Apply(const PowerState& wanted, bool audioMode) {
  std::lock_guard<std::mutex> lock(mutex_);
  PowerApplied applied;
  // The hold first: a computer about to lose its wake must not sleep in between.
  if (!known_ || wanted.awake != applied_.awake) {
    if (wanted.awake) {
      applied.held = power_.HoldAwake(*wanted.awake);
    } else {
      power_.ReleaseAwake();
    }
  }
  if (!known_ || wanted.wake != applied_.wake) {
    if (wanted.wake) {
      applied.armed = power_.ArmWake(*wanted.wake);
    } else {
      power_.CancelWake();
    }
  }
  applied_ = wanted;
  known_ = true;
  constexpr unsigned kAllTold = (1u << kPowerNoticeKinds) - 1;
  if (applied.armed && told_ != kAllTold) {
    // An armed wake is for a start still ahead.
    WakeFacts facts{*applied.armed, power_.ReadPowerFacts(), true};
    facts.power.audioMode = audioMode;
    for (PowerNotice& notice : PowerNotices(facts)) {
      const unsigned bit = 1u << static_cast<unsigned>(notice.kind);
      if ((told_ & bit) != 0) continue;
      told_ |= bit;
      applied.notices.push_back(std::move(notice.text));
    }
  }
  return applied;
}

void PowerApplier::Forget() {
  std::lock_guard<std::mutex> lock(mutex_);
  known_ = false;
}

}  // namespace ormidal
