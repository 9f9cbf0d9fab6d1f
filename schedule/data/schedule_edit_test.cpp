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

TEST(ComposeEntryLine, ValuesBeyondTheirLimitsAreShortened) {
  EntryInput in = ConcertInput();
  in.programName = std::string(300, 'p');
  in.windowPosition = "1,2,3," + std::string(200, '4');
  PendingSave pending = Composed(in);
  EXPECT_EQ(pending.pendingEntry.timeProg, std::string(kProgramNameLimit, 'p'));
  EXPECT_EQ(pending.pendingEntry.timePos.size(), kWindowRectangleLimit);
  EXPECT_TRUE(pending.pendingEntry.timePos.starts_with("1,2,3,444"));

  in.fileName = std::string(5000, 'n');
  pending = Composed(in);
  EXPECT_EQ(pending.pendingEntry.timeName.size(), kFieldLimit);
  EXPECT_EQ(pending.pendingLine, std::string(kPendingLineLimit, 'n'));

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

  in.repeat.once = true;
  in.start.month = 13;
  EXPECT_EQ(ComposeEntryLine(in, pending).outcome, ComposeOutcome::kInvalidStart);

  EXPECT_EQ(pending.pendingLine, before.pendingLine);
  EXPECT_EQ(pending.pendingEntry.timeName, "Concert");
}

// The editing operations over files held in memory.
class EditOnMap : public ::testing::Test {
 protected:
  ListLoad List(ListMode mode = ListMode::kViewOnly) {
    return LoadScheduleList(kFolder, mode, list_, current_, pending_, seams_);
  }
  std::string& File() { return files_.files[kSchedule]; }

  MapFiles files_;
  FakeHost host_;
  std::vector<std::string> events_;
  std::atomic<int32_t> readError_{1};
  EditSeams seams_{files_, host_, [this] { events_.push_back("disable"); }, &readError_};
  ScheduleList list_;
  CurrentEntry current_;
  PendingSave pending_;
};

TEST_F(EditOnMap, ReadsCrLfBareLfAndALastLineWithoutABreak) {
  File() = kConcert + "\r\n" + "tiny\r\n" + "a note line of text\r\n" + kNews + "\n" + kRadio;
  const ListLoad load = List();
  EXPECT_TRUE(load.read);
  EXPECT_EQ(readError_.load(), 0);
  ASSERT_EQ(Names(list_), (std::vector<std::string>{"Concert", "News", "Radio"}));
  EXPECT_EQ(LineNumbers(list_), (std::vector<std::size_t>{0, 3, 4}));
  EXPECT_EQ(list_.rows[0].fields.timePos, "100,100,600,500");  // no CR left
  EXPECT_EQ(list_.rows[1].fields.timeDay, "Mon Wed Fri");
  EXPECT_EQ(list_.rows[1].fields.timePos, "0,0,800,600");
  const auto radio = list_.rows[2].Columns();
  EXPECT_EQ(std::vector<std::string>(radio.begin(), radio.end()),
            (std::vector<std::string>{"Radio", "", "Mar 10,2024 12:00:00 PM",
                                      "Mar 10,2024 01:00:00 PM", "", "", ""}));
  EXPECT_EQ(current_.timeName, "Radio");
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(EditOnMap, EveryLineLongerThanTenCharactersPassesThroughTheCurrentEntry) {
  File() = kConcert + "\r\n" + "123456789\r\n";  // ten characters with its break: skipped
  List();
  EXPECT_EQ(current_.timeName, "Concert");
  File() = kConcert + "\r\n" + "1234567890\r\n";
  List();
  EXPECT_EQ(current_.timeName, "");
  EXPECT_EQ(list_.rows.size(), 1u);
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

TEST_F(EditOnMap, MissingFileIsCreatedAndOnlyNormalModeStores) {
  pending_ = Composed(ConcertInput());
  EXPECT_EQ(List(ListMode::kViewOnly).save, SaveResult::kNothingPending);
  EXPECT_TRUE(list_.rows.empty());
  ASSERT_EQ(files_.files.count(kSchedule), 1u);
  EXPECT_EQ(File(), "");
  EXPECT_EQ(List(ListMode::kRefresh).save, SaveResult::kNothingPending);
  EXPECT_EQ(File(), "");
  EXPECT_EQ(List(ListMode::kNormal).save, SaveResult::kAppended);
  EXPECT_EQ(File(), kConcert + "\r\n");
  EXPECT_EQ(Names(list_), std::vector<std::string>{"Concert"});
  EXPECT_EQ(files_.files.count(kTemporary), 0u);
}

TEST_F(EditOnMap, AFileThatCannotBeOpenedIsReportedAndNothingIsStored) {
  pending_ = Composed(ConcertInput());
  for (const MapFiles::Step step : {MapFiles::Step::kOpenAppend, MapFiles::Step::kRead}) {
    File() = kNews + "\r\n";
    host_.messages.clear();
    files_.failing = step;
    const ListLoad load = List(ListMode::kNormal);
    EXPECT_FALSE(load.read);
    EXPECT_EQ(load.save, SaveResult::kNothingPending);
    EXPECT_TRUE(list_.rows.empty());
    EXPECT_EQ(File(), kNews + "\r\n");
    EXPECT_EQ(host_.messages,
              std::vector<std::string>{
                  "Cannot open the scheduler file C:\\Settings\\schedule.log. Cannot save data."});
  }
}

TEST_F(EditOnMap, ANewNameIsAppendedAfterEveryLineAndCaseMatters) {
  const std::string before = kNews + "\r\n" + "a note line of text\n" + kConcert + "\r\n";
  File() = before;
  EntryInput in = ConcertInput();
  in.fileName = "concert";
  in.repeat = {};
  in.repeat.days[2] = true;
  pending_ = Composed(in);
  EXPECT_EQ(List(ListMode::kNormal).save, SaveResult::kAppended);
  const std::string added =
      "concert URL: C:\\clips\\a.asx START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 10:00:00 PM "
      "REPEAT: Tue PROG: player WND: 100,100,600,500\r\n";
  EXPECT_EQ(File(), before + added);
  EXPECT_EQ(Names(list_), (std::vector<std::string>{"News", "Concert", "concert"}));
  EXPECT_EQ(LineNumbers(list_), (std::vector<std::size_t>{0, 2, 3}));
  EXPECT_EQ(list_.rows[2].fields.timeDay, "Tue");  // as a reading of the file gives it

  // A last line without a break gets one, so the new line stands alone.
  File() = kNews;
  List(ListMode::kNormal);
  EXPECT_EQ(File(), kNews + "\r\n" + added);
  EXPECT_EQ(LineNumbers(list_), (std::vector<std::size_t>{0, 1}));

  // An empty URL leaves the two blanks around the empty program name.
  in.url.clear();
  pending_ = Composed(in);
  File().clear();
  List(ListMode::kNormal);
  EXPECT_EQ(File(),
            "concert URL:  START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 10:00:00 PM REPEAT: "
            "Tue PROG:  WND: 100,100,600,500\r\n");
}

TEST_F(EditOnMap, TheSameNameReplacesTheFirstRowAndRewritesTheFileInListOrder) {
  const std::string second = "Concert" + kConcert.substr(7, kConcert.find("PROG:") - 7) +
                             "PROG: other WND: 1,1,2,2";
  File() = kConcert + "\r\n" + "a note line of text\r\n" + kRadio + "\n" + "tiny\r\n" + second +
           "\r\n" + kNews;
  EntryInput in = ConcertInput();
  in.repeat = {};
  in.repeat.daily = true;
  in.start.hour = 6;
  in.programName = "viewer";
  pending_ = Composed(in);
  EXPECT_EQ(List(ListMode::kNormal).save, SaveResult::kReplaced);
  EXPECT_EQ(File(),
            "Concert URL: C:\\clips\\a.asx START: Jan 05,2024 06:30:00 AM END: Jan 05,2024 "
            "08:00:00 AM REPEAT: Daily PROG: viewer WND: 100,100,600,500\r\n"
            "Radio URL:  START: Mar 10,2024 12:00:00 PM END: Mar 10,2024 01:00:00 PM REPEAT: "
            "Once PROG:  WND: \r\n" +
                second + "\r\n" + kNews + "\r\n");
  EXPECT_EQ(Names(list_), (std::vector<std::string>{"Concert", "Radio", "Concert", "News"}));
  EXPECT_EQ(LineNumbers(list_), (std::vector<std::size_t>{0, 1, 2, 3}));
  EXPECT_EQ(list_.rows[0].fields.timeDay, "Daily");
  EXPECT_EQ(list_.rows[0].fields.timeProg, "viewer");
  EXPECT_EQ(list_.rows[1].fields.timeDay, "");  // the row keeps what the file held
  EXPECT_EQ(files_.files.count(kTemporary), 0u);
  const auto rewrite = std::find(files_.log.begin(), files_.log.end(),
                                 "replace " + kTemporary + ">" + kSchedule);
  EXPECT_NE(rewrite, files_.log.end());
}

TEST_F(EditOnMap, AnEmptyPendingLineStoresNothing) {
  File() = kConcert + "\r\n";
  pending_ = Composed(ConcertInput());
  pending_.pendingLine.clear();  // View scheduler empties it
  EXPECT_EQ(List(ListMode::kNormal).save, SaveResult::kNothingPending);
  EXPECT_EQ(File(), kConcert + "\r\n");
}

TEST_F(EditOnMap, DeleteRemovesExactlyTheSelectedRowsLines) {
  File() = "a note line of text\r\n" + kConcert + "\r\n" + "tiny\n" + kNews + "\n" +
           "another note here\r\n" + kRadio + "\r\n" + "trailing words after";
  List();
  ASSERT_EQ(LineNumbers(list_), (std::vector<std::size_t>{1, 3, 5}));
  events_.clear();
  files_.log.clear();
  EXPECT_EQ(DeleteEntryLines(kFolder, list_, {0, 2}, current_, seams_), DeleteResult::kDeleted);
  EXPECT_EQ(File(), "a note line of text\r\ntiny\r\n" + kNews +
                        "\r\nanother note here\r\ntrailing words after");
  EXPECT_EQ(Names(list_), std::vector<std::string>{"News"});
  EXPECT_EQ(LineNumbers(list_), std::vector<std::size_t>{2});
  EXPECT_EQ(files_.files.count(kTemporary), 0u);
  // The scheduler is off before the file is touched.
  ASSERT_EQ(events_, std::vector<std::string>{"disable"});
  ASSERT_FALSE(files_.log.empty());
  EXPECT_EQ(files_.log.front(), "open-append " + kSchedule);
}

TEST_F(EditOnMap, DeleteOfOneOfTwoLinesAndOfAllLines) {
  File() = kConcert + "\r\n" + kNews + "\r\n";
  List();
  EXPECT_EQ(DeleteEntryLines(kFolder, list_, {1}, current_, seams_), DeleteResult::kDeleted);
  EXPECT_EQ(File(), kConcert + "\r\n");
  EXPECT_EQ(DeleteEntryLines(kFolder, list_, {0, 7}, current_, seams_), DeleteResult::kDeleted);
  EXPECT_EQ(File(), "");
  EXPECT_TRUE(list_.rows.empty());
}

TEST_F(EditOnMap, DeleteOfARowFromALongLineRemovesTheWholeLine) {
  File() = kConcert + "\r\n" + std::string(kListLineLimit, 'y') + kNews + "\r\n" + kRadio + "\r\n";
  List();
  ASSERT_EQ(Names(list_), (std::vector<std::string>{"Concert", "News", "Radio"}));
  EXPECT_EQ(DeleteEntryLines(kFolder, list_, {1}, current_, seams_), DeleteResult::kDeleted);
  EXPECT_EQ(File(), kConcert + "\r\n" + kRadio + "\r\n");
}

TEST_F(EditOnMap, DeleteFromAnOutdatedListDeletesNothing) {
  File() = kConcert + "\r\n" + kNews + "\r\n";
  List();
  const std::string edited = "a line added meanwhile\r\n" + File();
  File() = edited;
  EXPECT_EQ(DeleteEntryLines(kFolder, list_, {1}, current_, seams_),
            DeleteResult::kListOutdated);
  EXPECT_EQ(File(), edited);
  EXPECT_EQ(LineNumbers(list_), (std::vector<std::size_t>{1, 2}));  // read again
  EXPECT_EQ(DeleteEntryLines(kFolder, list_, {1}, current_, seams_), DeleteResult::kDeleted);
  EXPECT_EQ(File(), "a line added meanwhile\r\n" + kConcert + "\r\n");
}

// Each step of a rewrite fails in turn; the schedule file must keep its bytes.
TEST_F(EditOnMap, EveryFailingStepLeavesTheScheduleFileAsItWas) {
  const std::string original = "a note line of text\r\n" + kConcert + "\r\n" + kNews;
  EntryInput renamed = ConcertInput();
  renamed.fileName = "Fresh";
  using Step = MapFiles::Step;
  struct Operation {
    std::string name;
    std::function<bool()> run;   // true when it reported success
    std::vector<Step> untaken;   // steps it never takes, so they cannot fail it
  };
  const std::vector<Operation> operations = {
      {"append",
       [&] {
         pending_ = Composed(renamed);
         return SaveEntryLine(kFolder, pending_, list_, files_) == SaveResult::kAppended;
       },
       {Step::kOpenAppend}},
      {"replace",
       [&] {
         pending_ = Composed(ConcertInput());
         return SaveEntryLine(kFolder, pending_, list_, files_) == SaveResult::kReplaced;
       },
       {Step::kOpenAppend, Step::kRead}},
      {"delete",
       [&] {
         return DeleteEntryLines(kFolder, list_, {1}, current_, seams_) == DeleteResult::kDeleted;
       },
       {}},
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
      const bool succeeded = op.run();
      if (std::count(op.untaken.begin(), op.untaken.end(), step) != 0) {
        EXPECT_TRUE(succeeded);
        continue;
      }
      EXPECT_FALSE(succeeded);
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
    EXPECT_TRUE(op.run()) << op.name;
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
  FileSystem& files_ = Named(GetParam());
  FakeHost host_;
  EditSeams seams_{files_, host_, {}, nullptr};
  ScheduleList list_;
  CurrentEntry current_;
};

TEST_P(EditOnDisk, ListAppendReplaceAndDelete) {
  const std::string schedule = SchedulePath(settingsFolder_);
  PendingSave pending = Composed(ConcertInput());
  ListLoad load = LoadScheduleList(settingsFolder_, ListMode::kNormal, list_, current_, pending,
                                   seams_);
  EXPECT_EQ(load.save, SaveResult::kAppended);
  EXPECT_EQ(Bytes(schedule), kConcert + "\r\n");

  Write(Bytes(schedule) + "a note line of text\n" + kNews + "\n");
  EntryInput in = ConcertInput();
  in.url = "C:\\clips\\b.asx";
  pending = Composed(in);
  load = LoadScheduleList(settingsFolder_, ListMode::kNormal, list_, current_, pending, seams_);
  EXPECT_EQ(load.save, SaveResult::kReplaced);
  const std::string replaced =
      "Concert URL: C:\\clips\\b.asx START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 10:00:00 PM "
      "REPEAT: Once PROG: player WND: 100,100,600,500\r\n" +
      kNews + "\r\n";
  EXPECT_EQ(Bytes(schedule), replaced);

  Write(replaced + "a note line of text\n");
  LoadScheduleList(settingsFolder_, ListMode::kViewOnly, list_, current_, pending, seams_);
  EXPECT_EQ(DeleteEntryLines(settingsFolder_, list_, {0}, current_, seams_),
            DeleteResult::kDeleted);
  EXPECT_EQ(Bytes(schedule), kNews + "\r\na note line of text\r\n");
  EXPECT_FALSE(std::filesystem::exists(TemporaryPath(settingsFolder_)));
  EXPECT_TRUE(host_.messages.empty());
}

TEST_P(EditOnDisk, AnUnwritableTemporaryFileLeavesTheScheduleFileAlone) {
  const std::string original = kConcert + "\r\n" + kNews + "\r\n";
  Write(original);
  LoadScheduleList(settingsFolder_, ListMode::kViewOnly, list_, current_, {}, seams_);
  // A folder in the way, one that cannot simply be removed either.
  std::filesystem::create_directory(TemporaryPath(settingsFolder_));
  std::ofstream(std::filesystem::path(TemporaryPath(settingsFolder_)) / "inside") << "x";
  EXPECT_EQ(SaveEntryLine(settingsFolder_, Composed(ConcertInput()), list_, files_),
            SaveResult::kFailed);
  EXPECT_EQ(DeleteEntryLines(settingsFolder_, list_, {0}, current_, seams_), DeleteResult::kFailed);
  EXPECT_EQ(Bytes(SchedulePath(settingsFolder_)), original);
  EXPECT_EQ(list_.rows.size(), 2u);
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
