#include "schedule_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>

#include "fake_host.h"
#ifdef _WIN32
#include "host_win32.h"
#endif

namespace ormidal {
namespace {

const std::string kFolder = "C:\\Settings";
const std::string kSchedule = "C:\\Settings\\schedule.log";
const std::string kTemporary = "C:\\Settings\\s1.txt";

const std::string kConcert =
    "Concert URL: C:\\clips\\a.asx START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 10:00:00 PM "
    "REPEAT: Once PROG: player WND: 100,100,600,500";
const std::string kNews =
    "News URL: http://tv/news START: Feb 01,2024 07:00:00 AM END: Feb 01,2024 07:30:00 AM "
    "REPEAT: Mon Wed Fri PROG: browser WND: 0,0,800,600";
const std::string kRadio =
    "Radio URL:  START: Mar 10,2024 12:00:00 PM END: Mar 10,2024 01:00:00 PM REPEAT:  PROG:  "
    "WND: ";

EntryInput ConcertInput() {
  EntryInput in;
  in.fileName = "Concert";
  in.url = "C:\\clips\\a.asx";
  in.programName = "player";
  in.windowPosition = "100,100,600,500";
  in.start = CalendarRecord{2024, 1, 0, 5, 20, 30, 0, 0};
  in.hours = 1;
  in.minutes = 30;
  in.repeat.once = true;
  return in;
}

PendingSave Composed(const EntryInput& in) {
  PendingSave pending;
  EXPECT_EQ(ComposeEntryLine(in, pending).outcome, ComposeOutcome::kComposed);
  return pending;
}

std::vector<std::string> Names(const ScheduleList& list) {
  std::vector<std::string> names;
  for (const ListRow& row : list.rows) names.push_back(row.fields.timeName);
  return names;
}

std::vector<std::size_t> LineNumbers(const ScheduleList& list) {
  std::vector<std::size_t> numbers;
  for (const ListRow& row : list.rows) numbers.push_back(row.lineNumber);
  return numbers;
}

TEST(ComposeEntryLine, OnceGivesTheLineOfTheExampleEntry) {
  PendingSave pending;
  const ComposeResult r = ComposeEntryLine(ConcertInput(), pending);
  ASSERT_EQ(r.outcome, ComposeOutcome::kComposed);
  EXPECT_EQ(pending.pendingLine,
            "Concert URL: C:\\clips\\a.asx START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 "
            "10:00:00 PM REPEAT: Once");
  const EntryFields& e = pending.pendingEntry;
  EXPECT_EQ(e.timeName, "Concert");
  EXPECT_EQ(e.timeUrl, "C:\\clips\\a.asx");
  EXPECT_EQ(e.timeStart, "Jan 05,2024 08:30:00 PM");
  EXPECT_EQ(e.timeEnd, "Jan 05,2024 10:00:00 PM");
  EXPECT_EQ(e.timeDay, " Once");
  EXPECT_EQ(e.timeProg, "player");
  EXPECT_EQ(e.timePos, "100,100,600,500");
  EXPECT_EQ(r.startTime, GetFileTime("Jan 05,2024 08:30:00 PM"));
  EXPECT_EQ(r.endTime - r.startTime, 5400 * kTicksPerSecond);
  EXPECT_EQ(RefusalMessage(r.outcome), "");
}

TEST(ComposeEntryLine, DailyAcrossMidnightAndMillisecondsDropped) {
  EntryInput in = ConcertInput();
  in.repeat = {};
  in.repeat.daily = true;
  in.start = CalendarRecord{2023, 12, 0, 31, 23, 30, 15, 999};
  in.hours = 0;
  in.minutes = 45;
  PendingSave pending;
  const ComposeResult r = ComposeEntryLine(in, pending);
  ASSERT_EQ(r.outcome, ComposeOutcome::kComposed);
  EXPECT_EQ(pending.pendingLine,
            "Concert URL: C:\\clips\\a.asx START: Dec 31,2023 11:30:15 PM END: Jan 01,2024 "
            "12:15:15 AM REPEAT: Daily");
  EXPECT_EQ(r.startTime % kTicksPerSecond, 0u);
}

TEST(ComposeEntryLine, RepeatChoicesByPriorityAndDaysFromSundayToSaturday) {
  EntryInput in = ConcertInput();
  in.repeat = {};
  in.repeat.days[6] = in.repeat.days[1] = in.repeat.days[0] = in.repeat.days[5] = true;
  EXPECT_EQ(Composed(in).pendingEntry.timeDay, " Sun Mon Fri Sat");
  EXPECT_TRUE(Composed(in).pendingLine.ends_with(" REPEAT: Sun Mon Fri Sat"));
  in.repeat.days.fill(true);
  EXPECT_EQ(Composed(in).pendingEntry.timeDay, " Sun Mon Tue Wed Thu Fri Sat");
  in.repeat.daily = true;
  EXPECT_EQ(Composed(in).pendingEntry.timeDay, " Daily");
  in.repeat.once = true;
  EXPECT_EQ(Composed(in).pendingEntry.timeDay, " Once");
}

TEST(ComposeEntryLine, EmptyUrlGivesAnEmptyProgramName) {
  EntryInput in = ConcertInput();
  in.url.clear();
  const PendingSave pending = Composed(in);
  EXPECT_EQ(pending.pendingEntry.timeProg, "");
  EXPECT_TRUE(pending.pendingLine.starts_with("Concert URL:  START: Jan 05,2024"));
}

TEST(ComposeEntryLine, ValuesBeyondTheirLimitsAreShortenedButNamesAndUrlsAreKeptWhole) {
  EntryInput in = ConcertInput();
  in.programName = std::string(300, 'p');
  in.windowPosition = "1,2,3," + std::string(200, '4');
  PendingSave pending = Composed(in);
  EXPECT_EQ(pending.pendingEntry.timeProg, std::string(kProgramNameLimit, 'p'));
  EXPECT_EQ(pending.pendingEntry.timePos.size(), kWindowRectangleLimit);
  EXPECT_TRUE(pending.pendingEntry.timePos.starts_with("1,2,3,444"));

  // Too long for a line: refused when stored, never cut here.
  in.fileName = std::string(5000, 'n');
  pending = Composed(in);
  EXPECT_EQ(pending.pendingEntry.timeName.size(), 5000u);
  EXPECT_TRUE(pending.pendingLine.ends_with(" REPEAT: Once"));

  // In audio mode no rectangle is stored, whatever the box holds.
  in = ConcertInput();
  in.audioMode = true;
  EXPECT_EQ(Composed(in).pendingEntry.timePos, "");
}

TEST(ComposeEntryLine, RefusedSavesLeaveThePendingEntryAlone) {
  PendingSave pending = Composed(ConcertInput());
  const PendingSave before = pending;

  EntryInput in = ConcertInput();
  in.fileName = "Later";
  in.hours = 0;
  in.minutes = -1;  // "00:-1:00" passes the dialog's shape checks
  ComposeResult r = ComposeEntryLine(in, pending);
  EXPECT_EQ(r.outcome, ComposeOutcome::kStartNotBeforeEnd);
  EXPECT_EQ(RefusalMessage(r.outcome), "Start time is later then end time");
  EXPECT_EQ(r.startTime - r.endTime, 60 * kTicksPerSecond);  // kept for currentEntry
  in.repeat = {};  // the time check comes before the repeat check
  EXPECT_EQ(ComposeEntryLine(in, pending).outcome, ComposeOutcome::kStartNotBeforeEnd);

  in.minutes = 0;
  in.seconds = 0;
  EXPECT_EQ(ComposeEntryLine(in, pending).outcome, ComposeOutcome::kStartNotBeforeEnd);

  in.seconds = 1;
  r = ComposeEntryLine(in, pending);
  EXPECT_EQ(r.outcome, ComposeOutcome::kNoRepeatMode);
  EXPECT_EQ(RefusalMessage(r.outcome), "Please specify the Repeat mode");

  // A calendar without a valid date is told too, not refused in silence.
  in.repeat.once = true;
  in.start.month = 13;
  r = ComposeEntryLine(in, pending);
  EXPECT_EQ(r.outcome, ComposeOutcome::kInvalidStart);
  EXPECT_EQ(RefusalMessage(r.outcome), "Invalid start date (select a day in the calendar)");

  EXPECT_EQ(pending.pendingLine, before.pendingLine);
  EXPECT_EQ(pending.pendingEntry.timeName, "Concert");
}

// The editing operations over files held in memory; list_ holds the rows
// the last operation left, as the list dialog shows them.
class EditOnMap : public ::testing::Test {
 protected:
  ScheduleFolder Folder() { return {kFolder, files_}; }
  EditOutcome Shown(EditOutcome outcome) {
    if (outcome.rows) list_ = *outcome.rows;
    return outcome;
  }
  EditOutcome List() { return Shown(LoadScheduleList(Folder())); }
  EditOutcome Save(const PendingSave& pending) { return Shown(SaveEntryLine(Folder(), pending)); }
  EditOutcome Delete(const std::vector<std::size_t>& selected) {
    return Shown(DeleteEntryLines(Folder(), list_, selected));
  }
  std::string& File() { return files_.files[kSchedule]; }

  MapFiles files_;
  ScheduleList list_;
};

TEST_F(EditOnMap, ReadsCrLfBareLfAndALastLineWithoutABreak) {
  File() = kConcert + "\r\n" + "tiny\r\n" + "a note line of text\r\n" + kNews + "\n" + kRadio;
  const EditOutcome load = List();
  EXPECT_EQ(load.result, EditResult::kRead);
  EXPECT_EQ(load.message, "");
  ASSERT_EQ(Names(list_), (std::vector<std::string>{"Concert", "News", "Radio"}));
  EXPECT_EQ(LineNumbers(list_), (std::vector<std::size_t>{0, 3, 4}));
  EXPECT_EQ(list_.rows[0].fields.timePos, "100,100,600,500");  // no CR left
  EXPECT_EQ(list_.rows[1].fields.timeDay, "Mon Wed Fri");
  EXPECT_EQ(list_.rows[1].fields.timePos, "0,0,800,600");
  const auto radio = list_.rows[2].Columns();
  EXPECT_EQ(std::vector<std::string>(radio.begin(), radio.end()),
            (std::vector<std::string>{"Radio", "", "Mar 10,2024 12:00:00 PM",
                                      "Mar 10,2024 01:00:00 PM", "", "", ""}));
}

TEST_F(EditOnMap, LongLinesAreReadInPiecesOfTheLineLimit) {
  // An entry line of exactly the limit is read whole; from a longer one the
  // characters beyond the limit are a piece of their own, too short for a row.
  const std::string padded = std::string(kListLineLimit - kConcert.size(), 'x') + kConcert;
  File() = std::string(kListLineLimit, 'y') + kNews + "\r\n" + padded + "\r\n" + padded + "9\r\n";
  List();
  ASSERT_EQ(Names(list_),
            (std::vector<std::string>{"News", padded.substr(0, padded.find(" URL: ")),
                                      padded.substr(0, padded.find(" URL: "))}));
  EXPECT_EQ(LineNumbers(list_), (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(list_.rows[1].fields.timePos, "100,100,600,500");
  EXPECT_EQ(list_.rows[2].fields.timePos, "100,100,600,500");
}

TEST_F(EditOnMap, AMissingFileIsCreatedByTheListAndByASave) {
  EXPECT_EQ(List().result, EditResult::kRead);
  EXPECT_TRUE(list_.rows.empty());
  ASSERT_EQ(files_.files.count(kSchedule), 1u);
  EXPECT_EQ(File(), "");
  files_.files.clear();
  EXPECT_EQ(Save(Composed(ConcertInput())).result, EditResult::kAppended);
  EXPECT_EQ(File(), kConcert + "\r\n");
  EXPECT_EQ(Names(list_), std::vector<std::string>{"Concert"});
  EXPECT_EQ(files_.files.count(kTemporary), 0u);
}

TEST_F(EditOnMap, AFileThatCannotBeOpenedIsToldAndNothingIsStored) {
  const std::string cannot =
      "Cannot open the scheduler file C:\\Settings\\schedule.log. Cannot save data.";
  for (const MapFiles::Step step : {MapFiles::Step::kOpenAppend, MapFiles::Step::kRead}) {
    File() = kNews + "\r\n";
    files_.failing = step;
    for (const EditOutcome& outcome : {List(), Save(Composed(ConcertInput())), Delete({0})}) {
      EXPECT_EQ(outcome.result, EditResult::kCannotOpen);
      EXPECT_FALSE(outcome.rows.has_value());
    }
    EXPECT_EQ(List().message, cannot);
    EXPECT_EQ(Save(Composed(ConcertInput())).message, cannot);
    list_.rows = {ListRow{}};
    EXPECT_EQ(Delete({0}).message,
              "Cannot open the scheduler file C:\\Settings\\schedule.log. Cannot delete data.");
    EXPECT_EQ(File(), kNews + "\r\n");
  }
}

TEST_F(EditOnMap, ANewNameIsAppendedAfterEveryLineAndCaseMatters) {
  const std::string before = kNews + "\r\n" + "a note line of text\n" + kConcert + "\r\n";
  File() = before;
  EntryInput in = ConcertInput();
  in.fileName = "concert";
  in.repeat = {};
  in.repeat.days[2] = true;
  EXPECT_EQ(Save(Composed(in)).result, EditResult::kAppended);
  const std::string added =
      "concert URL: C:\\clips\\a.asx START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 10:00:00 PM "
      "REPEAT: Tue PROG: player WND: 100,100,600,500\r\n";
  EXPECT_EQ(File(), before + added);
  EXPECT_EQ(Names(list_), (std::vector<std::string>{"News", "Concert", "concert"}));
  EXPECT_EQ(LineNumbers(list_), (std::vector<std::size_t>{0, 2, 3}));
  EXPECT_EQ(list_.rows[2].fields.timeDay, "Tue");  // as a reading of the file gives it

  // A last line without a break gets one, so the new line stands alone.
  File() = kNews;
  Save(Composed(in));
  EXPECT_EQ(File(), kNews + "\r\n" + added);
  EXPECT_EQ(LineNumbers(list_), (std::vector<std::size_t>{0, 1}));

  // An empty URL leaves the two blanks around the empty program name.
  in.url.clear();
  File().clear();
  Save(Composed(in));
  EXPECT_EQ(File(),
            "concert URL:  START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 10:00:00 PM REPEAT: "
            "Tue PROG:  WND: 100,100,600,500\r\n");
}

// The file is read when the save stores, and only the one line changes:
// lines without rows, line ends and an empty repeat value stay as they were.
TEST_F(EditOnMap, TheSameNameReplacesOnlyTheFirstSuchLine) {
  const std::string second = "Concert" + kConcert.substr(7, kConcert.find("PROG:") - 7) +
                             "PROG: other WND: 1,1,2,2";
  const std::string after = "a note line of text\r\n" + kRadio + "\n" + "tiny\r\n" + second +
                            "\r\n" + kNews;
  File() = kConcert + "\r\n" + after;
  EntryInput in = ConcertInput();
  in.repeat = {};
  in.repeat.daily = true;
  in.start.hour = 6;
  in.programName = "viewer";
  EXPECT_EQ(Save(Composed(in)).result, EditResult::kReplaced);
  EXPECT_EQ(File(),
            "Concert URL: C:\\clips\\a.asx START: Jan 05,2024 06:30:00 AM END: Jan 05,2024 "
            "08:00:00 AM REPEAT: Daily PROG: viewer WND: 100,100,600,500\r\n" +
                after);
  EXPECT_EQ(Names(list_), (std::vector<std::string>{"Concert", "Radio", "Concert", "News"}));
  EXPECT_EQ(LineNumbers(list_), (std::vector<std::size_t>{0, 2, 4, 5}));
  EXPECT_EQ(list_.rows[0].fields.timeDay, "Daily");
  EXPECT_EQ(list_.rows[0].fields.timeProg, "viewer");
  EXPECT_EQ(files_.files.count(kTemporary), 0u);
  const auto rewrite = std::find(files_.log.begin(), files_.log.end(),
                                 "replace " + kTemporary + ">" + kSchedule);
  EXPECT_NE(rewrite, files_.log.end());
}

// Each text either reads back as it was saved or the save is refused,
// naming the box, before the file is touched.
TEST_F(EditOnMap, ASaveThatWouldNotReadBackIsRefusedNamingItsField) {
  File() = kNews + "\r\n";
  const auto refusal = [&](const std::string& field, const std::string& text) {
    EntryInput in = ConcertInput();
    if (field == "name") in.fileName = text;
    if (field == "url") in.url = text;
    if (field == "prog") in.programName = text;
    if (field == "pos") in.windowPosition = text;
    files_.log.clear();
    const EditOutcome outcome = Save(Composed(in));
    if (outcome.result == EditResult::kRefused) {
      EXPECT_TRUE(files_.log.empty()) << text;
    }
    return outcome.message;
  };
  const std::string marker = ", which separates the fields of the scheduler file. Cannot save data.";
  EXPECT_EQ(refusal("name", "News START: at nine"), "The File Name contains \"START:\"" + marker);
  EXPECT_EQ(refusal("name", "Radio URL:"), "The File Name contains \"URL:\"" + marker);
  EXPECT_EQ(refusal("url", "START: http://tv"), "The URL/File Path contains \"START:\"" + marker);
  EXPECT_EQ(refusal("prog", "player WND: x"), "The Program Name contains \"WND:\"" + marker);
  EXPECT_EQ(refusal("pos", "REPEAT: 1,2"), "The Window position contains \"REPEAT:\"" + marker);
  EXPECT_EQ(refusal("url", "http://tv\r\nNews"),
            "The URL/File Path contains a line break. Cannot save data.");
  EXPECT_EQ(refusal("name", "Two\nlines"), "The File Name contains a line break. Cannot save data.");
  // Words alone, without the blanks around them, separate nothing.
  EXPECT_EQ(refusal("name", "URL: START:END: x"), "");

  // The longest line the list reads whole is stored and reads back whole;
  // one character more is refused, naming the longest text.
  const std::size_t rest = kConcert.size() - std::string("C:\\clips\\a.asx").size();
  EXPECT_EQ(refusal("url", std::string(kFieldLimit - rest, 'u')), "");
  EXPECT_EQ(list_.rows.back().fields.timeUrl, std::string(kFieldLimit - rest, 'u'));
  EXPECT_EQ(list_.rows.back().fields.timePos, "100,100,600,500");
  EXPECT_EQ(refusal("url", std::string(kFieldLimit - rest + 1, 'u')),
            "The entry is too long for the scheduler file (at most 4499 characters). Please "
            "shorten the URL/File Path.");
  EXPECT_EQ(Names(list_), (std::vector<std::string>{"News", "URL: START:END: x", "Concert"}));
}

TEST_F(EditOnMap, ChangeTakesTheTopmostSelectedRowWithItsTimes) {
  EXPECT_FALSE(ChangeEntry(list_, {0}).entry.has_value());  // no rows: nothing at all
  EXPECT_EQ(ChangeEntry(list_, {0}).message, "");
  File() = kConcert + "\r\n" + kNews + "\r\n" + kRadio + "\r\n";
  List();
  EXPECT_EQ(ChangeEntry(list_, {}).message, "No items selected");
  const ChangeOutcome change = ChangeEntry(list_, {2, 1});
  ASSERT_TRUE(change.entry.has_value());
  EXPECT_EQ(change.entry->timeName, "News");
  EXPECT_EQ(change.entry->timeDay, "Mon Wed Fri");
  EXPECT_EQ(change.entry->startTime, GetFileTime("Feb 01,2024 07:00:00 AM"));
  EXPECT_EQ(change.entry->endTime - change.entry->startTime, 1800 * kTicksPerSecond);
}

TEST_F(EditOnMap, DeleteRemovesExactlyTheSelectedRowsLines) {
  File() = "a note line of text\r\n" + kConcert + "\r\n" + "tiny\n" + kNews + "\n" +
           "another note here\r\n" + kRadio + "\r\n" + "trailing words after";
  List();
  ASSERT_EQ(LineNumbers(list_), (std::vector<std::size_t>{1, 3, 5}));
  files_.log.clear();
  EXPECT_EQ(Delete({0, 2}).result, EditResult::kDeleted);
  EXPECT_EQ(File(), "a note line of text\r\ntiny\r\n" + kNews +
                        "\r\nanother note here\r\ntrailing words after");
  EXPECT_EQ(Names(list_), std::vector<std::string>{"News"});
  EXPECT_EQ(LineNumbers(list_), std::vector<std::size_t>{2});
  EXPECT_EQ(files_.files.count(kTemporary), 0u);
  ASSERT_FALSE(files_.log.empty());
  EXPECT_EQ(files_.log.front(), "open-append " + kSchedule);
}

TEST_F(EditOnMap, DeleteOfOneOfTwoLinesAndOfAllLines) {
  File() = kConcert + "\r\n" + kNews + "\r\n";
  List();
  EXPECT_EQ(Delete({1}).result, EditResult::kDeleted);
  EXPECT_EQ(File(), kConcert + "\r\n");
  EXPECT_EQ(Delete({0, 7}).result, EditResult::kDeleted);
  EXPECT_EQ(File(), "");
  EXPECT_TRUE(list_.rows.empty());
}

TEST_F(EditOnMap, DeleteOfARowFromALongLineRemovesTheWholeLine) {
  File() = kConcert + "\r\n" + std::string(kListLineLimit, 'y') + kNews + "\r\n" + kRadio + "\r\n";
  List();
  ASSERT_EQ(Names(list_), (std::vector<std::string>{"Concert", "News", "Radio"}));
  EXPECT_EQ(Delete({1}).result, EditResult::kDeleted);
  EXPECT_EQ(File(), kConcert + "\r\n" + kRadio + "\r\n");
}

TEST_F(EditOnMap, DeleteFromAnOutdatedListIsToldAndDeletesNothing) {
  File() = kConcert + "\r\n" + kNews + "\r\n";
  List();
  const std::string edited = "a line added meanwhile\r\n" + File();
  File() = edited;
  const EditOutcome outdated = Delete({1});
  EXPECT_EQ(outdated.result, EditResult::kOutdated);
  EXPECT_EQ(outdated.message,
            "The scheduler file has changed since the list was read. Nothing was deleted. Please "
            "select the items again.");
  EXPECT_EQ(File(), edited);
  EXPECT_EQ(LineNumbers(list_), (std::vector<std::size_t>{1, 2}));  // read again
  EXPECT_EQ(Delete({1}).result, EditResult::kDeleted);
  EXPECT_EQ(File(), "a line added meanwhile\r\n" + kConcert + "\r\n");
}

// Each step of a rewrite fails in turn; the schedule file must keep its
// bytes, and the user is told why.
TEST_F(EditOnMap, EveryFailingStepLeavesTheScheduleFileAsItWasAndIsTold) {
  const std::string original = "a note line of text\r\n" + kConcert + "\r\n" + kNews;
  EntryInput renamed = ConcertInput();
  renamed.fileName = "Fresh";
  EntryInput changed = ConcertInput();
  changed.programName = "viewer";
  using Step = MapFiles::Step;
  struct Operation {
    std::string name;
    std::function<EditOutcome()> run;
    EditResult success;
    std::string consequence;
  };
  const std::vector<Operation> operations = {
      {"append", [&] { return Save(Composed(renamed)); }, EditResult::kAppended, "save"},
      {"replace", [&] { return Save(Composed(changed)); }, EditResult::kReplaced, "save"},
      {"delete", [&] { return Delete({1}); }, EditResult::kDeleted, "delete"},
  };
  const std::vector<std::pair<Step, std::string>> steps = {
      {Step::kOpenWrite, kTemporary}, {Step::kWrite, kTemporary},  {Step::kFlush, kTemporary},
      {Step::kClose, kTemporary},     {Step::kReplace, kSchedule}, {Step::kRead, kSchedule},
      {Step::kOpenAppend, kSchedule}};
  for (const Operation& op : operations) {
    for (const auto& [step, path] : steps) {
      SCOPED_TRACE(op.name + " failing at step " + std::to_string(static_cast<int>(step)));
      files_.failing = Step::kNone;
      files_.files = {{kSchedule, original}};
      List();
      const ScheduleList rowsBefore = list_;
      files_.failing = step;
      files_.failingPath = path;
      const EditOutcome outcome = op.run();
      const bool opening = step == Step::kRead || step == Step::kOpenAppend;
      EXPECT_EQ(outcome.result, opening ? EditResult::kCannotOpen : EditResult::kCannotWrite);
      EXPECT_EQ(outcome.message,
                opening ? "Cannot open the scheduler file C:\\Settings\\schedule.log. Cannot " +
                              op.consequence + " data."
                        : "Cannot write the scheduler file C:\\Settings\\schedule.log (Step "
                          "failed). Cannot " +
                              op.consequence + " data.");
      EXPECT_EQ(files_.files.at(kSchedule), original);
      EXPECT_EQ(files_.files.count(kTemporary), 0u);
      EXPECT_EQ(LineNumbers(list_), LineNumbers(rowsBefore));
      EXPECT_EQ(Names(list_), Names(rowsBefore));
    }
  }
  // Without a failing step the same operations do change the file.
  for (const Operation& op : operations) {
    files_.failing = Step::kNone;
    files_.files = {{kSchedule, original}};
    List();
    const EditOutcome outcome = op.run();
    EXPECT_EQ(outcome.result, op.success) << op.name;
    EXPECT_EQ(outcome.message, "") << op.name;
    EXPECT_NE(files_.files.at(kSchedule), original) << op.name;
  }
}

// The same operations on real files, through each file system the program has.
#ifdef _WIN32
FileSystem& Win32() {
  static Win32FileSystem files;
  return files;
}
#endif

FileSystem& Named(std::string_view name) {
#ifdef _WIN32
  if (name == "Win32") return Win32();
#endif
  EXPECT_EQ(name, "Portable");
  return PortableFileSystem();
}

// A fresh settings folder for each test.
class DiskFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("ormidal_edit_") + info->test_suite_name() + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    folder_ = std::filesystem::temp_directory_path() / name;
    settingsFolder_ = folder_.string();
    Clean();
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { Clean(); }
  void Clean() {
    // Natively the backslash of the paths is part of file names beside the folder.
    std::filesystem::remove_all(SchedulePath(settingsFolder_));
    std::filesystem::remove_all(TemporaryPath(settingsFolder_));
    std::filesystem::remove_all(folder_);
  }
  static std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  void Write(const std::string& bytes) {
    std::ofstream(SchedulePath(settingsFolder_), std::ios::binary) << bytes;
  }

  std::filesystem::path folder_;
  std::string settingsFolder_;
};

class EditOnDisk : public DiskFolder,
                   public ::testing::WithParamInterface<const char*> {
 protected:
  ScheduleFolder Folder() { return {settingsFolder_, files_}; }
  FileSystem& files_ = Named(GetParam());
};

TEST_P(EditOnDisk, ListAppendReplaceAndDelete) {
  const std::string schedule = SchedulePath(settingsFolder_);
  EXPECT_EQ(SaveEntryLine(Folder(), Composed(ConcertInput())).result, EditResult::kAppended);
  EXPECT_EQ(Bytes(schedule), kConcert + "\r\n");

  Write(Bytes(schedule) + "a note line of text\n" + kNews + "\n");
  EntryInput in = ConcertInput();
  in.url = "C:\\clips\\b.asx";
  EXPECT_EQ(SaveEntryLine(Folder(), Composed(in)).result, EditResult::kReplaced);
  const std::string replaced =
      "Concert URL: C:\\clips\\b.asx START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 10:00:00 PM "
      "REPEAT: Once PROG: player WND: 100,100,600,500\r\na note line of text\n" +
      kNews + "\n";
  EXPECT_EQ(Bytes(schedule), replaced);

  const EditOutcome listed = LoadScheduleList(Folder());
  ASSERT_TRUE(listed.rows.has_value());
  const EditOutcome deleted = DeleteEntryLines(Folder(), *listed.rows, {0});
  EXPECT_EQ(deleted.result, EditResult::kDeleted);
  EXPECT_EQ(Bytes(schedule), "a note line of text\r\n" + kNews + "\r\n");
  EXPECT_FALSE(std::filesystem::exists(TemporaryPath(settingsFolder_)));
}

TEST_P(EditOnDisk, AnUnwritableTemporaryFileLeavesTheScheduleFileAloneAndSaysWhy) {
  const std::string original = kConcert + "\r\n" + kNews + "\r\n";
  Write(original);
  const EditOutcome listed = LoadScheduleList(Folder());
  ASSERT_TRUE(listed.rows.has_value());
  // A folder in the way, one that cannot simply be removed either.
  std::filesystem::create_directory(TemporaryPath(settingsFolder_));
  std::ofstream(std::filesystem::path(TemporaryPath(settingsFolder_)) / "inside") << "x";
  const EditOutcome saved = SaveEntryLine(Folder(), Composed(ConcertInput()));
  const EditOutcome deleted = DeleteEntryLines(Folder(), *listed.rows, {0});
  for (const EditOutcome& outcome : {saved, deleted}) {
    EXPECT_EQ(outcome.result, EditResult::kCannotWrite);
    // The system's own words stand between the path and the consequence.
    const std::string start = "Cannot write the scheduler file " + SchedulePath(settingsFolder_) + " (";
    EXPECT_EQ(outcome.message.rfind(start, 0), 0u) << outcome.message;
    EXPECT_GT(outcome.message.find(")."), start.size()) << outcome.message;
    ASSERT_TRUE(outcome.rows.has_value());
    EXPECT_EQ(outcome.rows->rows.size(), 2u);
  }
  EXPECT_EQ(Bytes(SchedulePath(settingsFolder_)), original);
}

const std::vector<const char*> kFileSystems = {
    "Portable",
#ifdef _WIN32
    "Win32",
#endif
};
INSTANTIATE_TEST_SUITE_P(FileSystems, EditOnDisk, ::testing::ValuesIn(kFileSystems),
                         [](const auto& info) { return std::string(info.param); });

#ifdef _WIN32
using Win32Replace = DiskFolder;

// Another program holding the schedule file open makes the replace wait a
// moment and then give up, leaving both files as they were before.
TEST_F(Win32Replace, AFileHeldOpenIsNotReplaced) {
  const std::string schedule = SchedulePath(settingsFolder_);
  const std::string temporary = TemporaryPath(settingsFolder_);
  Write(kConcert + "\r\n");
  std::unique_ptr<WritableFile> holder = Win32().OpenForAppend(schedule);
  ASSERT_NE(holder, nullptr);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(ReplaceContents(Win32(), schedule, temporary, "new"));
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
  EXPECT_FALSE(std::filesystem::exists(temporary));
  holder.reset();
  EXPECT_EQ(Bytes(schedule), kConcert + "\r\n");
  EXPECT_TRUE(ReplaceContents(Win32(), schedule, temporary, "new"));
  EXPECT_EQ(Bytes(schedule), "new");
}
#endif

}  // namespace
}  // namespace ormidal
