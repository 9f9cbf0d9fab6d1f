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

PowerFacts Facts(WakeTimerPlan plan, bool battery = true) {
  PowerFacts facts;
  facts.battery = battery;
  facts.modernStandby = false;
  facts.wakeTimers = plan;
  return facts;
}

TEST(PowerPlan, OnlyWhatIsTrueOfThisMachineIsToldOnceForEachKind) {
  using S = WakeTimerSetting;
  using K = PowerNoticeKind;
  const PowerFacts offOnBattery = Facts({S::kEnabled, S::kDisabled});
  const PowerFacts desktopOff = Facts({S::kEnabled, S::kDisabled}, false);
  PowerFacts batteryUnknown = offOnBattery;
  batteryUnknown.battery.reset();
  PowerFacts neverSleepsOnAc = Facts({S::kDisabled, S::kDisabled});
  neverSleepsOnAc.onBattery = false;
  neverSleepsOnAc.sleepAfter = {0u, 900u};
  neverSleepsOnAc.hibernateAfter = {0u, std::nullopt};
  PowerFacts neverSleepsOnBattery = neverSleepsOnAc;
  neverSleepsOnBattery.sleepAfter = {900u, 0u};
  neverSleepsOnBattery.hibernateAfter = {std::nullopt, 0u};
  PowerFacts modernStandby = Facts({S::kEnabled, S::kEnabled});
  modernStandby.modernStandby = true;
  PowerFacts signIn = Facts({S::kEnabled, S::kEnabled}, false);
  signIn.signInOnWake = {true, std::nullopt};
  PowerFacts signInAudio = signIn;
  signInAudio.audioMode = true;
  PowerFacts signInNeverSleeps = signIn;
  signInNeverSleeps.sleepAfter.onAc = 0u;
  signInNeverSleeps.hibernateAfter.onAc = 0u;
  struct Case {
    const char* label;
    WakeResult armed;
    PowerFacts facts;
    bool startAhead;
    std::vector<PowerNotice> notices;
  };
  const Case cases[] = {
      {"all well", WakeResult::kArmed, Facts({S::kEnabled, S::kEnabled}), true, {}},
      {"off on both", WakeResult::kArmed, Facts({S::kDisabled, S::kDisabled}), true,
       {{K::kWake, kWakeTimersOffNotice}}},
      {"off on AC", WakeResult::kArmed, Facts({S::kDisabled, S::kEnabled}), true,
       {{K::kWake, kWakeTimersOffOnAcNotice}}},
      {"off on battery", WakeResult::kArmed, Facts({S::kUnreadable, S::kDisabled}), true,
       {{K::kWake, kWakeTimersOffOnBatteryNotice}}},
      {"plan unreadable", WakeResult::kArmed, Facts({S::kUnreadable, S::kUnreadable}), true, {}},
      {"no start ahead", WakeResult::kArmed, Facts({S::kDisabled, S::kDisabled}), false, {}},
      {"no resume", WakeResult::kArmedNoResume, Facts({S::kDisabled, S::kDisabled}), true,
       {{K::kWake, kNoResumeNotice}}},
      {"failed", WakeResult::kFailed, Facts({S::kEnabled, S::kEnabled}), true,
       {{K::kWake, kWakeFailedNotice}}},
      {"no battery", WakeResult::kArmed, desktopOff, true, {}},
      {"battery unknown", WakeResult::kArmed, batteryUnknown, true, {}},
      {"never sleeps on AC in use", WakeResult::kFailed, neverSleepsOnAc, true, {}},
      {"never sleeps on battery", WakeResult::kArmed, neverSleepsOnBattery, true,
       {{K::kWake, kWakeTimersOffOnAcNotice}}},
      {"modern standby", WakeResult::kArmed, modernStandby, true,
       {{K::kModernStandby, kModernStandbyNotice}}},
      {"sign-in on wake", WakeResult::kArmed, signIn, true,
       {{K::kSignInOnWake, kSignInOnWakeNotice}}},
      {"sign-in, audio mode", WakeResult::kArmed, signInAudio, true, {}},
      {"sign-in, never sleeps", WakeResult::kArmed, signInNeverSleeps, true, {}},
      {"all unreadable", WakeResult::kArmed, PowerFacts{}, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(PowerNotices({c.armed, c.facts, c.startAhead}), c.notices);
  }

  // An unreadable plan uses up nothing; each kind is told once, in the mode
  // the engine runs in.
  RecordingPower power;
  PowerApplier applier(power);
  power.facts = Facts({S::kUnreadable, S::kUnreadable});
  PowerState wanted{Jan5(20, 0, 0), std::nullopt};
  EXPECT_TRUE(applier.Apply(wanted).notices.empty());
  power.facts = offOnBattery;
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
  struct Case {
    std::string_view text;
    std::size_t limit;
    std::vector<std::string> pieces;
  };
  const Case cases[] = {
      {"Short. Enough.", 20, {"Short. Enough."}},
      {"First one. Second one.", 15, {"First one.", "Second one."}},
      {"No sentence ends here", 12, {"No sentence", "ends here"}},
      {"Unbroken", 3, {"Unb", "rok", "en"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NoticePieces(c.text, c.limit), c.pieces) << c.text;
  }
  std::string joined;
  for (const std::string& piece : NoticePieces(kNoResumeNotice, 255)) {
    EXPECT_LE(piece.size(), 255u);
    joined += (joined.empty() ? "" : " ") + piece;
  }
  EXPECT_EQ(joined, kNoResumeNotice);
}

}  // namespace
}  // namespace ormidal
