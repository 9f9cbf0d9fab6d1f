#include "recorder_link.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine_test_support.h"

namespace ormidal {
namespace {

using FakeWindows = FakeRecorderWindows;

std::shared_ptr<ScheduleEntry> Entry(const std::string& pos = "100,100,600,500",
                                     int64_t seconds = 10) {
  auto e = std::make_shared<ScheduleEntry>();
  e->timeName = "Concert";
  e->timeUrl = "C:\\clips\\a.asx";
  e->timeProg = "player";
  e->timePos = pos;
  e->startTime = GetFileTime("Jan 05,2026 10:00:00 PM");
  e->endTime = e->startTime + static_cast<FileTime>(seconds) * kTicksPerSecond;
  return e;
}

TEST(StartText, CarriesTheEntryAndItsOwnLengthInSeconds) {
  EXPECT_EQ(StartText(*Entry("100,100,600,500", 5400)),
            "Concert pos: 100,100,600,500 url: C:\\clips\\a.asx pro: player sec: 5400");
  EXPECT_EQ(StartText(*Entry("", 5)), "Concert pos:  url: C:\\clips\\a.asx pro: player sec: 5");
  EXPECT_EQ(StartText(*Entry("1,2,3,4", 100 * 3600)),
            "Concert pos: 1,2,3,4 url: C:\\clips\\a.asx pro: player sec: 360000");
  auto huge = Entry();
  huge->timeUrl = std::string(4499, 'u');
  EXPECT_EQ(StartText(*huge).size(), kStartTextLimit);
}

TEST(ControlRecorder, StartRestoresLowersAndSendsInTheModesForm) {
  FakeWindows windows;
  windows.open = {"Lumora"};
  LinkState state("Lumora");
  RecorderControl control(state, windows, false);
  auto entry = Entry();
  entry->task = kTaskStart;
  EXPECT_EQ(control.ControlRecorder(entry, kTaskStart), RequestOutcome::kSent);
  EXPECT_EQ(entry->task.load(), 0);
  EXPECT_EQ(windows.calls,
            (std::vector<std::string>{
                "restore 42", "lower main",
                "start 42 utf-16 Concert pos: 100,100,600,500 url: C:\\clips\\a.asx pro: player sec: 10"}));
  RecorderControl audio(state, windows, true);
  windows.calls.clear();
  audio.ControlRecorder(entry, kTaskStart);
  ASSERT_EQ(windows.calls.size(), 3u);
  EXPECT_EQ(windows.calls[2].substr(0, 16), "start 42 8-bit C");
  windows.calls.clear();
  EXPECT_EQ(control.ControlRecorder(entry, kTaskStop), RequestOutcome::kSent);
  EXPECT_EQ(windows.calls, (std::vector<std::string>{"restore 42", "stop 42"}));
}

TEST(ControlRecorder, AMissingWindowCancelsTheEntryAndItsStop) {
  FakeWindows windows;
  LinkState state("Vantor");
  RecorderControl control(state, windows, false);
  auto entry = Entry();
  // The engine tells the user, once the outcome is in the history.
  EXPECT_EQ(control.ControlRecorder(entry, kTaskStart), RequestOutcome::kNoRecorder);
  EXPECT_EQ(entry->failed.load(), 1);
  windows.open = {"Vantor"};
  // A failed entry sends nothing more.
  EXPECT_EQ(control.ControlRecorder(entry, kTaskStop), RequestOutcome::kNotAsked);
  EXPECT_TRUE(windows.calls.empty());
  auto other = Entry();
  windows.open.clear();
  EXPECT_EQ(control.ControlRecorder(other, kTaskStop), RequestOutcome::kNoRecorder);
  EXPECT_TRUE(windows.calls.empty());
  EXPECT_EQ(other->failed.load(), 0);
}

TEST(PresenceWatch, AnEmptyTitleIsPresentUntilARequestNamesLumora) {
  FakeWindows windows;
  LinkState state("");
  EXPECT_FALSE(RecordingProgramGone(state, windows));
  EXPECT_TRUE(windows.searched.empty());
  RecorderControl control(state, windows, false);
  control.ControlRecorder(Entry(), kTaskStop);
  EXPECT_EQ(state.WindowName(), "Lumora");
  EXPECT_TRUE(RecordingProgramGone(state, windows));
  windows.open = {"Lumora"};
  EXPECT_FALSE(RecordingProgramGone(state, windows));
}

TEST(Help, LumoraFirstThenVantor) {
  FakeWindows windows;
  EXPECT_EQ(HelpPage(windows), "");
  windows.open = {"Vantor"};
  EXPECT_EQ(HelpPage(windows), std::string(kHelpSite) + "help_scheduler.html");
  windows.open = {"Vantor", "Lumora"};
  EXPECT_EQ(HelpPage(windows), std::string(kHelpSite) + "help_qrv_scheduler.html");
}

TEST(TestUrl, OpensAddressesAndPathsOnly) {
  EXPECT_EQ(DecideTestUrl("", 0, "T").kind, TestUrlAction::kNothing);
  EXPECT_EQ(DecideTestUrl("www.example.org/live", 0, "T").kind, TestUrlAction::kNothing);
  const auto path = DecideTestUrl("D:\\videos\\a.wmv", 0, "T");
  EXPECT_EQ(path.kind, TestUrlAction::kOpenWithDefault);
  EXPECT_EQ(path.file, "D:\\videos\\a.wmv");
  EXPECT_EQ(DecideTestUrl("http://radio/x|1,2", 1, "T").kind, TestUrlAction::kAudioOnlyMessage);
  const auto browser = DecideTestUrl("http://tv/live", 1, "Schedule Lumora Recordings");
  EXPECT_EQ(browser.kind, TestUrlAction::kOpenWithBrowser);
  EXPECT_EQ(browser.file, ".\\iexplore.exe");
  EXPECT_EQ(browser.parameters, "-w \"Schedule Lumora Recordings\" -weburl \"http://tv/live\"");
  EXPECT_EQ(DecideTestUrl("http://" + std::string(4490, 'x'), 1, "T").parameters.size(),
            kTestUrlParametersLimit);
}

TEST(ChooseRecorderWindow, TakesTheTopmostWithTheTitleThatIsNoExplorerWindow) {
  const TopLevelWindow recorder{"Lumora", "QWidget", 20}, player{"Lumora Player", "QWidget", 21},
      folder{"Lumora", "CabinetWClass", 30}, oldFolder{"LUMORA", "ExploreWClass", 31},
      desktop{"Lumora", "Progman", 7}, other{"Lumora", "Other", 22};
  using Windows = std::vector<TopLevelWindow>;
  // The whole title, in either case; the first in Z-order.
  EXPECT_EQ(ChooseRecorderWindow(Windows{player, recorder, other}, "lumora", 7), 1u);
  EXPECT_EQ(ChooseRecorderWindow(Windows{folder, oldFolder, desktop, recorder}, "lumora", 7), 3u);
  EXPECT_EQ(ChooseRecorderWindow(Windows{folder, oldFolder, desktop}, "lumora", 7), std::nullopt);
  // Without a shell only the class tells.
  EXPECT_EQ(ChooseRecorderWindow(Windows{desktop, recorder}, "lumora", 0), 0u);
}

}  // namespace
}  // namespace ormidal
