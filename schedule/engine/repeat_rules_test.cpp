#include "repeat_rules.h"

#include <gtest/gtest.h>

#include "calendar.h"

namespace ormidal {
namespace {

CalendarRecord At(int month, int day, int hour, int minute = 0, int year = 2026) {
  return Calendar(year, month, day, hour, minute);
}

// The window 10 PM to 11 PM on Monday, January 5, 2026, under a repeat text,
// as the pass sees it at now; true when now lies in the window.
struct Evaluated {
  LineValues v;
  bool due;
};
Evaluated Evaluate(const std::string& repeat, const CalendarRecord& now,
                   const CalendarRecord& start = At(1, 5, 22), const CalendarRecord& end = At(1, 5, 23)) {
  Evaluated e;
  e.v.timeDay = repeat;
  e.v.startTime = PointOf(start);
  e.v.endTime = PointOf(end);
  ApplyRepeat(e.v, now);
  const FileTime n = PointOf(now);
  e.due = n >= e.v.startTime && n < e.v.endTime;
  return e;
}

TEST(ApplyRepeat, OnceIsDueOnlyInItsWrittenWindow) {
  for (const std::string text : {"Once", "", "once", "Weekly", "every day"}) {
    const auto e = Evaluate(text, At(1, 6, 22, 30));
    EXPECT_EQ(e.v.once, 1) << text;
    EXPECT_EQ(e.v.daily + e.v.dayOfWeek, 0) << text;
    EXPECT_FALSE(e.due);
    EXPECT_EQ(e.v.startTime, PointOf(At(1, 5, 22)));
  }
  EXPECT_TRUE(Evaluate("Once", At(1, 5, 22, 30)).due);
}

TEST(ApplyRepeat, DailyMovesOnlyAWindowThatHasPassed) {
  const auto before = Evaluate("Daily", At(1, 3, 12));
  EXPECT_EQ(before.v.daily, 1);
  EXPECT_EQ(before.v.startTime, PointOf(At(1, 5, 22)));  // waits for January 5
  const auto after = Evaluate("Daily", At(1, 9, 12));
  EXPECT_EQ(after.v.startTime, PointOf(At(1, 9, 22)));
  EXPECT_EQ(after.v.endTime, PointOf(At(1, 9, 23)));
  EXPECT_TRUE(Evaluate("Daily", At(1, 9, 22, 30)).due);
  EXPECT_TRUE(Evaluate("Daily", At(1, 10, 22, 30)).due);
  const auto late = Evaluate("Daily", At(1, 9, 23, 30));
  EXPECT_EQ(late.v.startTime, PointOf(At(1, 9, 22)));  // today's window has ended
  EXPECT_FALSE(late.due);
  const auto atEnd = Evaluate("Daily", At(1, 5, 23));  // not later than the end: not moved
  EXPECT_EQ(atEnd.v.startTime, PointOf(At(1, 5, 22)));
  EXPECT_FALSE(atEnd.due);  // half-open window
}

TEST(ApplyRepeat, NamedDaysMoveOnTheirDaysWhereverTheWrittenWindowLies) {
  const std::string tueFri = "Tue Fri";
  const auto tuesday = Evaluate(tueFri, At(1, 6, 22, 15));
  EXPECT_EQ(tuesday.v.dayOfWeek, 1);
  EXPECT_TRUE(tuesday.due);
  // Monday is not named: the written window applies, and it is that evening.
  const auto monday = Evaluate(tueFri, At(1, 5, 22, 15));
  EXPECT_EQ(monday.v.startTime, PointOf(At(1, 5, 22)));
  EXPECT_TRUE(monday.due);
  EXPECT_TRUE(Evaluate(tueFri, At(1, 13, 22, 15)).due);
  EXPECT_TRUE(Evaluate(tueFri, At(12, 30, 22, 15, 2025)).due);
  EXPECT_TRUE(Evaluate(tueFri, At(1, 16, 22, 59)).due);
  EXPECT_FALSE(Evaluate(tueFri, At(1, 14, 22, 15)).due);  // Wednesday
  // The day set is the line's own.
  EXPECT_FALSE(Evaluate("Mon", At(1, 11, 22, 15)).due);  // Sunday
  EXPECT_TRUE(Evaluate("Mon", At(1, 12, 22, 15)).due);
  EXPECT_FALSE(Evaluate("Fri", At(1, 12, 22, 15)).due);
  EXPECT_EQ(DaySet(" Sun Sat"), 0b1000001u);
  EXPECT_EQ(DaySet("Sunday"), 1u);
}

TEST(ApplyRepeat, DailyWinsOverNamedDays) {
  const auto e = Evaluate("Daily Mon", At(1, 7, 22, 15));
  EXPECT_EQ(e.v.daily, 1);
  EXPECT_EQ(e.v.dayOfWeek, 0);
  EXPECT_TRUE(e.due);
}

TEST(ApplyRepeat, AWindowAcrossMidnightKeepsItsLengthWhenMoved) {
  const auto start = At(1, 5, 23);
  const auto end = At(1, 6, 1);
  EXPECT_TRUE(Evaluate("Daily", At(1, 5, 23, 30), start, end).due);  // written window
  for (int day = 7; day <= 12; ++day) {
    const auto e = Evaluate("Daily", At(1, day, 23, 30), start, end);
    EXPECT_TRUE(e.due) << day;
    EXPECT_EQ(e.v.endTime - e.v.startTime, 2 * 3600 * kTicksPerSecond);
  }
  const auto named = Evaluate("Wed", At(1, 7, 23, 59), start, end);
  EXPECT_TRUE(named.due);
  EXPECT_EQ(named.v.endTime, PointOf(At(1, 8, 1)));
}

}  // namespace
}  // namespace ormidal
