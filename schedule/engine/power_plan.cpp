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

std::optional<std::string> WakeNoticeText(const WakeFacts& facts) {
  if (!facts.startAhead) return std::nullopt;
  switch (facts.armed) {
    case WakeResult::kFailed:
      return kWakeFailedNotice;
    case WakeResult::kArmedNoResume:
      return kNoResumeNotice;
    case WakeResult::kArmed:
      break;
  }
  const bool offOnAc = facts.plan.onAc == WakeTimerSetting::kDisabled;
  const bool offOnBattery = facts.plan.onBattery == WakeTimerSetting::kDisabled;
  if (offOnAc && offOnBattery) return kWakeTimersOffNotice;
  if (offOnAc) return kWakeTimersOffOnAcNotice;
  if (offOnBattery) return kWakeTimersOffOnBatteryNotice;
  return std::nullopt;
}

PowerApplied PowerApplier::Apply(const PowerState& wanted) {
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
  if (applied.armed && !told_) {
    // An armed wake is for a start still ahead.
    applied.notice = WakeNoticeText({*applied.armed, power_.ReadWakeTimerPlan(), true});
    told_ = applied.notice.has_value();
  }
  return applied;
}

void PowerApplier::Forget() {
  std::lock_guard<std::mutex> lock(mutex_);
  known_ = false;
}

}  // namespace ormidal
