#include "power_plan.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recording_power.h"

namespace ormidal {
namespace {

FileTime At(std::string_view text) {
  const FileTime point = GetFileTime(text);
  EXPECT_NE(point, 0u) << text;
  return point;
}

FileTime Jan5(int hour, int minute, int second) {
  return At("Jan 05,2026 12:00:00 AM") +
         static_cast<FileTime>(hour * 3600 + minute * 60 + second) * kTicksPerSecond;
}

std::string Text(const std::optional<FileTime>& point) {
  return point ? FileTimeToText(*point) : "none";
}

TEST(PowerPlan, WakeIsAMinuteBeforeTheNextStartWithinTheHorizon) {
  struct Case {
    const char* entry;
    FileTime now, start;
    const char* wake;
  };
  // The next start as the engine's own search gives it for each kind of line.
  const Case cases[] = {
      {"Daily, past midnight", Jan5(22, 0, 0), At("Jan 06,2026 12:00:30 AM"),
       "Jan 05,2026 11:59:30 PM"},
      {"Mon, the next week", Jan5(22, 0, 0), At("Jan 12,2026 06:15:00 AM"),
       "Jan 12,2026 06:14:00 AM"},
      {"Once, new year", At("Dec 31,2026 08:00:00 PM"), At("Jan 01,2027 12:00:00 AM"),
       "Dec 31,2026 11:59:00 PM"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    PowerInputs in{c.now,
                   true,
                   NextStart{c.start, {"News", c.start + 3600 * kTicksPerSecond}, true},
                   {},
                   false};
    EXPECT_EQ(Text(PlanPower(in).wake), c.wake);
    EXPECT_FALSE(PlanPower(in).awake);
    in.next->withinHorizon = false;
    EXPECT_EQ(PlanPower(in), PowerState{});
    in.next->withinHorizon = true;
    in.schedulerActive = false;
    EXPECT_EQ(PlanPower(in), PowerState{});
  }
}

// Two recordings that overlap, A 08:00 to 09:00 PM and B 08:30 to 10:00 PM,
// driven second by second: the engine's view at each second goes through the
// plan and the applier, and the system is asked only when something changes.
TEST(PowerPlan, HoldRunsFromTheLeadUntilTheLastStopAndEachChangeIsAppliedOnce) {
  struct Recording {
    std::string name;
    FileTime start, end;
  };
  const std::vector<Recording> recordings = {{"A", Jan5(20, 0, 0), Jan5(21, 0, 0)},
                                             {"B", Jan5(20, 30, 0), Jan5(22, 0, 0)}};
  RecordingPower power;
  PowerApplier applier(power);
  std::vector<std::string> log;
  for (FileTime now = Jan5(19, 58, 0); now <= Jan5(22, 1, 0); now += kTicksPerSecond) {
    PowerInputs in{now, true, std::nullopt, {}, false};
    for (const Recording& r : recordings) {
      // A start or stop due at now goes out in this second.
      if (r.start <= now && now < r.end) in.open.push_back({r.name, r.end});
      if (r.start > now && !in.next) in.next = NextStart{r.start, {r.name, r.end}, true};
    }
    applier.Apply(PlanPower(in));
    for (const std::string& call : power.Take()) log.push_back(FileTimeToText(now) + " " + call);
  }
  const std::vector<std::string> expected = {
      "Jan 05,2026 07:58:00 PM arm Jan 05,2026 07:59:00 PM",
      "Jan 05,2026 07:59:00 PM hold Recording \"A\" until 09:00:00 PM +display",
      "Jan 05,2026 08:00:00 PM arm Jan 05,2026 08:29:00 PM",
      "Jan 05,2026 08:29:00 PM hold Recording \"B\" until 10:00:00 PM +display",
      "Jan 05,2026 08:30:00 PM cancel",
      "Jan 05,2026 10:00:00 PM release",
  };
  EXPECT_EQ(log, expected);
}

TEST(PowerPlan, DisableReleasesEverythingAndForgetSetsItAllAgain) {
  RecordingPower power;
  PowerApplier applier(power);
  const FileTime now = Jan5(20, 15, 0);
  // Audio mode: nothing on screen to record, so the display may go dark.
  PowerInputs in{now,
                 true,
                 NextStart{Jan5(23, 0, 0), {"Late", Jan5(23, 30, 0)}, true},
                 {{"Music", Jan5(21, 0, 0)}},
                 true};
  applier.Apply(PlanPower(in));
  EXPECT_EQ(power.Take(), (std::vector<std::string>{"hold Recording \"Music\" until 09:00:00 PM",
                                                    "arm Jan 05,2026 10:59:00 PM"}));
  applier.Apply(PlanPower(in));
  EXPECT_TRUE(power.calls.empty());

  in.schedulerActive = false;
  in.open.clear();
  applier.Apply(PlanPower(in));
  EXPECT_EQ(power.Take(), (std::vector<std::string>{"release", "cancel"}));
  applier.Apply(PlanPower(in));
  EXPECT_TRUE(power.calls.empty());

  // After a resume the same wanted state is set again, and so is "nothing".
  applier.Forget();
  applier.Apply(PlanPower(in));
  EXPECT_EQ(power.Take(), (std::vector<std::string>{"release", "cancel"}));
  in.schedulerActive = true;
  applier.Apply(PlanPower(in));
  applier.Forget();
  applier.Apply(PlanPower(in));
  EXPECT_EQ(power.Take(), (std::vector<std::string>{"arm Jan 05,2026 10:59:00 PM", "release",
                                                    "arm Jan 05,2026 10:59:00 PM"}));
}

TEST(PowerPlan, AReasonEndingOnAnotherDayCarriesItsDate) {
  EXPECT_EQ(AwakeReasonText("Evening news", Jan5(20, 30, 0), Jan5(19, 59, 0)),
            "Recording \"Evening news\" until 08:30:00 PM");
  EXPECT_EQ(AwakeReasonText("Night", At("Jan 06,2026 02:00:00 AM"), Jan5(23, 59, 0)),
            "Recording \"Night\" until Jan 06,2026 02:00:00 AM");
}

PowerFacts Facts(WakeTimerPlan plan, std::optional<bool> battery = true) {
  PowerFacts facts;
  facts.battery = battery;
  facts.modernStandby = false;
  facts.onBattery = false;
  facts.wakeTimers = plan;
  return facts;
}

TEST(PowerPlan, OnlyWhatIsTrueOfThisMachineIsToldOnceForEachKind) {
  using S = WakeTimerSetting;
  using K = PowerNoticeKind;
  constexpr WakeResult kArmed = WakeResult::kArmed;
  const WakeTimerPlan on = {S::kEnabled, S::kEnabled}, off = {S::kDisabled, S::kDisabled};
  const WakeTimerPlan offOnAc = {S::kDisabled, S::kEnabled}, offOnDc = {S::kEnabled, S::kDisabled};
  enum Never { kSleeps, kNeverOnAc, kNeverOnBattery };
  struct Case {
    const char* label;
    WakeResult armed;
    PowerFacts facts;
    Never never = kSleeps;
    std::vector<PowerNotice> notices = {};
    bool startAhead = true;
  };
  auto wake = [&](const char* text) { return std::vector<PowerNotice>{{K::kWake, text}}; };
  PowerFacts standby = Facts(on), signIn = Facts(on, false), audio = Facts(on, false);
  standby.modernStandby = true;
  signIn.signInOnWake = audio.signInOnWake = {true, std::nullopt};
  audio.audioMode = true;
  const Case cases[] = {
      {"all well", kArmed, Facts(on)},
      {"off on both", kArmed, Facts(off), kSleeps, wake(kWakeTimersOffNotice)},
      {"off on AC", kArmed, Facts(offOnAc), kSleeps, wake(kWakeTimersOffOnAcNotice)},
      {"off on battery", kArmed, Facts({S::kUnreadable, S::kDisabled}), kSleeps,
       wake(kWakeTimersOffOnBatteryNotice)},
      {"no start ahead", kArmed, Facts(off), kSleeps, {}, false},
      {"no resume", WakeResult::kArmedNoResume, Facts(off), kSleeps, wake(kNoResumeNotice)},
      {"failed", WakeResult::kFailed, Facts(on), kSleeps, wake(kWakeFailedNotice)},
      {"no battery", kArmed, Facts(offOnDc, false)},
      {"battery unknown", kArmed, Facts(offOnDc, std::nullopt)},
      {"never sleeps on AC, in use", WakeResult::kFailed, Facts(off), kNeverOnAc},
      {"never sleeps on battery", kArmed, Facts(off), kNeverOnBattery,
       wake(kWakeTimersOffOnAcNotice)},
      {"modern standby", kArmed, standby, kSleeps, {{K::kModernStandby, kModernStandbyNotice}}},
      {"sign-in on wake", kArmed, signIn, kSleeps, {{K::kSignInOnWake, kSignInOnWakeNotice}}},
      {"sign-in, audio mode", kArmed, audio},
      {"sign-in, never sleeps", kArmed, signIn, kNeverOnAc},
      {"all unreadable", kArmed, PowerFacts{}},
  };
  for (Case c : cases) {
    // "Never" is both timeouts 0 on that source; the other sleeps after 15 minutes.
    if (c.never != kSleeps) {
      c.facts.sleepAfter = c.never == kNeverOnAc ? PerSource<std::optional<uint32_t>>{0u, 900u}
                                                 : PerSource<std::optional<uint32_t>>{900u, 0u};
      c.facts.hibernateAfter = {0u, 0u};
    }
    EXPECT_EQ(PowerNotices({c.armed, c.facts, c.startAhead}), c.notices) << c.label;
  }

  // An unreadable plan uses up nothing; each kind is told once, in the mode
  // the engine runs in.
  RecordingPower power;
  PowerApplier applier(power);
  power.facts = Facts({S::kUnreadable, S::kUnreadable});
  PowerState wanted{Jan5(20, 0, 0), std::nullopt};
  EXPECT_TRUE(applier.Apply(wanted).notices.empty());
  power.facts = Facts(offOnDc);
  power.facts.signInOnWake.onAc = true;
  wanted.wake = Jan5(21, 0, 0);
  EXPECT_EQ(applier.Apply(wanted, true).notices,
            std::vector<std::string>{kWakeTimersOffOnBatteryNotice});
  power.armResult = WakeResult::kArmedNoResume;
  power.facts.modernStandby = true;
  wanted.wake = Jan5(22, 0, 0);
  const PowerApplied later = applier.Apply(wanted);
  EXPECT_EQ(later.armed, WakeResult::kArmedNoResume);
  EXPECT_EQ(later.notices, (std::vector<std::string>{kModernStandbyNotice, kSignInOnWakeNotice}));
  wanted.wake = Jan5(23, 0, 0);
  EXPECT_TRUE(applier.Apply(wanted).notices.empty());
  EXPECT_EQ(power.planReads, 3);
}

TEST(PowerPlan, ANoticeIsCutForTheBalloonAfterASentenceOrAWord) {
  const std::pair<std::string_view, std::vector<std::string>> cases[] = {
      {"Short. Text.", {"Short. Text."}},
      {"One. Two three.", {"One.", "Two three."}},
      {"No sentence ends", {"No sentence", "ends"}},
      {"Unbrokenwordxyz", {"Unbrokenword", "xyz"}},
  };
  for (const auto& [text, pieces] : cases) EXPECT_EQ(NoticePieces(text, 12), pieces) << text;
}

}  // namespace
}  // namespace ormidal
