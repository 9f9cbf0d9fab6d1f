#include "dialog_flows.h"

#include <gtest/gtest.h>

#include "fake_host.h"
#include "fake_scheduler_switch.h"

namespace ormidal {
namespace {

using Journal = std::vector<std::string>;

// Every message goes into the journal the switch writes too.
struct JournalHost : FakeHost {
  explicit JournalHost(Journal& journal) : journal(journal) {}
  int SchedulerMessage(const std::string& text, int type) override {
    journal.push_back(text);
    return FakeHost::SchedulerMessage(text, type);
  }
  Journal& journal;
};

struct Flows {
  Journal journal;
  FakeSchedulerSwitch scheduler{journal};
  JournalHost host{journal};
  ListFlags flags;
  // The journal since the last look.
  Journal Take() { return std::exchange(journal, {}); }
};

constexpr ListStep kClose{true, false};
constexpr ListStep kCloseAndFocusEnable{true, true};
const char* const kCloseQuestion = "Scheduler is disabled. Enable scheduler now?";

TEST(DialogFlows, ASaveDisablesFirstAndYesEnablesAndClosesTheListWithoutAskingAgain) {
  Flows f;
  f.flags.changePending = true;
  EXPECT_EQ(EnableAfterSave(f.flags, f.scheduler, f.host), kCloseAndFocusEnable);
  EXPECT_EQ(f.Take(), (Journal{"disable", "Enable scheduler now?", "enable"}));
  EXPECT_FALSE(f.flags.changePending);
  EXPECT_TRUE(f.scheduler.Active());
}

TEST(DialogFlows, ASaveAnsweredNoKeepsTheSchedulerOffAndSilencesOnlyTheNextClose) {
  Flows f;
  f.host.answers = {kAnswerNo};
  EXPECT_EQ(EnableAfterSave(f.flags, f.scheduler, f.host), ListStep{});
  EXPECT_EQ(f.Take(), (Journal{"disable", "Enable scheduler now?", "disable"}));
  EXPECT_TRUE(f.scheduler.StopRequested());

  EXPECT_EQ(CloseEventsList(true, f.flags, f.scheduler, f.host), kClose);
  EXPECT_TRUE(f.Take().empty());
  // The list of the next view asks on its close.
  f.host.answers = {kAnswerNo};
  EXPECT_EQ(CloseEventsList(true, f.flags, f.scheduler, f.host), kClose);
  EXPECT_EQ(f.Take(), (Journal{kCloseQuestion}));
}

TEST(DialogFlows, TheListsCloseOffersToEnableOnlyAStoppedScheduler) {
  Flows f;
  EXPECT_EQ(CloseEventsList(false, f.flags, f.scheduler, f.host), ListStep{});
  EXPECT_EQ(CloseEventsList(true, f.flags, f.scheduler, f.host), kClose);
  EXPECT_TRUE(f.Take().empty()) << "running: nothing to offer";

  f.scheduler.Disable(HistoryCause::kByUser);
  f.Take();
  EXPECT_EQ(CloseEventsList(false, f.flags, f.scheduler, f.host), ListStep{});
  EXPECT_TRUE(f.Take().empty()) << "no list: no question";
  // An enable whose file cannot be loaded leaves it inactive; the list closes all the same.
  f.scheduler.loadFails = true;
  EXPECT_EQ(CloseEventsList(true, f.flags, f.scheduler, f.host), kCloseAndFocusEnable);
  EXPECT_EQ(f.Take(), (Journal{kCloseQuestion, "enable"}));
  EXPECT_FALSE(f.scheduler.Active());
}

TEST(DialogFlows, EnableStartsAStoppedSchedulerAndAsksBeforeStoppingARunningOne) {
  Flows f;
  const char* const question =
      "Scheduler is currently active. Would you like to stop the scheduler now?";
  f.host.answers = {kAnswerNo, kAnswerYes};
  EnableButton(f.scheduler, f.host);
  EXPECT_EQ(f.Take(), (Journal{question}));
  EnableButton(f.scheduler, f.host);
  EXPECT_EQ(f.Take(), (Journal{question, "disable"}));
  EnableButton(f.scheduler, f.host);
  EXPECT_EQ(f.Take(), (Journal{"enable"}));
  EXPECT_EQ(f.scheduler.causes, std::vector<HistoryCause>{HistoryCause::kByUser});
}

// The dialog that owns the list, as far as Change and Delete see it.
struct Owner : ListOwner {
  explicit Owner(Flows& f) : flows(f) {}
  bool ChangePending() const override { return flows.flags.changePending; }
  void ChangeTo(const CurrentEntry& entry) override {
    flows.journal.push_back("change to " + entry.timeName);
    TakeChange(flows.flags, flows.scheduler);
  }
  void CloseEventsList() override {}
  Flows& flows;
};

std::string Line(const std::string& name) {
  return name + " URL: u START: Mar 07,2035 09:00:00 PM END: Mar 07,2035 10:00:00 PM REPEAT: " +
         "Once PROG: p WND: 1,2,3,4\r\n";
}

struct ListedFile {
  explicit ListedFile(const std::string& contents) {
    files.files[SchedulePath("")] = contents;
    shown = *LoadScheduleList(Folder()).rows;
  }
  ScheduleFolder Folder() { return {"", files}; }
  // Delete on the selected rows, the shown rows as the list keeps them.
  void Delete(Flows& f, Owner& owner, const std::vector<std::size_t>& selected) {
    DeleteEvents(Folder(), shown, selected, owner, f.scheduler, f.host, [&](ScheduleList rows) {
      f.journal.push_back("show " + std::to_string(rows.rows.size()) + " rows");
      shown = std::move(rows);
    });
  }
  std::string File() { return files.files[SchedulePath("")]; }
  MapFiles files;
  ScheduleList shown;
};

TEST(DialogFlows, DeleteAsksWithTheCountThenDisablesShowsTheRowsAndTellsOfTheStop) {
  Flows f;
  Owner owner(f);
  ListedFile list(Line("A") + Line("B") + Line("C"));
  list.Delete(f, owner, {});
  EXPECT_EQ(f.Take(), (Journal{"No items selected"}));

  f.host.answers = {kAnswerNo};
  list.Delete(f, owner, {0, 2});
  EXPECT_EQ(f.Take(), (Journal{"Remove 2 scheduled items ?"}));
  EXPECT_TRUE(f.scheduler.Active());

  list.Delete(f, owner, {0, 2});
  EXPECT_EQ(f.Take(), (Journal{"Remove 2 scheduled items ?", "disable", "show 1 rows",
                               "Scheduler is now disabled. Click ENABLE to restart"}));
  EXPECT_EQ(list.File(), Line("B"));
  // With one row listed nothing is told; without rows nothing happens at all.
  list.Delete(f, owner, {0});
  EXPECT_EQ(f.Take(), (Journal{"Remove 1 scheduled items ?", "disable", "show 0 rows"}));
  list.Delete(f, owner, {0});
  EXPECT_TRUE(f.Take().empty());
  // The history tells an edit's stop from the user's own.
  EXPECT_EQ(f.scheduler.causes, std::vector<HistoryCause>(2, HistoryCause::kByEdit));
}

TEST(DialogFlows, ADeleteThatCannotWriteTellsWhyInsteadOfTheStop) {
  Flows f;
  Owner owner(f);
  ListedFile list(Line("A") + Line("B"));
  list.files.failing = MapFiles::Step::kReplace;
  list.Delete(f, owner, {1});
  const Journal told = f.Take();
  ASSERT_EQ(told.size(), 4u);
  EXPECT_EQ(told[2], "show 2 rows");
  EXPECT_EQ(told[3].rfind("Cannot write the scheduler file ", 0), 0u) << told[3];
  EXPECT_EQ(list.File(), Line("A") + Line("B"));
}

TEST(DialogFlows, ChangeTakesTheTopmostSelectedRowAndDeleteThenAsksNothingUntilTheNextSave) {
  Flows f;
  Owner owner(f);
  ListedFile list(Line("A") + Line("B") + Line("C"));
  ChangeEvent(list.shown, {}, owner, f.host);
  EXPECT_EQ(f.Take(), (Journal{"No items selected"}));
  ChangeEvent(list.shown, {2, 1}, owner, f.host);
  EXPECT_EQ(f.Take(), (Journal{"change to B", "disable"}));

  list.Delete(f, owner, {0});
  EXPECT_EQ(f.Take(), (Journal{"disable", "show 2 rows",
                               "Scheduler is now disabled. Click ENABLE to restart"}));
  EnableAfterSave(f.flags, f.scheduler, f.host);
  f.Take();
  list.Delete(f, owner, {0});
  EXPECT_EQ(f.Take().front(), "Remove 1 scheduled items ?");
}

TEST(DialogFlows, TheFirstTickEnablesUnlessStoppedAndARunningSchedulerShowsWhetherItCounts) {
  Flows f;
  ClockTickStep tick = ClockTick(true, f.scheduler);
  EXPECT_TRUE(tick.enabled);
  EXPECT_EQ(tick.status, "Scheduler is active waiting...");
  EXPECT_EQ(f.Take(), (Journal{"enable"}));
  f.scheduler.counting = true;
  EXPECT_EQ(ClockTick(false, f.scheduler).status, "Scheduler is active counting...");

  f.scheduler.Disable(HistoryCause::kByUser);
  f.Take();
  tick = ClockTick(true, f.scheduler);
  EXPECT_FALSE(tick.enabled);
  EXPECT_EQ(tick.status, "");
  EXPECT_TRUE(f.Take().empty());

  // Enabled, but the file could not be loaded: no status of a running scheduler.
  Flows g;
  g.scheduler.loadFails = true;
  tick = ClockTick(true, g.scheduler);
  EXPECT_TRUE(tick.enabled);
  EXPECT_EQ(tick.status, "");
}

TEST(DialogFlows, TheSessionsEndNamesASignOutAnInstallsCloseElseAShutdown) {
  EXPECT_EQ(EndSessionCause(0), HistoryCause::kWindowsShutdown);
  EXPECT_EQ(EndSessionCause(kEndSessionCloseApp | 0x40000000), HistoryCause::kWindowsRestart);  // forced
  EXPECT_EQ(EndSessionCause(kEndSessionLogoff | kEndSessionCloseApp), HistoryCause::kWindowsLogoff);
}

TEST(OpenTextFile, TriesWordPadThenNotepadThenTheFileItselfAndSaysSoWhenAllFail) {
  const std::string path = "C:\\My Shows\\a.log", quoted = "\"" + path + "\"";
  const std::vector<ShellOpen> order = {
      {"wordpad", quoted}, {"C:\\Windows\\notepad.exe", quoted}, {path, ""}};
  EXPECT_EQ(TextFileOpeners(path, ""), (std::vector<ShellOpen>{order[0], order[2]}));
  for (std::size_t starts : {0, 1, 2, 3}) {  // 3: none starts
    std::vector<ShellOpen> tried;
    FakeHost host;
    OpenTextFile(path, starts == 1 ? "C:\\Windows\\" : "C:\\Windows", [&](const ShellOpen& open) {
      tried.push_back(open);
      return tried.size() == starts + 1;
    }, host);
    EXPECT_EQ(tried, std::vector(order.begin(), order.begin() + std::min<std::size_t>(starts + 1, 3)));
    EXPECT_EQ(host.messages.size(), starts == 3 ? 1u : 0u) << starts;
    for (const std::string& m : host.messages) EXPECT_NE(m.find(path), std::string::npos) << m;
  }
}

}  // namespace
}  // namespace ormidal
