#include "timer_dlg_logic.h"

#include <gtest/gtest.h>

#include <tuple>

#include "fake_host.h"

namespace ormidal {
namespace {

DialogValues Valid() {
  DialogValues v;
  v.fileName = "Concert";
  v.url = "C:\\clips\\a.asx";
  v.programName = "player";
  v.windowPosition = "100,100,600,500";
  v.duration = "01:30:00";
  v.date = CalendarRecord{2024, 1, 5, 5, 0, 0, 0, 0};
  v.timeOfDay = CalendarRecord{2000, 1, 0, 1, 20, 30, 0, 500};
  v.repeat.once = true;
  return v;
}

// A save in a settings folder held in memory; the settings file is there
// and empty, so the DVD rule is skipped and nothing is said about it.
struct Save {
  Save() { files.files[SettingsPath("")] = ""; }
  Options options;
  CurrentEntry current;
  MapFiles files;
  FakeHost host;
  std::optional<ScheduleList> Run(DialogValues& v) {
    return SaveEntry(v, options, current, files, host);
  }
  std::string File() { return files.files[SchedulePath("")]; }
};

TEST(CheckDuration, ShapeRangesAndZero) {
  DurationParts p;
  EXPECT_EQ(CheckDuration("1:00:00", p), "Invalid timer duration (use hh:mm:ss)");
  EXPECT_EQ(CheckDuration("", p), "Invalid timer duration (use hh:mm:ss)");
  EXPECT_EQ(CheckDuration("12345678", p), "Invalid timer duration (use hh:mm:ss)");
  EXPECT_EQ(CheckDuration("1234:678", p), "Invalid timer duration (use hh:mm:ss)");
  EXPECT_EQ(CheckDuration("00:60:00", p), "Invalid number of minutes (mm <= 59)");
  EXPECT_EQ(CheckDuration("00:00:60", p), "Invalid number of seconds (ss <= 59)");
  EXPECT_EQ(CheckDuration("00:00:00", p), "Timer duration is zero!!");
  EXPECT_EQ(CheckDuration("99:59:59", p), "");
  EXPECT_EQ(p.hours * 3600 + p.minutes * 60 + p.seconds, 99 * 3600 + 59 * 60 + 59);
  EXPECT_EQ(CheckDuration("00:-1:00", p), "");
  EXPECT_EQ(p.minutes, -1);
}

TEST(SaveEntry, StoresTheComposedLineAndKeepsTheTimes) {
  Save s;
  DialogValues v = Valid();
  const std::optional<ScheduleList> rows = s.Run(v);
  ASSERT_TRUE(rows.has_value());
  EXPECT_EQ(s.File(),
            "Concert URL: C:\\clips\\a.asx START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 "
            "10:00:00 PM REPEAT: Once PROG: player WND: 100,100,600,500\r\n");
  ASSERT_EQ(rows->rows.size(), 1u);
  EXPECT_EQ(rows->rows[0].fields.timeName, "Concert");
  EXPECT_EQ(FileTimeToText(s.current.startTime), "Jan 05,2024 08:30:00 PM");
  EXPECT_EQ(FileTimeToText(s.current.endTime), "Jan 05,2024 10:00:00 PM");
  EXPECT_TRUE(s.host.messages.empty());
}

TEST(SaveEntry, RefusalsComeInOrderAndEveryOneIsTold) {
  Save s;
  DialogValues v = Valid();
  v.fileName.clear();
  v.duration = "bad";
  v.repeat = {};
  v.date.month = 13;
  EXPECT_FALSE(s.Run(v));
  EXPECT_EQ(s.host.messages.back(), "File name not specified");

  v.fileName = "x START: y";
  EXPECT_FALSE(s.Run(v));
  EXPECT_EQ(s.host.messages.back(), "Invalid timer duration (use hh:mm:ss)");

  v.duration = "00:10:00";
  EXPECT_FALSE(s.Run(v));
  EXPECT_EQ(s.host.messages.back(), "Invalid start date (select a day in the calendar)");

  v.date.month = 1;
  EXPECT_FALSE(s.Run(v));
  EXPECT_EQ(s.host.messages.back(), "Please specify the Repeat mode");

  v.repeat.daily = true;
  v.duration = "00:-1:00";
  EXPECT_FALSE(s.Run(v));
  EXPECT_EQ(s.host.messages.back(), "Start time is later then end time");
  EXPECT_NE(s.current.startTime, 0u);  // written before the refusal

  // The settings rule comes before the store's own refusals.
  s.files.files[SettingsPath("")] = "Protocol: 2\r\nMax File Time: 3600\r\n";
  v.duration = "00:10:00";
  EXPECT_FALSE(s.Run(v));
  EXPECT_EQ(s.host.messages.back().rfind("When DVD video format is used", 0), 0u);
  EXPECT_EQ(v.duration, "01:00:00");
  EXPECT_FALSE(s.Run(v));
  EXPECT_EQ(s.host.messages.back(),
            "The File Name contains \"START:\", which separates the fields of the scheduler "
            "file. Cannot save data.");
  EXPECT_EQ(s.host.messages.size(), 7u);
  EXPECT_EQ(s.files.files.count(SchedulePath("")), 0u);
}

// Saturday and Sunday are a day apart, Monday and Wednesday two.
TEST(SaveEntry, AnEntryThatWouldStartAgainBeforeItEndsIsRefused) {
  const RepeatChoice weekend{.days = {true, false, false, false, false, false, true}};
  const std::tuple<const char*, RepeatChoice, bool> cases[] = {
      {"24:00:01", {.daily = true}, false}, {"24:00:01", weekend, false},
      {"24:00:00", {.daily = true}, true},  {"48:00:00", {.days = {false, true, false, true}}, true},
      {"99:59:59", {.once = true}, true}};
  for (const auto& [duration, repeat, saved] : cases) {
    Save s;
    DialogValues v = Valid();
    v.duration = duration;
    v.repeat = repeat;
    EXPECT_EQ(s.Run(v).has_value(), saved) << duration;
    EXPECT_EQ(s.host.messages, std::vector<std::string>(!saved, kRepeatTooLongMessage));
  }
}

TEST(SaveEntry, AFileThatCannotBeWrittenIsTold) {
  Save s;
  s.files.failing = MapFiles::Step::kReplace;
  DialogValues v = Valid();
  EXPECT_FALSE(s.Run(v));
  EXPECT_EQ(s.host.messages, std::vector<std::string>{"Cannot write the scheduler file "
                                                      "\\schedule.log (Step failed). Cannot save data."});
  EXPECT_EQ(s.File(), "");
}

TEST(SaveEntry, TheWindowPositionQuestion) {
  Save s;
  DialogValues v = Valid();
  v.windowPosition = kClickRequired;
  s.host.answers = {kAnswerNo};
  EXPECT_FALSE(s.Run(v));
  EXPECT_EQ(s.host.messages, std::vector<std::string>{
                                 "Window position not specified. \t(100,100,600,500) corrdinates "
                                 "will be used).\n\nContinue?"});
  EXPECT_EQ(s.host.types, std::vector<int>{kMessageYesNo});
  s.host.answers = {kAnswerYes};
  EXPECT_TRUE(s.Run(v));
  EXPECT_EQ(v.windowPosition, "100,100,600,500");
  EXPECT_TRUE(s.File().ends_with(" WND: 100,100,600,500\r\n"));

  Save audio;
  audio.options.audioMode = true;
  audio.files.files.clear();  // no settings read in audio mode
  DialogValues a = Valid();
  a.windowPosition.clear();
  EXPECT_TRUE(audio.Run(a));
  EXPECT_TRUE(audio.host.messages.empty());  // no question, and no settings read
  EXPECT_TRUE(audio.File().ends_with(" WND: \r\n"));
}

TEST(SaveEntry, EmptyUrlStoresNoProgramName) {
  Save s;
  DialogValues v = Valid();
  v.url.clear();
  ASSERT_TRUE(s.Run(v));
  EXPECT_EQ(s.File().substr(0, 21), "Concert URL:  START: ");
  EXPECT_TRUE(s.File().ends_with(" PROG:  WND: 100,100,600,500\r\n"));
}

TEST(DialogFill, PositionAndRepeatBoxes) {
  EXPECT_EQ(PositionBoxText("http://radio|1,2", "5,5,9,9"), "Click required...");
  EXPECT_EQ(PositionBoxText("http://radio|1", "5,5,9,9"), "5,5,9,9");
  EXPECT_TRUE(RepeatBoxesFromText("Once").once);
  EXPECT_TRUE(RepeatBoxesFromText("Daily Mon").daily);
  const RepeatChoice days = RepeatBoxesFromText(" Sun Sat");
  EXPECT_FALSE(days.once || days.daily);
  EXPECT_TRUE(days.days[0] && days.days[6] && !days.days[1]);
  RepeatChoice boxes = days;
  boxes.once = true;
  ApplyRepeatClick(boxes, RepeatBox::kDay);
  EXPECT_FALSE(boxes.once);
  EXPECT_TRUE(boxes.days[0]);
  ApplyRepeatClick(boxes, RepeatBox::kDaily);
  EXPECT_FALSE(boxes.days[0] || boxes.days[6]);
}

}  // namespace
}  // namespace ormidal
