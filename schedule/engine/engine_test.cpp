#include "engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <iterator>
#include <tuple>

#include "calendar.h"
#include "engine_test_support.h"
#include "recorder_link.h"
#include "recording_power.h"

namespace ormidal {
namespace {

constexpr char kPath[] = "C:\\Settings\\schedule.log";

CalendarRecord Jan(int day, int hour, int minute, int second) {
  return Calendar(2026, 1, day, hour, minute, second);
}

std::string Text(FileTime at) { return FileTimeToText(at); }

std::string Line(const std::string& name, FileTime start, FileTime end,
                 const std::string& repeat = "Once", const std::string& pos = "100,100,600,500") {
  return name + " URL: http://x/" + name + " START: " + FileTimeToText(start) +
         " END: " + FileTimeToText(end) + " REPEAT: " + repeat + " PROG: Player WND: " + pos +
         "\r\n";
}

// An engine and its fakes; with a power system and a history it runs as the
// scheduler runs it.
struct Rig {
  explicit Rig(const CalendarRecord& start, bool withPower = true, bool withHistory = true)
      : sim(start), engine(sim, host, files, ui, recorder, options,
                           {withPower ? &power : nullptr, withHistory ? &history : nullptr}) {}
  // Every engine thread has seen the engine stop before the fakes go away.
  ~Rig() {
    engine.DisableScheduler();
    EXPECT_TRUE(sim.Advance(1));
    EXPECT_EQ(sim.ThreadsRunning(), 0);
  }
  void Enable(const std::string& contents) {
    files.files[kPath] = contents;
    engine.EnableScheduler(kPath);
    ASSERT_TRUE(sim.Settle());
  }
  SimulatedSystem sim;
  MapFiles files;
  FakeHost host;
  RecordingUi ui;
  RecordingRecorder recorder{sim};
  Options options;
  RecordingPower power;
  RecordingHistory history;
  Engine engine;
};

class EngineTest : public ::testing::Test, protected Rig {
 protected:
  EngineTest() : Rig(Jan(5, 21, 59, 50), false, false) {}
  const FileTime t0 = PointOf(Jan(5, 21, 59, 50));
};

TEST_F(EngineTest, StartAndStopGoOutOnTheSecondsTheHalfOpenWindowOpensAndCloses) {
  Enable(Line("Show", t0 + Seconds(3), t0 + Seconds(6)));
  EXPECT_EQ(ui.Status(), "Scheduler is active");
  EXPECT_EQ(ui.focus.load(), 1006);
  ASSERT_TRUE(sim.Advance(2));
  EXPECT_TRUE(recorder.Requests().empty());
  EXPECT_FALSE(engine.AnySlotArmed());
  ASSERT_TRUE(sim.Advance(1));
  auto requests = recorder.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].request, kTaskStart);
  EXPECT_EQ(requests[0].at, t0 + Seconds(3));
  EXPECT_EQ(requests[0].timeProg, "player");  // lower case for the recording program
  EXPECT_EQ(requests[0].timePos, "100,100,600,500");
  EXPECT_TRUE(engine.AnySlotArmed());
  EXPECT_EQ(ui.Filled(), std::vector<std::string>{"Show"});
  ASSERT_TRUE(sim.Advance(2));
  EXPECT_EQ(recorder.Requests().size(), 1u);
  ASSERT_TRUE(sim.Advance(1));
  requests = recorder.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].request, kTaskStop);
  EXPECT_EQ(requests[1].at, t0 + Seconds(6));  // the end itself lies outside the window
  EXPECT_FALSE(engine.AnySlotArmed());
  ASSERT_TRUE(sim.Advance(5));
  EXPECT_EQ(recorder.Requests().size(), 2u);  // once: never again
}

TEST_F(EngineTest, AWindowAlreadyOpenStartsAtOnceAndBadWindowsNeverStart) {
  Enable(Line("Open", t0 - Seconds(60), t0 + Seconds(2)) +
         Line("Backwards", t0 + Seconds(2), t0 - Seconds(2)) +
         "Unreadable URL: u START: Jan 99,2026 10:00:00 PM END: " + FileTimeToText(t0 + Seconds(9)) +
         " REPEAT: Once PROG: p WND: 1,1,9,9\r\n");
  auto requests = recorder.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].name, "Open");
  EXPECT_EQ(requests[0].at, t0);
  ASSERT_TRUE(sim.Advance(4));
  EXPECT_EQ(recorder.Count(kTaskStart), 1);
  EXPECT_EQ(recorder.Count(kTaskStop), 1);
}

TEST_F(EngineTest, TwoIdenticalLinesGiveTwoTimers) {
  const std::string line = Line("Twin", t0 + Seconds(1), t0 + Seconds(2));
  Enable(line + line);
  ASSERT_TRUE(sim.Advance(3));
  EXPECT_EQ(recorder.Count(kTaskStart), 2);
  EXPECT_EQ(recorder.Count(kTaskStop), 2);
}

TEST_F(EngineTest, ARejectedWindowPositionStopsTheWholeEngine) {
  Enable(Line("Running", t0 - Seconds(1), t0 + Seconds(30)) +
         Line("Bad", t0 + Seconds(2), t0 + Seconds(30), "Once", "600,100,100,500") +
         Line("Later", t0 + Seconds(2), t0 + Seconds(30)));
  ASSERT_TRUE(sim.Advance(2));
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"Error in window position. Cannot continue"});
  // Stopped means disabled: Enable starts it again without asking to stop it.
  EXPECT_TRUE(engine.StopRequested());
  EXPECT_FALSE(engine.SchedulerActive());
  EXPECT_EQ(ui.Status(), "Scheduler is disabled");
  ASSERT_TRUE(sim.Advance(40));
  // The running recording gets no stop request, and the line after the bad one never starts.
  EXPECT_EQ(recorder.Count(kTaskStart), 1);
  EXPECT_EQ(recorder.Count(kTaskStop), 0);
  EXPECT_EQ(sim.ThreadsRunning(), 0);
}

// Unanswered, the message holds the pass, not the running recording's stop.
TEST_F(EngineTest, ARefusedPositionWaitsForItsAnswerWhileRunningRecordingsStop) {
  host.whileShown = [&](const std::string&) { sim.HoldUntilReleased(); };
  Enable(Line("Running", t0 - Seconds(1), t0 + Seconds(5)) +
         Line("Bad", t0 + Seconds(2), t0 + Seconds(30), "Once", "600,100,100,500") +
         Line("Later", t0 + Seconds(4), t0 + Seconds(30)));
  ASSERT_TRUE(sim.Advance(8));
  sim.Release();
  ASSERT_TRUE(sim.Settle());
  EXPECT_FALSE(engine.SchedulerActive());
  EXPECT_EQ(recorder.Sent(), (std::vector<std::string>{"start Running " + Text(t0),
                                                       "stop Running " + Text(t0 + Seconds(5))}));
}

// A line never records twice at once; the clock jumps to the seconds that matter.
TEST(EngineRepeat, WindowsOfADayAndLongerFollowTheirOwnStop) {
  Rig rig(Jan(5, 20, 59, 50), false, false);
  rig.Enable(Line("Day", PointOf(Jan(5, 21, 0, 0)), PointOf(Jan(6, 21, 0, 0)), "Daily") +
             Line("Long", PointOf(Jan(5, 22, 0, 0)), PointOf(Jan(6, 23, 0, 0)), "Daily"));
  std::vector<std::string> expected;
  for (const int day : {5, 6, 7}) {
    for (const int hour : {21, 22, 23}) {
      const FileTime at = PointOf(Jan(day, hour, 0, 0));
      ASSERT_TRUE(rig.sim.Jump(static_cast<int64_t>((at - rig.sim.Now()) / kTicksPerSecond) - 2));
      ASSERT_TRUE(rig.sim.Advance(4));
      const std::string what = (hour == 21 ? "Day " : "Long ") + Text(at);
      if (day > 5 && hour != 22) expected.push_back("stop " + what);
      if (hour == 21 || (hour == 22) == (day == 5)) expected.push_back("start " + what);
    }
  }
  EXPECT_EQ(rig.recorder.Sent(), expected);
}

// While Late's start waits for Early's stop: disable, disable and enable, end.
TEST(EngineStop, AStartThatWaitedIsNotSentAfterADisableOrTheEnd) {
  const FileTime t0 = PointOf(Jan(5, 21, 59, 50));
  for (const int then : {0, 1, 2}) {
    Rig rig(Jan(5, 21, 59, 50), false, false);
    rig.recorder.whileStopping = [&] {
      if (then == 2) return rig.engine.End();
      rig.engine.DisableScheduler();
      if (then == 1) rig.engine.EnableScheduler(kPath);
    };
    rig.Enable(Line("Early", t0 + Seconds(1), t0 + Seconds(3)) +
               Line("Late", t0 + Seconds(3), t0 + Seconds(5)));
    ASSERT_TRUE(rig.sim.Advance(8));
    EXPECT_EQ(rig.recorder.Count(kTaskStart), then == 1 ? 2 : 1) << then;
    EXPECT_EQ(rig.recorder.Count(kTaskStop), then == 1 ? 2 : 1) << then;
  }
}

// Back: no window twice, none cut; forward: skipped ones told, asleep if a notice follows.
TEST(EngineClock, StepsBackRepeatNothingAndStepsForwardTellTheSkippedWindow) {
  const FileTime t0 = PointOf(Jan(5, 21, 59, 50));
  const std::vector<std::string> served = {"start Show " + Text(t0 + Seconds(2)),
                                           "stop Show " + Text(t0 + Seconds(6))};
  const std::tuple<int, int, bool, int, std::vector<std::string>, std::string> cases[] = {
      {8, -3600, false, 3610, served, ""}, {4, -3600, false, 3606, served, ""},
      {0, 3600, false, 31, {}, "clock-change"}, {0, 3600, true, 1, {}, "asleep"}};
  for (const auto& [before, jump, resumed, after, sent, why] : cases) {
    Rig rig(Jan(5, 21, 59, 50), false);
    rig.Enable(Line("Show", t0 + Seconds(2), t0 + Seconds(6)));
    ASSERT_TRUE(rig.sim.Advance(before) && rig.sim.Jump(jump));
    if (resumed) rig.engine.Resumed();
    ASSERT_TRUE(rig.sim.Advance(after));
    EXPECT_EQ(rig.recorder.Sent(), sent) << before;
    const auto lines = rig.history.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "Jan 05,2026 10:59:50 PM | missed | while=" + why +
                             " | name=Show | window=" + Text(t0 + Seconds(2))),
              why.empty() ? 0 : 1) << before;
  }
}

TEST_F(EngineTest, PositionsAreLeftTopRightBottomAndAudioModeNeedsNone) {
  ScheduleEntry e;
  EXPECT_TRUE(ReadWindowPosition("100,100,600,500", e));
  EXPECT_EQ(e.posBottom, 500);
  EXPECT_FALSE(ReadWindowPosition("0,0,0,0", e));
  EXPECT_FALSE(ReadWindowPosition("", e));
  EXPECT_FALSE(ReadWindowPosition("100 100 600 500", e));
  EXPECT_EQ(e.timePos, "");
  EXPECT_TRUE(ReadWindowPosition(" -5, -5,7,x", e));  // bottom 0 is below top -5
  EXPECT_FALSE(ReadWindowPosition(" 5, 5,7", e));
  EXPECT_EQ(e.posRight, 7);
  EXPECT_EQ(e.posBottom, 0);
  EXPECT_EQ(ReadWindowPosition(std::string(300, ','), e), false);
  EXPECT_EQ(e.timePos.size(), kEntryPositionLimit);
  options.audioMode = true;
  Enable(Line("Radio", t0 + Seconds(1), t0 + Seconds(2), "Once", ""));
  ASSERT_TRUE(sim.Advance(2));
  EXPECT_EQ(recorder.Count(kTaskStart), 1);
  EXPECT_EQ(recorder.Count(kTaskStop), 1);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(EngineTest, AMalformedRepeatFieldStopsTheEngineAfterThePass) {
  Enable(Line("Good", t0 - Seconds(1), t0 + Seconds(10)) +
         "Bad URL: u START: " + FileTimeToText(t0 - Seconds(1)) + " END: " +
         FileTimeToText(t0 + Seconds(10)) + " PROG: p REPEAT: Daily WND: 1,1,9,9\r\n" +
         Line("After", t0 - Seconds(1), t0 + Seconds(10)));
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"Error reading scheduler file"});
  EXPECT_TRUE(engine.StopRequested());
  EXPECT_FALSE(engine.SchedulerActive());
  EXPECT_EQ(ui.Status(), "Scheduler is disabled");
  ASSERT_TRUE(sim.Advance(12));
  // The engine stops before the Timers of that pass send anything: no
  // recording is started that no stop request would ever end.
  EXPECT_EQ(recorder.Count(kTaskStart), 0);
  EXPECT_EQ(recorder.Count(kTaskStop), 0);
}

TEST_F(EngineTest, DisableWhileRecordingSendsNoStopAndEnableRearmsOnce) {
  const std::string schedule = Line("Show", t0 - Seconds(5), t0 + Seconds(5));
  Enable(schedule);
  EXPECT_EQ(recorder.Count(kTaskStart), 1);
  engine.DisableScheduler();
  EXPECT_EQ(ui.Status(), "Scheduler is disabled");
  EXPECT_FALSE(engine.AnySlotArmed());
  // Enable again within the same second: the old pass and Timer must not
  // carry on beside the new ones.
  engine.EnableScheduler(kPath);
  ASSERT_TRUE(sim.Settle());
  EXPECT_EQ(recorder.Count(kTaskStart), 2);
  ASSERT_TRUE(sim.Advance(6));
  EXPECT_EQ(recorder.Count(kTaskStart), 2);
  EXPECT_EQ(recorder.Count(kTaskStop), 1);
  engine.DisableScheduler();
  ASSERT_TRUE(sim.Advance(1));
  const int threads = sim.ThreadsStarted();
  // After a disable with the window still closed, nothing runs and nothing is sent.
  ASSERT_TRUE(sim.Advance(3));
  EXPECT_EQ(sim.ThreadsStarted(), threads);
  EXPECT_EQ(recorder.Count(kTaskStop), 1);
}

TEST_F(EngineTest, AMissingRecordingProgramCancelsTheEntryUntilItsWindowReopens) {
  recorder.programRunning = false;
  Enable(Line("Show", t0 + Seconds(1), t0 + Seconds(3)));
  ASSERT_TRUE(sim.Advance(5));
  EXPECT_TRUE(recorder.Requests().empty());
  EXPECT_EQ(sim.ThreadsRunning(), 1);  // only the pass is left
}

TEST_F(EngineTest, EntriesAreReleasedWhenTheirTimerAndRequestsHaveEnded) {
  struct Keeper final : RecorderLink {
    std::mutex m;
    std::vector<std::weak_ptr<ScheduleEntry>> seen;
    RequestOutcome ControlRecorder(const std::shared_ptr<ScheduleEntry>& entry,
                                   int32_t) override {
      std::lock_guard<std::mutex> lock(m);
      entry->task.store(0);
      seen.push_back(entry);
      return RequestOutcome::kSent;
    }
  } keeper;
  Engine own(sim, host, files, ui, keeper, options);
  files.files[kPath] = Line("Show", t0 + Seconds(1), t0 + Seconds(2));
  own.EnableScheduler(kPath);
  ASSERT_TRUE(sim.Settle());
  ASSERT_TRUE(sim.Advance(1));
  ASSERT_EQ(keeper.seen.size(), 1u);
  EXPECT_FALSE(keeper.seen[0].expired());  // its Timer still holds it
  ASSERT_TRUE(sim.Advance(2));
  ASSERT_EQ(keeper.seen.size(), 2u);
  EXPECT_TRUE(keeper.seen[0].expired());
  own.DisableScheduler();
  ASSERT_TRUE(sim.Advance(1));
  EXPECT_EQ(sim.ThreadsRunning(), 0);
}

TEST_F(EngineTest, AThreadThatCannotStartIsToldAndLeavesTheEngineDisabled) {
  const std::string schedule = Line("Show", t0 - Seconds(1), t0 + Seconds(30));
  auto expectDisabled = [&](std::size_t told) {
    EXPECT_EQ(ui.Plain(), std::vector<std::string>(told, "Cannot setup the timer"));
    EXPECT_FALSE(engine.SchedulerActive());
    EXPECT_EQ(ui.Status(), "Scheduler is disabled");
  };
  sim.RefuseThreadsFrom(0);  // no pass
  Enable(schedule);
  expectDisabled(1);
  EXPECT_EQ(ui.focus.load(), 1009);
  sim.RefuseThreadsFrom(2);  // the pass and the Timer, but no request
  engine.EnableScheduler(kPath);
  ASSERT_TRUE(sim.Settle());
  expectDisabled(2);
  // No Timer: the box waits for the user with no lock held, so a Disable goes through meanwhile.
  std::string shownStatus;
  std::future_status disable = std::future_status::timeout;
  ui.whileShown = [&] {
    shownStatus = ui.Status();
    auto disabling = std::async(std::launch::async, [&] { engine.DisableScheduler(); });
    disable = disabling.wait_for(std::chrono::seconds(5));
  };
  sim.RefuseThreadsFrom(sim.ThreadsStarted() + 1);
  engine.EnableScheduler(kPath);
  ASSERT_TRUE(sim.Settle());
  EXPECT_EQ(shownStatus, "Scheduler is disabled");
  EXPECT_EQ(disable, std::future_status::ready);
  expectDisabled(3);
  ASSERT_TRUE(sim.Advance(1));
  EXPECT_TRUE(recorder.Requests().empty());
  EXPECT_EQ(sim.ThreadsRunning(), 0);
}

TEST_F(EngineTest, InASecondWhereOneWindowClosesAndAnotherOpensTheStopGoesFirst) {
  // A stop that is slow to go out: it waits (bounded) for a start to overtake it.
  struct SlowStops final : RecorderLink {
    std::mutex m;
    std::condition_variable arrived;
    std::vector<std::string> order;
    RequestOutcome ControlRecorder(const std::shared_ptr<ScheduleEntry>& entry,
                                   int32_t request) override {
      std::unique_lock<std::mutex> lock(m);
      if (request == kTaskStop) {
        arrived.wait_for(lock, std::chrono::milliseconds(300), [&] { return order.size() > 1; });
      }
      order.push_back((request == kTaskStart ? "start " : "stop ") + entry->timeName);
      arrived.notify_all();
      return RequestOutcome::kSent;
    }
  } slow;
  Engine own(sim, host, files, ui, slow, options);
  files.files[kPath] = Line("Early", t0 + Seconds(1), t0 + Seconds(3)) +
                       Line("Late", t0 + Seconds(3), t0 + Seconds(5));
  own.EnableScheduler(kPath);
  ASSERT_TRUE(sim.Advance(3));
  EXPECT_EQ(slow.order, (std::vector<std::string>{"start Early", "stop Early", "start Late"}));
  own.DisableScheduler();
  ASSERT_TRUE(sim.Advance(1));
}

TEST_F(EngineTest, AShortFileLeavesTheSchedulerDisabled) {
  files.files[kPath] = "123456789";
  engine.EnableScheduler(kPath);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"There are no scheduled recordings"});
  EXPECT_FALSE(engine.SchedulerActive());
  EXPECT_EQ(ui.Status(), "Scheduler is disabled");
  EXPECT_EQ(ui.focus.load(), 1009);
  EXPECT_EQ(sim.ThreadsStarted(), 0);
}

TEST_F(EngineTest, ADailyWindowAcrossMidnightStartsEveryDay) {
  const FileTime written = PointOf(Jan(5, 23, 0, 0));
  const FileTime now = PointOf(Jan(6, 22, 59, 58));
  SimulatedSystem night(Jan(6, 22, 59, 58));
  RecordingRecorder nightRecorder(night);
  Engine nightly(night, host, files, ui, nightRecorder, options);
  files.files[kPath] = Line("Late", written, written + Seconds(2 * 3600), "Daily");
  nightly.EnableScheduler(kPath);
  ASSERT_TRUE(night.Advance(2));
  auto requests = nightRecorder.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].at, now + Seconds(2));
  nightly.DisableScheduler();
  ASSERT_TRUE(night.Advance(1));
}

// The real link behind the engine: every start text is built from its own entry.
TEST_F(EngineTest, EntriesOpeningInTheSameSecondEachSendTheirOwnLength) {
  FakeRecorderWindows windows;
  windows.open = {"Lumora"};
  LinkState link("Lumora");
  RecorderControl control(link, windows, false);
  Engine linked(sim, host, files, ui, control, options);
  // 25 hours among them: the length, not the time of day the window ends at.
  const int64_t lengths[] = {1, 7, 59, 3600, 25 * 3600, 5400, 2, 86399};
  std::string schedule;
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < std::size(lengths); ++i) {
    const std::string name = "E" + std::to_string(i);
    schedule += Line(name, t0 + Seconds(2), t0 + Seconds(2 + lengths[i]));
    expected.push_back("start 42 utf-16 " + name + " pos: 100,100,600,500 url: http://x/" + name +
                       " pro: player sec: " + std::to_string(lengths[i]));
  }
  files.files[kPath] = schedule;
  linked.EnableScheduler(kPath);
  ASSERT_TRUE(sim.Advance(2));
  std::vector<std::string> starts;
  for (const auto& call : windows.Calls()) {
    if (call.rfind("start ", 0) == 0) starts.push_back(call);
  }
  std::sort(starts.begin(), starts.end());
  EXPECT_EQ(starts, expected);  // E0..E7 sort as they were written
  linked.DisableScheduler();
  ASSERT_TRUE(sim.Advance(1));
}

// The pass itself: which lines it examines and when a line is armed again.
TEST(ParseSchedules, ArmsOncePerOpeningAndOnlyTheFirst200Lines) {
  const CalendarRecord now = Jan(5, 22, 0, 0);
  const FileTime n = PointOf(now);
  std::string copy;
  for (int i = 0; i < 199; ++i) copy += "filler line\n";
  copy += Line("Line199", n - Seconds(1), n + Seconds(1));
  copy += Line("Line200", n - Seconds(1), n + Seconds(1));
  ActiveSlots slots;
  std::vector<std::string> started;
  std::size_t startedLine = 0;
  auto pass = [&](const CalendarRecord& at) {
    ParseSchedules(copy, at, slots, [] { return false; }, [&](std::size_t line, LineValues& v) {
      started.push_back(v.timeName);
      startedLine = line;
    });
  };
  pass(now);
  EXPECT_EQ(started, std::vector<std::string>{"Line199"});
  EXPECT_EQ(startedLine, 199u);
  EXPECT_EQ(slots.activeSlot[199].load(), 1);
  pass(now);
  EXPECT_EQ(started.size(), 1u);
  pass(Jan(5, 22, 0, 1));  // the end: outside, so the slot is free again
  EXPECT_EQ(slots.activeSlot[199].load(), 0);
  pass(now);
  EXPECT_EQ(started.size(), 2u);
}

TEST(ParseSchedules, ALastLineWithoutABreakAndDamagedLinesBeforeIt) {
  const CalendarRecord now = Jan(5, 22, 0, 0);
  const FileTime n = PointOf(now);
  std::string last = Line("Last", n - Seconds(1), n + Seconds(1));
  last.resize(last.size() - 2);
  const std::string damaged =
      "Damaged START: x URL: y END: z REPEAT: Once PROG: p WND: 1,2,3,4\r\n";
  ActiveSlots slots;
  std::vector<std::string> started;
  ParseSchedules(damaged + last, now, slots, [] { return false; },
                 [&](std::size_t, LineValues& v) { started.push_back(v.timeName); });
  EXPECT_EQ(started, std::vector<std::string>{"Last"});
  int stopAfter = 0;
  ParseSchedules(Line("A", n - Seconds(1), n + Seconds(1)) + Line("B", n - Seconds(1), n + Seconds(1)),
                 now, slots, [&] { return stopAfter++ >= 1; },
                 [&](std::size_t, LineValues& v) { started.push_back(v.timeName); });
  EXPECT_EQ(started, (std::vector<std::string>{"Last", "A"}));
}

TEST(ParseSchedules, ARepeatingLineWithAnUnreadableTimeIsNeverDue) {
  CalendarRecord now = Jan(5, 22, 0, 0);
  now.dayOfWeek = 1;
  const FileTime n = PointOf(now);
  auto damage = [](std::string line, const std::string& from, const std::string& to) {
    return line.replace(line.find(from), from.size(), to);
  };
  // Read as the year 1601, the repeat rule would move such a start onto today.
  const std::string weekly = damage(Line("Weekly", n - Seconds(60), n + Seconds(60), "Mon"),
                                    " START: Jan", " START: Jxn");
  const std::string daily = damage(Line("Daily", n - Seconds(86460), n - Seconds(86340), "Daily"),
                                   " START: Jan", " START: Jan 5");
  const std::string endless = damage(Line("Endless", n - Seconds(60), n + Seconds(60), "Mon"),
                                     "PM REPEAT", "pm REPEAT");
  ActiveSlots slots;
  std::vector<std::string> started;
  ParseSchedules(weekly + daily + endless + Line("Good", n - Seconds(60), n + Seconds(60), "Mon"),
                 now, slots, [] { return false; },
                 [&](std::size_t, LineValues& v) { started.push_back(v.timeName); });
  EXPECT_EQ(started, std::vector<std::string>{"Good"});
  EXPECT_EQ(slots.activeSlot[0].load(), 0);
  EXPECT_EQ(slots.activeSlot[1].load(), 0);
  EXPECT_EQ(slots.activeSlot[2].load(), 0);
}

// A window is due only while its end is after its start and a start request
// can tell its length, in every repeat mode and whatever its dates.
TEST(ParseSchedules, AWindowEndingBeforeItsStartOrTooLongToTellIsNeverDue) {
  CalendarRecord now = Jan(10, 23, 0, 0);
  now.dayOfWeek = 6;  // Saturday
  const FileTime n = PointOf(now);
  auto written = [](const std::string& name, const char* start, const char* end,
                    const std::string& repeat) {
    return Line(name, GetFileTime(start), GetFileTime(end), repeat);
  };
  std::string copy;
  for (const std::string repeat : {"Sat", "Daily", "Once"}) {
    // Moved onto today, an end 1001 years before the start lies before 1601.
    copy += written("Back " + repeat, "Dec 31,3000 11:00:00 PM", "Jan 01,2000 11:30:00 PM", repeat);
    copy += written("Ages " + repeat, "Jan 01,1601 10:00:00 PM", "Jan 01,1900 11:30:00 PM", repeat);
  }
  const FileTime longest = FileTime{UINT32_MAX} * kTicksPerSecond;
  copy += Line("Longest", n - Seconds(60), n - Seconds(60) + longest);
  copy += Line("Longer", n - Seconds(60), n - Seconds(59) + longest);
  ActiveSlots slots;
  std::vector<std::string> started;
  ParseSchedules(copy, now, slots, [] { return false; },
                 [&](std::size_t, LineValues& v) { started.push_back(v.timeName); });
  EXPECT_EQ(started, std::vector<std::string>{"Longest"});
  LineValues back;
  ExtractEntryLine(copy.substr(0, copy.find('\r')), back);
  EXPECT_FALSE(WindowOpen(back, now));
  EXPECT_EQ(back.dayOfWeek, 1);
  EXPECT_LE(back.endTime, back.startTime);  // moved, and still not after its start
}


std::string Text(const CalendarRecord& at) { return FileTimeToText(PointOf(at)); }

TEST(EnginePower, TheWakeIsAMinuteBeforeTheNextStartAcrossMidnightAndTheYearEnd) {
  auto firstWake = [](const CalendarRecord& now, const std::string& schedule) {
    Rig rig(now);
    rig.Enable(schedule);
    const auto calls = rig.power.Take();
    return calls.empty() ? std::string("none") : calls.front();
  };
  auto line = [](const char* name, const CalendarRecord& start, const CalendarRecord& end,
                 const std::string& repeat = "Once") {
    return Line(name, PointOf(start), PointOf(end), repeat);
  };
  // Tomorrow's window, half a minute after midnight.
  EXPECT_EQ(firstWake(Calendar(2026, 1, 6, 12), line("Daily", Calendar(2026, 1, 5, 0, 0, 30),
                                                     Calendar(2026, 1, 5, 1), "Daily")),
            "arm " + Text(Calendar(2026, 1, 6, 23, 59, 30)));
  // The Friday after Wednesday Dec 30 is in the next year.
  EXPECT_EQ(firstWake(Calendar(2026, 12, 30, 12), line("Fri", Calendar(2026, 12, 4, 20),
                                                       Calendar(2026, 12, 4, 21), "Fri")),
            "arm " + Text(Calendar(2027, 1, 1, 19, 59)));
  EXPECT_EQ(firstWake(Calendar(2026, 12, 31, 23),
                      line("New year", Calendar(2027, 1, 1, 0, 0, 30), Calendar(2027, 1, 1, 1))),
            "arm " + Text(Calendar(2026, 12, 31, 23, 59, 30)));
  EXPECT_EQ(firstWake(Calendar(2026, 12, 31, 23),
                      line("Past", Calendar(2026, 12, 1, 20), Calendar(2026, 12, 1, 21))),
            "none");
}

TEST(EnginePower, HeldFromTheLeadToTheLastStopAndReArmedAfterEachStartAndEnable) {
  const FileTime t0 = PointOf(Jan(5, 21, 59, 50));
  Rig rig(Jan(5, 21, 59, 50));
  const std::string a = Line("A", t0 + Seconds(70), t0 + Seconds(130));
  rig.Enable(a + Line("B", t0 + Seconds(100), t0 + Seconds(200)));
  EXPECT_EQ(rig.power.Take(), std::vector<std::string>{"arm Jan 05,2026 10:00:00 PM"});
  ASSERT_TRUE(rig.sim.Advance(10));
  EXPECT_EQ(rig.power.Take(),
            std::vector<std::string>{"hold Recording \"A\" until 10:02:00 PM +display"});
  ASSERT_TRUE(rig.sim.Advance(60));  // A starts: B is next, its lead already begun
  EXPECT_EQ(rig.power.Take(),
            (std::vector<std::string>{"hold Recording \"B\" until 10:03:10 PM +display",
                                      "arm Jan 05,2026 10:00:30 PM"}));
  ASSERT_TRUE(rig.sim.Advance(30));  // B starts: nothing further is due
  EXPECT_EQ(rig.power.Take(), std::vector<std::string>{"cancel"});
  ASSERT_TRUE(rig.sim.Advance(99));  // A has stopped, B not yet
  EXPECT_TRUE(rig.power.Take().empty());
  ASSERT_TRUE(rig.sim.Advance(2));
  EXPECT_EQ(rig.power.Take(), std::vector<std::string>{"release"});
  EXPECT_EQ(rig.recorder.Count(kTaskStop), 2);

  rig.engine.DisableScheduler();
  ASSERT_TRUE(rig.sim.Advance(5));
  EXPECT_TRUE(rig.power.Take().empty());
  rig.Enable(Line("C", t0 + Seconds(300), t0 + Seconds(400)));
  EXPECT_EQ(rig.power.Take(), std::vector<std::string>{"arm Jan 05,2026 10:03:50 PM"});
  ASSERT_TRUE(rig.sim.Advance(40));
  EXPECT_EQ(rig.power.Take(),
            std::vector<std::string>{"hold Recording \"C\" until 10:06:30 PM +display"});
  rig.engine.DisableScheduler();  // mid-lead: nothing may stay held or armed
  EXPECT_EQ(rig.power.Take(), (std::vector<std::string>{"release", "cancel"}));
  ASSERT_TRUE(rig.sim.Advance(100));
  EXPECT_TRUE(rig.power.Take().empty());
  EXPECT_EQ(rig.recorder.Count(kTaskStart), 2);
}

TEST(EngineHistory, RequestsEnablesAndDisablesAreToldAfterTheyHappen) {
  const FileTime t0 = PointOf(Jan(5, 21, 59, 50));
  Rig rig(Jan(5, 21, 59, 50), false);
  rig.Enable(Line("A", t0 + Seconds(2), t0 + Seconds(4)) + "not an entry\r\n" +
             Line("B\tx", t0 + Seconds(3), t0 + Seconds(5)));
  ASSERT_TRUE(rig.sim.Advance(5));
  rig.recorder.programRunning = false;
  ASSERT_TRUE(rig.sim.Advance(2));  // C starts at 10:00:00 PM
  rig.Enable(Line("C", t0 + Seconds(8), t0 + Seconds(9)) + Line("D", t0 - Seconds(9), t0));
  ASSERT_TRUE(rig.sim.Advance(3));
  EXPECT_EQ(rig.host.Messages(), std::vector<std::string>{kNoRecorderMessage});
  rig.engine.DisableScheduler(HistoryCause::kByEdit);
  rig.engine.DisableScheduler();  // not running: nothing to tell
  rig.Enable(Line("Bad", t0 - Seconds(1), t0 + Seconds(30), "Once", "600,100,100,500"));
  const std::vector<std::string> expected = {
      "Jan 05,2026 09:59:50 PM | enabled | entries=2",
      "Jan 05,2026 09:59:52 PM | start-sent | name=A | window=Jan 05,2026 09:59:52 PM | "
      "seconds=2 | ms=5",
      "Jan 05,2026 09:59:53 PM | start-sent | name=B\\tx | window=Jan 05,2026 09:59:53 PM | "
      "seconds=2 | ms=5",
      "Jan 05,2026 09:59:54 PM | stop-sent | name=A | window=Jan 05,2026 09:59:52 PM | ms=5",
      "Jan 05,2026 09:59:55 PM | stop-sent | name=B\\tx | window=Jan 05,2026 09:59:53 PM | ms=5",
      "Jan 05,2026 09:59:57 PM | enabled | entries=2",
      "Jan 05,2026 09:59:58 PM | not-sent | request=start | name=C | "
      "window=Jan 05,2026 09:59:58 PM | message=No recording program is running. Recording "
      "canceled.",
      "Jan 05,2026 10:00:00 PM | disabled | by=edit",
      "Jan 05,2026 10:00:00 PM | enabled | entries=1",
      "Jan 05,2026 10:00:00 PM | disabled | by=engine | why=Error in window position. Cannot "
      "continue"};
  EXPECT_EQ(rig.history.Lines(), expected);
}

TEST(EngineHistory, WindowsThatCameAndWentWhileAsleepOrDisabledAreToldAndTheOpenOneStarts) {
  const FileTime t0 = PointOf(Jan(5, 21, 59, 50));
  Rig rig(Jan(5, 21, 59, 50));
  rig.Enable(Line("Short", t0 + Seconds(100), t0 + Seconds(110)) +
             Line("Long", t0 + Seconds(100), t0 + Seconds(4000)));
  EXPECT_EQ(rig.power.Take(), std::vector<std::string>{"arm Jan 05,2026 10:00:30 PM"});
  rig.engine.Resumed();
  ASSERT_TRUE(rig.sim.Jump(200));  // woken for the start, then slept through it
  const auto requests = rig.recorder.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].name, "Long");
  EXPECT_EQ(requests[0].at, t0 + Seconds(200));
  // The system's state was lost in the sleep: all of it is set again.
  EXPECT_EQ(rig.power.Take(),
            (std::vector<std::string>{"hold Recording \"Long\" until 11:06:30 PM +display",
                                      "cancel"}));
  auto lines = rig.history.Lines();
  std::sort(lines.begin() + 2, lines.end());  // the start goes out beside the pass
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "Jan 05,2026 09:59:50 PM | enabled | entries=2",
                       "Jan 05,2026 09:59:50 PM | wake-armed | name=Long | "
                       "window=Jan 05,2026 10:01:30 PM",
                       "Jan 05,2026 10:03:10 PM | missed | while=asleep | name=Short | "
                       "window=Jan 05,2026 10:01:30 PM",
                       "Jan 05,2026 10:03:10 PM | start-sent | name=Long | "
                       "window=Jan 05,2026 10:01:30 PM | seconds=3900 | ms=5",
                       "Jan 05,2026 10:03:10 PM | woken | name=Long | "
                       "window=Jan 05,2026 10:01:30 PM"}));

  rig.engine.DisableScheduler();
  rig.Enable(Line("Gone", t0 + Seconds(210), t0 + Seconds(220)) +
             Line("Open", t0 + Seconds(210), t0 + Seconds(300)));
  ASSERT_TRUE(rig.sim.Advance(1));
  rig.engine.DisableScheduler();
  ASSERT_TRUE(rig.sim.Advance(30));
  rig.Enable(Line("Gone", t0 + Seconds(210), t0 + Seconds(220)) +
             Line("Open", t0 + Seconds(210), t0 + Seconds(300)));
  lines = rig.history.Lines();
  ASSERT_GE(lines.size(), 3u);
  lines.erase(lines.begin(), lines.end() - 3);
  std::sort(lines.begin() + 1, lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "Jan 05,2026 10:03:41 PM | enabled | entries=2",
                       "Jan 05,2026 10:03:41 PM | missed | while=disabled | name=Gone | "
                       "window=Jan 05,2026 10:03:20 PM",
                       "Jan 05,2026 10:03:41 PM | start-sent | name=Open | "
                       "window=Jan 05,2026 10:03:20 PM | seconds=90 | ms=5"}));
}

TEST(EngineHistory, AfterARestartWhatCameAndWentSinceTheLastEventIsMissedWhileRestarting) {
  const FileTime t0 = PointOf(Jan(5, 21, 59, 50));
  Rig rig(Jan(5, 21, 59, 50), false);
  rig.engine.MissedSince(t0 - Seconds(600), HistoryCause::kWhileRestarting);
  // Before: open at the last event, so the scheduler then had it in hand.
  rig.Enable(Line("Before", t0 - Seconds(700), t0 - Seconds(500)) +
             Line("Gone", t0 - Seconds(400), t0 - Seconds(300)) +
             Line("Open", t0 - Seconds(100), t0 + Seconds(100)));
  auto lines = rig.history.Lines();
  std::sort(lines.begin() + 1, lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "Jan 05,2026 09:59:50 PM | enabled | entries=3",
                       "Jan 05,2026 09:59:50 PM | missed | while=restart | name=Gone | "
                       "window=Jan 05,2026 09:53:10 PM",
                       "Jan 05,2026 09:59:50 PM | start-sent | name=Open | "
                       "window=Jan 05,2026 09:58:10 PM | seconds=200 | ms=5"}));
}

TEST(EnginePower, WhatCannotWorkIsToldOnceAndNeverHoldsThePass) {
  const FileTime t0 = PointOf(Jan(5, 21, 59, 50));
  Rig rig(Jan(5, 21, 59, 50));
  rig.power.armResult = WakeResult::kArmedNoResume;
  rig.power.holdResult = AwakeResult::kFailed;
  rig.Enable(Line("A", t0 + Seconds(61), t0 + Seconds(63)) +
             Line("B", t0 + Seconds(64), t0 + Seconds(66)));
  ASSERT_TRUE(rig.sim.Advance(20));
  rig.engine.DisableScheduler();
  rig.Enable(Line("A", t0 + Seconds(81), t0 + Seconds(83)) +
             Line("B", t0 + Seconds(84), t0 + Seconds(86)));
  ASSERT_TRUE(rig.sim.Advance(70));
  EXPECT_EQ(rig.recorder.Count(kTaskStart), 2);
  EXPECT_EQ(rig.recorder.Count(kTaskStop), 2);
  EXPECT_EQ(rig.ui.Notices(),
            (std::vector<std::string>{kNoResumeNotice, kKeepAwakeFailedNotice}));
  int told = 0;
  for (const auto& line : rig.history.Lines()) told += line.find("power-unavailable") != std::string::npos;
  EXPECT_EQ(told, 2);
}

}  // namespace
}  // namespace ormidal
