#include "check_agreement.h"

#include <gtest/gtest.h>

#include <random>

#include "calendar.h"
#include "schedule_check.h"

namespace ormidal {
namespace {

std::string Line(const std::string& name, const std::string& start, const std::string& end,
                 const std::string& repeat) {
  return name + " URL: http://tv/" + name + " START: " + start + " END: " + end +
         " REPEAT: " + repeat + " PROG: Player WND: 100,100,600,500\r\n";
}

// Monday evening, a whole simulated day, every repeat kind.
TEST(CheckAgainstEngine, AWrittenDayOfEveryRepeatKindAcrossMidnight) {
  AgreementCase day;
  day.now = Calendar("Jan 05,2026 09:00:00 PM");
  day.schedule =
      Line("Open", "Jan 05,2026 08:30:00 PM", "Jan 05,2026 09:30:00 PM", "Once") +
      Line("Late", "Jan 01,2026 11:00:00 PM", "Jan 02,2026 01:00:00 AM", "Daily") +
      Line("Turn", "Dec 30,2025 11:59:58 PM", "Dec 31,2025 12:00:03 AM", "Mon Tue") +
      Line("Edge", "Jan 06,2026 12:00:00 AM", "Jan 06,2026 12:00:01 AM", "Once") +
      Line("First", "Jan 05,2026 09:40:00 PM", "Jan 05,2026 10:00:00 PM", "Mon") +
      Line("Second", "Jan 05,2026 10:00:00 PM", "Jan 05,2026 10:05:00 PM", "Daily Mon") +
      Line("Typo", "Jxn 05,2026 09:10:00 PM", "Jan 05,2026 09:20:00 PM", "Mon") +
      "Swapped START: Jan 05,2026 09:10:00 PM URL: u END: Jan 05,2026 09:20:00 PM REPEAT: Once "
      "PROG: p WND: 1,1,9,9\n" +
      Line("Tuesday", "Jan 06,2026 06:00:00 PM", "Jan 06,2026 06:30:00 PM", "Once");
  std::size_t requests = 0;
  EXPECT_EQ(CompareWithEngine(day, &requests), "");
  EXPECT_EQ(requests, 14u);  // a start and a stop for each of the seven lines that run
}

// The engine sends what the check predicts, which tells both overlaps.
TEST(CheckAgainstEngine, DailyWindowsOfADayAndLongerAndALineOverlappingThem) {
  AgreementCase days;
  days.now = Calendar("Jan 06,2026 09:00:00 PM");
  days.seconds = 26 * 3600 + 600;
  days.schedule = Line("Day", "Jan 05,2026 09:30:00 PM", "Jan 06,2026 09:30:00 PM", "Daily") +
                  Line("Long", "Jan 05,2026 10:00:00 PM", "Jan 06,2026 11:00:00 PM", "Daily") +
                  Line("News", "Jan 07,2026 10:30:00 PM", "Jan 07,2026 10:45:00 PM", "Once");
  std::size_t requests = 0;
  EXPECT_EQ(CompareWithEngine(days, &requests), "");
  EXPECT_EQ(requests, 12u);
  CheckOptions options;
  options.now = days.now;
  const std::string json = CheckReportJson(RunScheduleCheck(days.schedule, options),
                                           [](std::string_view text) { return std::string(text); });
  EXPECT_NE(json.find("{\"line\": 2, \"kind\": \"overlaps-itself\", \"from\": \"Jan 06,2026 "
                      "10:00:00 PM\", \"to\": \"Jan 06,2026 11:00:00 PM\""), std::string::npos);
  EXPECT_NE(json.find("{\"line\": 3, \"kind\": \"overlap\", \"other\": 2"), std::string::npos);
}

// Generated files, a whole simulated day each; the fuzz target tries many more.
TEST(CheckAgainstEngine, GeneratedDays) {
  for (const unsigned seed : {22u, 31u}) {
    std::mt19937 random(seed);
    std::string choices;
    for (int i = 0; i < 200; ++i) choices += static_cast<char>(random());
    const AgreementCase day = GenerateCase(choices, 86400);
    std::size_t requests = 0;
    EXPECT_EQ(CompareWithEngine(day, &requests), "") << day.schedule;
    EXPECT_GT(requests, 0u) << day.schedule;
  }
}

}  // namespace
}  // namespace ormidal
