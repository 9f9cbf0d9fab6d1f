#include "history_check.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_host.h"

namespace ormidal {
namespace {

constexpr char kSchedule[] = "C:\\Settings\\schedule.log";
constexpr char kHistory[] = "C:\\Settings\\schedule-history.log";
constexpr char kOlder[] = "C:\\Settings\\schedule-history.1.log";

std::string Line(const std::string& name, const std::string& start, const std::string& end,
                 const std::string& repeat) {
  return name + " URL: http://tv/x START: " + start + " END: " + end + " REPEAT: " + repeat +
         " PROG: player WND: 100,100,600,500\r\n";
}

HistoryEvent Entry(HistoryKind kind, const char* when, const std::string& name,
                   const char* window) {
  HistoryEvent e = NewHistoryEvent(kind, GetFileTime(when));
  e.name = name;
  e.window = GetFileTime(window);
  return e;
}

std::string Sent(const std::string& name, const char* window, const char* when, uint32_t ms,
                 uint32_t seconds) {
  HistoryEvent e = Entry(HistoryKind::kStartSent, when, name, window);
  e.ms = ms;
  e.seconds = seconds;
  return HistoryLine(e);
}

class HistoryCheck : public ::testing::Test {
 protected:
  HistoryCheck() {
    files.files[kSchedule] =
        Line("Morning", "Dec 08,2026 08:00:00 AM", "Dec 08,2026 08:30:00 AM", "Once") +
        Line("Quiz", "Dec 08,2026 09:00:00 AM", "Dec 08,2026 10:00:00 AM", "Once") +
        Line("Film", "Dec 01,2026 08:00:00 PM", "Dec 01,2026 09:00:00 PM", "Daily") +
        Line("News", "Dec 01,2026 09:00:00 PM", "Dec 01,2026 09:30:00 PM", "Daily");
    // The older file holds the day before and the morning.
    files.files[kOlder] =
        Sent("News", "Dec 07,2026 09:00:00 PM", "Dec 07,2026 09:00:00 PM", 4, 1800) +
        Sent("Morning", "Dec 08,2026 08:00:00 AM", "Dec 08,2026 08:00:00 AM", 8, 1800);
    HistoryEvent enabled = NewHistoryEvent(HistoryKind::kEnabled, GetFileTime("Dec 08,2026 09:00:07 AM"));
    enabled.count = 4;
    HistoryEvent canceled = Entry(HistoryKind::kNotSent, "Dec 08,2026 08:00:00 PM", "Film",
                                  "Dec 08,2026 08:00:00 PM");
    canceled.cause = HistoryCause::kStartRequest;
    canceled.text = "No recording program is running. Recording canceled.";
    HistoryEvent disabled = NewHistoryEvent(HistoryKind::kDisabled, GetFileTime("Dec 08,2026 10:30:00 PM"));
    disabled.cause = HistoryCause::kByUser;
    // Enabled late, inside the quiz's window; an entry since deleted; one damaged line.
    files.files[kHistory] =
        HistoryLine(enabled) +
        Sent("Quiz", "Dec 08,2026 09:00:00 AM", "Dec 08,2026 09:00:07 AM", 3, 3600) +
        Sent("Extra", "Dec 08,2026 12:00:00 PM", "Dec 08,2026 12:00:00 PM", 5, 600) +
        "Dec 08,2026 01:00:00 PM\tstart-sent\tname=Cut\r\n" + HistoryLine(canceled) +
        HistoryLine(disabled);
  }

  int Run(std::vector<std::string> args) {
    out.clear();
    err.clear();
    args.push_back(kSchedule);
    return RunCheckProgram(
        args, files, [] {
          CalendarRecord r;
          FileTimeToRecord(GetFileTime("Dec 08,2026 11:00:00 PM"), r);
          return r;
        },
        [] { return PowerFacts{}; }, [](std::string_view text) { return std::string(text); }, out,
        err);
  }

  MapFiles files;
  std::string out, err;
};

TEST_F(HistoryCheck, SinceHoldsTheDayAgainstTheScheduleAndExitsOneForAMissedStart) {
  EXPECT_EQ(Run({"--since", "Dec 08,2026 07:00:00 AM"}), 1);
  EXPECT_EQ(out,
            "From Dec 08,2026 07:00:00 AM to Dec 08,2026 11:00:00 PM, the schedule against its "
            "history:\n"
            "Dec 08,2026 08:00:00 AM  line 1  Morning: sent Dec 08,2026 08:00:00 AM +8 ms\n"
            "Dec 08,2026 09:00:00 AM  line 2  Quiz: sent Dec 08,2026 09:00:07 AM +3 ms, 7.003 s "
            "late\n"
            "Dec 08,2026 08:00:00 PM  line 3  Film: MISSED: not sent: \"No recording program is "
            "running. Recording canceled.\"\n"
            "Dec 08,2026 09:00:00 PM  line 4  News: MISSED: no start in the history\n"
            "Sent but not predicted:\n"
            "Dec 08,2026 12:00:00 PM +5 ms  Extra (window from Dec 08,2026 12:00:00 PM, 600 s)\n"
            "4 predicted, 2 sent (1 late), 2 missed; 1 sent but not predicted.\n"
            "1 damaged line of the history skipped.\n");
  EXPECT_EQ(err, "");

  EXPECT_EQ(Run({"--json", "--since", "Dec 08,2026 07:00:00 AM"}), 1);
  EXPECT_NE(out.find("\n    {\"line\": 2, \"name\": \"Quiz\", \"request\": \"Dec 08,2026 09:00:00 "
                     "AM\", \"window\": \"Dec 08,2026 09:00:00 AM\", \"seconds\": 3600, "
                     "\"outcome\": \"late\", \"sent\": \"Dec 08,2026 09:00:07 AM\", \"ms\": 3, "
                     "\"late_ms\": 7003},\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\"reason\": \"not sent: \\\"No recording program is running. Recording "
                     "canceled.\\\"\"}"),
            std::string::npos);
  EXPECT_NE(out.find("\"unpredicted\": [\n    {\"time\": \"Dec 08,2026 12:00:00 PM\", \"event\": "
                     "\"start-sent\", \"name\": \"Extra\""),
            std::string::npos);
  EXPECT_NE(out.find("\"missed\": 2,\n  \"damaged\": 1\n}\n"), std::string::npos);

  // Only the evening: the quiz and the extra lie before it; the film's window is the first.
  EXPECT_EQ(Run({"--since", "Dec 08,2026 08:00:00 PM", "--now", "Dec 08,2026 08:30:00 PM"}), 1);
  EXPECT_NE(out.find("1 predicted, 0 sent (0 late), 1 missed; 0 sent but not predicted.\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(Run({"--since", "Dec 08,2026 07:00:00 AM", "--now", "Dec 08,2026 07:00:00 PM"}), 0);
}

TEST_F(HistoryCheck, HistoryShowsTheLastEventsAndRefusesWhatCannotBeRead) {
  EXPECT_EQ(Run({"--history", "3"}), 0);
  EXPECT_EQ(out,
            "Dec 08,2026 12:00:00 PM  start-sent  name=Extra  window=Dec 08,2026 12:00:00 PM  "
            "seconds=600  ms=5\n"
            "Dec 08,2026 08:00:00 PM  not-sent  request=start  name=Film  window=Dec 08,2026 "
            "08:00:00 PM  message=No recording program is running. Recording canceled.\n"
            "Dec 08,2026 10:30:00 PM  disabled  by=user\n"
            "1 damaged line of the history skipped.\n");
  EXPECT_EQ(Run({"--json", "--history", "1"}), 0);
  EXPECT_EQ(out,
            "{\n  \"events\": [\n    {\"time\": \"Dec 08,2026 10:30:00 PM\", \"event\": "
            "\"disabled\", \"by\": \"user\"}\n  ],\n  \"damaged\": 1\n}\n");
  EXPECT_EQ(Run({"--history"}), 0);  // both files, up to 20
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 8);

  const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
      {{"--history", "0"}, "--history takes a count from 1 to 99999"},
      {{"--history", "--since", "Dec 08,2026 07:00:00 AM"},
       "--history and --since do not go together"},
      {{"--since", "Dec 08,2026 07:00:00 AM", "--days", "2"},
       "--since runs up to now and takes no --days"},
      {{"--since", "Dec 09,2026 07:00:00 AM"},
       "--since needs a time before now, at most 366 days before it"},
      {{"--since", "yesterday"},
       "--since needs a date and time such as \"Dec 08,2026 07:00:00 PM\""},
  };
  for (const auto& [args, message] : wrong) {
    EXPECT_EQ(Run(args), 2) << message;
    EXPECT_EQ(err.substr(0, err.find('\n')), "ormidal-check: " + message);
  }
  files.files.erase(kHistory);
  files.files.erase(kOlder);
  EXPECT_EQ(Run({"--history"}), 2);
  EXPECT_EQ(err.substr(0, err.find('\n')),
            "ormidal-check: cannot read the history \"C:\\Settings\\schedule-history.log\"");
}

}  // namespace
}  // namespace ormidal
