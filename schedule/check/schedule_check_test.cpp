#include "schedule_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "calendar.h"
#include "fake_host.h"
#include "power_plan.h"

namespace ormidal {
namespace {

std::string Line(const std::string& name, const std::string& start, const std::string& end,
                 const std::string& repeat, const std::string& pos = "100,100,600,500") {
  return name + " URL: http://tv/" + name + " START: " + start + " END: " + end +
         " REPEAT: " + repeat + " PROG: player WND: " + pos + "\r\n";
}

std::string Blank(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) text += "\r\n";
  return text;
}

// Tuesday evening; one line of every kind of problem.
const std::string kProblems =
    Line("Evening news", "Dec 08,2026 08:00:00 PM", "Dec 08,2026 08:30:00 PM", "Daily") +
    Line("Old concert", "Dec 01,2026 08:00:00 PM", "Dec 01,2026 10:00:00 PM", "Once") +
    Line("Typo", "Dec 32,2026 09:00:00 PM", "Dec 08,2026 10:00:00 PM", "Once") +
    Line("Backwards", "Dec 09,2026 10:00:00 PM", "Dec 09,2026 09:00:00 PM", "Once") +
    "Broken START: Dec 09,2026 10:00:00 PM URL: x END: Dec 09,2026 11:00:00 PM REPEAT: Once "
    "PROG: p WND: 1,1,9,9\r\n" +
    Line("Quiz", "Dec 10,2026 09:00:00 PM", "Dec 10,2026 10:00:00 PM", "Once", "0,0,0,0") +
    Line("Evening news", "Dec 08,2026 07:45:00 PM", "Dec 08,2026 08:15:00 PM", "Tue Wed") +
    Blank(193) +  // up to the 200th line
    Line("Night film", "Dec 08,2026 11:00:00 PM", "Dec 09,2026 01:00:00 AM", "Once");

TEST(ScheduleCheck, ShowsStartsUntilARefusedPositionStopsTheSchedulerAndEveryProblem) {
  CheckOptions options;
  options.now = Calendar("Dec 08,2026 07:00:00 PM");
  EXPECT_EQ(CheckReportText(RunScheduleCheck(kProblems, options)),
            "From Dec 08,2026 07:00:00 PM, 7 days:\n"
            "line 1  Evening news\n"
            "  Dec 08,2026 08:00:00 PM to Dec 08,2026 08:30:00 PM, 00:30:00 (1800 s), wake Dec "
            "08,2026 07:59:00 PM\n"
            "  Dec 09,2026 08:00:00 PM to Dec 09,2026 08:30:00 PM, 00:30:00 (1800 s), wake Dec "
            "09,2026 07:59:00 PM\n"
            "  Dec 10,2026 08:00:00 PM to Dec 10,2026 08:30:00 PM, 00:30:00 (1800 s), wake Dec "
            "10,2026 07:59:00 PM\n"
            "line 2  Old concert\n  no start\n"
            "line 3  Typo\n  no start\n"
            "line 4  Backwards\n  no start\n"
            "line 6  Quiz\n  no start\n"
            "line 7  Evening news\n"
            "  Dec 08,2026 07:45:00 PM to Dec 08,2026 08:15:00 PM, 00:30:00 (1800 s), wake Dec "
            "08,2026 07:44:00 PM\n"
            "  Dec 09,2026 07:45:00 PM to Dec 09,2026 08:15:00 PM, 00:30:00 (1800 s), wake Dec "
            "09,2026 07:44:00 PM\n"
            "Problems:\n"
            "line 2: never starts: it runs once and its window ended at Dec 01,2026 10:00:00 PM\n"
            "line 3: never starts: its start \"Dec 32,2026 09:00:00 PM\" is not a date and time\n"
            "line 4: never starts: its end is not after its start\n"
            "line 5: never starts: not an entry (a separator stands out of order)\n"
            "line 6: window position \"0,0,0,0\" is refused: when its window opens at Dec 10,2026 "
            "09:00:00 PM the scheduler says \"Error in window position. Cannot continue\" and "
            "starts nothing more; recordings then running get their stop requests until the "
            "message is answered, and the scheduler stops then\n"
            "line 7: same name as line 1: a save of \"Evening news\" replaces only that line\n"
            "line 7: its window overlaps that of line 1 from Dec 08,2026 08:00:00 PM to Dec "
            "08,2026 08:15:00 PM: two start requests for that time (2 times)\n"
            "line 201: past the 200th line: the scheduler never reads it\n");
  // Audio mode takes any position, so the scheduler goes on.
  options.audioMode = true;
  options.days = 3;
  const CheckReport audio = RunScheduleCheck(kProblems, options);
  EXPECT_FALSE(audio.stopped);
  ASSERT_EQ(audio.lines[4].starts.size(), 1u);
  EXPECT_EQ(audio.lines[4].starts[0].request, GetFileTime("Dec 10,2026 09:00:00 PM"));
  EXPECT_EQ(audio.lines[0].starts.size(), 3u);
}

TEST(ScheduleCheck, RepeatsAcrossMidnightAWindowAlreadyOpenAndAReadErrorThatStopsEverything) {
  CheckOptions options;
  options.now = Calendar("Dec 08,2026 11:30:00 PM");
  options.days = 1;
  const std::string night =
      Line("Night", "Dec 01,2026 11:00:00 PM", "Dec 02,2026 01:00:00 AM", "Daily");
  CheckReport report = RunScheduleCheck(night, options);
  ASSERT_EQ(report.lines.size(), 1u);
  const auto& starts = report.lines[0].starts;
  ASSERT_EQ(starts.size(), 2u);
  // Open since 11 PM: the request goes out at once and carries the whole length.
  EXPECT_EQ(starts[0].request, GetFileTime("Dec 08,2026 11:30:00 PM"));
  EXPECT_EQ(starts[0].start, GetFileTime("Dec 08,2026 11:00:00 PM"));
  EXPECT_EQ(starts[0].end, GetFileTime("Dec 09,2026 01:00:00 AM"));
  EXPECT_EQ(starts[1].request, GetFileTime("Dec 09,2026 11:00:00 PM"));
  EXPECT_EQ(CheckReportText(report).substr(CheckReportText(report).find("  Dec 08")),
            "  Dec 08,2026 11:00:00 PM to Dec 09,2026 01:00:00 AM, 02:00:00 (7200 s), already "
            "open: starts at once\n"
            "  Dec 09,2026 11:00:00 PM to Dec 10,2026 01:00:00 AM, 02:00:00 (7200 s), wake Dec "
            "09,2026 10:59:00 PM\n"
            "No problems.\n");

  report = RunScheduleCheck(night +
                                "Bad URL: u START: Dec 08,2026 11:00:00 PM END: Dec 09,2026 "
                                "01:00:00 AM PROG: p REPEAT: Daily WND: 1,1,9,9\r\n",
                            options);
  EXPECT_TRUE(report.lines[0].starts.empty());
  EXPECT_EQ(report.messages, std::vector<std::string>{"Error reading scheduler file"});
  ASSERT_EQ(report.problems.size(), 1u);
  EXPECT_EQ(report.problems[0].line, 2u);
  EXPECT_EQ(report.problems[0].reason,
            "no \" PROG: \" after \" REPEAT: \": the scheduler stops after its first pass (\"Error "
            "reading scheduler file\") and starts nothing");

  report = RunScheduleCheck("123456789", options);
  ASSERT_EQ(report.problems.size(), 1u);
  EXPECT_EQ(CheckReportText(report).substr(CheckReportText(report).find("Problems")),
            "Problems:\nfile: the file holds fewer than 10 bytes: the scheduler says \"There are "
            "no scheduled recordings\" and stays disabled\n");
}

// Moved onto Saturday, the first line's end would lie before 1601; the second
// line's window, moved onto today, would last 299 years.
TEST(ScheduleCheck, AWindowThatWouldNeverEndIsNeverPredicted) {
  CheckOptions options;
  options.now = Calendar("Jan 10,2026 07:00:00 AM");
  options.days = 1;
  const std::string file =
      "b URL: u START: Dec 31,3000 11:00:00 PM END: Jan 01,2000 11:30:00 PM REPEAT: Sat PROG: p "
      "WND: 100,100,600,500\r\n" +
      Line("Ages", "Jan 01,1601 10:00:00 PM", "Jan 01,1900 11:30:00 PM", "Daily");
  EXPECT_EQ(CheckReportText(RunScheduleCheck(file, options)),
            "From Jan 10,2026 07:00:00 AM, 1 day:\n"
            "line 1  b\n  no start\n"
            "line 2  Ages\n  no start\n"
            "Problems:\n"
            "line 1: never starts: its end is not after its start\n"
            "line 2: never starts: its window of 9435490200 s is longer than a start request can "
            "tell (4294967295 s)\n");
}

// A stand-in for the system's conversion: these characters, and ASCII.
ToUtf8 TableConverter(std::vector<std::pair<std::string, std::string>> table) {
  return [table](std::string_view text) {
    std::string out;
    while (!text.empty()) {
      auto row = std::find_if(table.begin(), table.end(),
                              [&](const auto& r) { return text.starts_with(r.first); });
      out += row == table.end() ? text.substr(0, 1) : row->second;
      text.remove_prefix(row == table.end() ? 1 : row->first.size());
    }
    return out;
  };
}

const ToUtf8 Latin1 = TableConverter({{"\xe9", "\xc3\xa9"}});

TEST(ScheduleCheck, JsonIsUtf8OfTheCodePageAndEscapesOnlyWhatJsonRequires) {
  const std::tuple<std::string, ToUtf8, std::string> cases[] = {
      // Code page 1251.
      {"\xc4\xee\xec",
       TableConverter({{"\xc4", "\xd0\x94"}, {"\xee", "\xd0\xbe"}, {"\xec", "\xd0\xbc"}}),
       "\"\xd0\x94\xd0\xbe\xd0\xbc\""},
      // Code page 932: each character's second byte is a backslash, converted, not escaped.
      {"\x83\x5c\x95\x5c",
       TableConverter({{"\x83\x5c", "\xe3\x82\xbd"}, {"\x95\x5c", "\xe8\xa1\xa8"}}),
       "\"\xe3\x82\xbd\xe8\xa1\xa8\""},
      {"Caf\xc3\xa9", TableConverter({}), "\"Caf\xc3\xa9\""},  // UTF-8, code page 65001
      {"a\"b\\c\td\x7f", TableConverter({}), "\"a\\\"b\\\\c\\u0009d\x7f\""},
  };
  for (const auto& [text, toUtf8, json] : cases) EXPECT_EQ(JsonText(text, toUtf8), json) << text;
}

TEST(ScheduleCheck, JsonCarriesTheSameFactsInUtf8) {
  CheckOptions options;
  options.now = Calendar("Dec 08,2026 07:00:00 PM");
  options.days = 1;
  const std::string name = "Caf\xe9 \"live\"";
  const std::string file =
      Line(name, "Dec 08,2026 08:00:00 PM", "Dec 08,2026 08:30:00 PM", "Once") +
      Line(name, "Dec 08,2026 08:10:00 PM", "Dec 08,2026 08:20:00 PM", "Once");
  EXPECT_EQ(
      CheckReportJson(RunScheduleCheck(file, options), Latin1),
      "{\n"
      "  \"from\": \"Dec 08,2026 07:00:00 PM\",\n"
      "  \"until\": \"Dec 09,2026 07:00:00 PM\",\n"
      "  \"days\": 1,\n"
      "  \"audio\": false,\n"
      "  \"stopped\": null,\n"
      "  \"lines\": [\n"
      "    {\"line\": 1, \"name\": \"Caf\xc3\xa9 \\\"live\\\"\", \"starts\": [\n"
      "      {\"request\": \"Dec 08,2026 08:00:00 PM\", \"start\": \"Dec 08,2026 08:00:00 PM\", "
      "\"end\": \"Dec 08,2026 08:30:00 PM\", \"seconds\": 1800, \"wake\": \"Dec 08,2026 07:59:00 "
      "PM\"}\n"
      "    ]},\n"
      "    {\"line\": 2, \"name\": \"Caf\xc3\xa9 \\\"live\\\"\", \"starts\": [\n"
      "      {\"request\": \"Dec 08,2026 08:10:00 PM\", \"start\": \"Dec 08,2026 08:10:00 PM\", "
      "\"end\": \"Dec 08,2026 08:20:00 PM\", \"seconds\": 600, \"wake\": \"Dec 08,2026 08:09:00 "
      "PM\"}\n"
      "    ]}\n"
      "  ],\n"
      "  \"problems\": [\n"
      "    {\"line\": 2, \"kind\": \"same-name\", \"other\": 1, \"reason\": \"same name as line 1: "
      "a save of \\\"Caf\xc3\xa9 \\\"live\\\"\\\" replaces only that line\"},\n"
      "    {\"line\": 2, \"kind\": \"overlap\", \"other\": 1, \"from\": \"Dec 08,2026 08:10:00 "
      "PM\", "
      "\"to\": \"Dec 08,2026 08:20:00 PM\", \"reason\": \"its window overlaps that of line 1 from "
      "Dec 08,2026 08:10:00 PM to Dec 08,2026 08:20:00 PM: two start requests for that time\"}\n"
      "  ]\n"
      "}\n");
}

// Zones as Windows states them; a clock change inside a window is told.
TEST(ScheduleCheck, DaylightSavingChangesInsideAWindowAreTold) {
  using R = CalendarRecord;
  const ZoneRules europe{R{0, 3, 0, 5, 2}, R{0, 10, 0, 5, 3}, 0, -60};
  auto changes = [](const ZoneRules& zone) {
    std::string text;
    for (const ClockChange& c : ClockChangesOfYear(2026, zone)) {
      text += FileTimeToText(c.at) + " " + std::to_string(c.seconds) + "; ";
    }
    return text;
  };
  EXPECT_EQ(changes(europe), "Mar 29,2026 02:00:00 AM 3600; Oct 25,2026 03:00:00 AM -3600; ");
  EXPECT_EQ(changes({R{2026, 5, 0, 17}, R{2027, 9, 0, 1}, 0, -30}), "May 17,2026 12:00:00 AM 1800; ");
  EXPECT_EQ(changes({}), "");
  CheckOptions options;
  options.now = Calendar("Oct 24,2026 09:00:00 PM");
  options.clockChanges = ClockChangesOfYear(2026, europe);
  const CheckReport report = RunScheduleCheck(
      Line("Night", "Oct 25,2026 01:30:00 AM", "Oct 25,2026 03:30:00 AM", "Once") +
          Line("Morning", "Oct 25,2026 03:30:00 AM", "Oct 25,2026 04:00:00 AM", "Once"),
      options);
  EXPECT_EQ(CheckReportText(report).substr(CheckReportText(report).find("Problems")),
            "Problems:\nline 1: the clock goes back by 01:00:00 at Oct 25,2026 03:00:00 AM for "
            "daylight saving time, inside its window from Oct 25,2026 01:30:00 AM to Oct 25,2026 "
            "03:30:00 AM: that recording runs longer\n");
}

// The scheduler's notices, as problems, once a start lies ahead to wake for;
// an unreadable setting claims nothing.
TEST(CheckProgram, WakeTimersOffInThePowerPlanAreAProblemOnlyWithAStartToWakeFor) {
  using enum WakeTimerSetting;
  MapFiles files;
  files.files["ahead.log"] =
      Line("News", "Dec 08,2026 08:00:00 PM", "Dec 08,2026 08:30:00 PM", "Once");
  files.files["open.log"] =
      Line("News", "Dec 08,2026 06:30:00 PM", "Dec 08,2026 08:30:00 PM", "Once");
  files.files["later.log"] =
      Line("News", "Dec 20,2026 08:00:00 PM", "Dec 20,2026 08:30:00 PM", "Once");
  const std::string both =
      "Wake timers are turned off in the active power plan, so the computer will not wake from "
      "sleep for scheduled recordings. To turn them on: Control Panel > Power Options > Change "
      "plan settings > Change advanced power settings > Sleep > Allow wake timers (Plugged in "
      "and On battery): Enable.";
  struct Case {
    WakeTimerPlan plan;
    std::string problem;  // none: nothing claimed
    std::string jsonOff;  // or the kind's name where there is no "off"
    bool modernStandby = false, signIn = false;
    std::string where = "power plan: ";
  };
  const std::vector<Case> cases = {
      {{kDisabled, kEnabled}, kWakeTimersOffOnAcNotice, "[\"ac\"]"},
      {{kEnabled, kDisabled}, kWakeTimersOffOnBatteryNotice, "[\"battery\"]"},
      {{kDisabled, kDisabled}, both, "[\"ac\", \"battery\"]"},
      {{kDisabled, kUnreadable}, kWakeTimersOffOnAcNotice, "[\"ac\"]"},
      {{kUnreadable, kUnreadable}, "", ""},
      {{kEnabled, kEnabled}, "", ""},
      {{kEnabled, kEnabled}, kModernStandbyNotice, "modern-standby", true, false, "computer: "},
      {{kEnabled, kEnabled}, kSignInOnWakeNotice, "sign-in-on-wake", false, true},
  };
  for (const Case& c : cases) {
    auto run = [&](const std::string& file, bool json, std::string& out) {
      std::string err;
      out.clear();
      std::vector<std::string> args = {"--days", "1", file};
      if (json) args.insert(args.begin(), "--json");
      return RunCheckProgram(
          args, files, [] { return Calendar("Dec 08,2026 07:00:00 PM"); },
          [&] { return PowerFacts{true, c.modernStandby, {}, c.plan, {}, {}, {c.signIn, {}}}; },
          Latin1, out, err);
    };
    const std::string label = c.problem.empty() ? "nothing claimed" : c.jsonOff;
    std::string out;
    EXPECT_EQ(run("ahead.log", false, out), c.problem.empty() ? 0 : 1) << label;
    EXPECT_EQ(out.substr(out.find("wake ")),
              "wake Dec 08,2026 07:59:00 PM\n" +
                  (c.problem.empty() ? "No problems.\n" : "Problems:\n" + c.where + c.problem +
                                                             "\n"))
        << label;
    run("ahead.log", true, out);
    const std::string kind = c.jsonOff[0] == '[' ? "\"wake-timers-off\", \"off\": " + c.jsonOff
                                                 : "\"" + c.jsonOff + "\"";
    EXPECT_EQ(out.find("\"kind\": " + kind + ", \"reason\""),
              c.problem.empty() ? std::string::npos : out.find("\"kind\"")) << label;
    // Already open at the check's start, or not within its days: nothing to wake for.
    for (const char* file : {"open.log", "later.log"}) {
      EXPECT_EQ(run(file, false, out), 0) << label << " " << file;
      EXPECT_EQ(out.find("wake"), std::string::npos) << label << " " << file;
    }
  }
}

// Only what the platform can tell counts, and only while a start lies ahead.
TEST(CheckProgram, NoSchedulerForTheFolderIsAProblemWhileAStartLiesAhead) {
  MapFiles files;
  files.files["ahead"] = Line("A", "Dec 08,2026 08:00:00 PM", "Dec 08,2026 08:30:00 PM", "Once");
  files.files["past"] = Line("P", "Dec 01,2026 08:00:00 PM", "Dec 01,2026 08:30:00 PM", "Once");
  const std::string problem = kNoSchedulerProblem;
  using Case = std::tuple<std::vector<std::string>, std::optional<bool>, int, std::string>;
  for (const auto& [args, running, code, told] : std::vector<Case>{
           {{"ahead"}, false, 1, "\n" + problem + "\n"},
           {{"--json", "ahead"}, false, 1, "\"no-scheduler\", \"reason\": \"" + problem + "\""},
           {{"ahead"}, true, 0, ""}, {{"ahead"}, std::nullopt, 0, ""},
           {{"past"}, false, 1, ""}}) {  // never starts: a problem of its own
    std::string out, err;
    EXPECT_EQ(RunCheckProgram(
                  args, files, [] { return Calendar("Dec 08,2026 07:00:00 PM"); },
                  [] { return PowerFacts{}; }, Latin1, out, err, nullptr, {},
                  [&](const std::string& path) { return path == args.back() ? running : true; }),
              code);
    EXPECT_EQ(out.find(problem) != std::string::npos, !told.empty()) << out;
    EXPECT_NE(out.find(told), std::string::npos) << out;
  }
}

TEST(CheckProgram, ExitCodesUsageAndTheLocalTime) {
  MapFiles files;
  files.files["good.log"] =
      Line("News", "Dec 08,2026 08:00:00 PM", "Dec 08,2026 08:30:00 PM", "Daily");
  files.files["bad.log"] = kProblems;
  auto run = [&](std::vector<std::string> args, std::string& out, std::string& err) {
    out.clear();
    err.clear();
    return RunCheckProgram(
        args, files, [] { return Calendar("Dec 08,2026 07:00:00 PM"); },
        [] { return PowerFacts{}; }, Latin1, out, err);
  };
  const std::string usage =
      "usage: ormidal-check [--now \"Dec 08,2026 07:00:00 PM\"] [--days N] [--audio] [--json] "
      "[--history [N] | --since TIME] SCHEDULE_FILE\n";
  std::string out, err;
  EXPECT_EQ(run({"good.log"}, out, err), 0);
  EXPECT_EQ(out.substr(0, out.find('\n')), "From Dec 08,2026 07:00:00 PM, 7 days:");
  EXPECT_EQ(err, "");
  EXPECT_EQ(run({"--now", "Dec 09,2026 09:00:00 PM", "--days", "1", "--json", "bad.log"}, out, err),
            1);
  EXPECT_EQ(out.substr(0, 40), "{\n  \"from\": \"Dec 09,2026 09:00:00 PM\",\n ");
  EXPECT_EQ(run({"--help"}, out, err), 0);
  EXPECT_EQ(out, usage);

  const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
      {{}, "name one schedule file"},
      {{"a.log", "b.log"}, "name one schedule file"},
      {{"--days", "0", "good.log"}, "--days needs a whole number from 1 to 366"},
      {{"good.log", "--days"}, "--days needs a whole number from 1 to 366"},
      {{"--now", "Dec 8,2026 07:00:00 PM", "good.log"},
       "--now needs a date and time such as \"Dec 08,2026 07:00:00 PM\""},
      {{"--quiet", "good.log"}, "unknown option \"--quiet\""},
      {{"missing.log"}, "cannot read \"missing.log\""},
  };
  for (const auto& [args, message] : wrong) {
    EXPECT_EQ(run(args, out, err), 2) << message;
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "ormidal-check: " + message + "\n" + usage);
  }
}

}  // namespace
}  // namespace ormidal
