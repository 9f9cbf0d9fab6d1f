#include "time_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "calendar.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace ormidal {
namespace {

FileTime Point(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  FileTime p = 0;
  EXPECT_TRUE(RecordToFileTime(Calendar(y, mo, d, h, mi, s, ms), p));
  return p;
}

TEST(CalendarConversion, KnownPointsAndWeekdays) {
  EXPECT_EQ(Point(1601, 1, 1), 0u);
  EXPECT_EQ(Point(1601, 1, 2), 864'000'000'000u);
  EXPECT_EQ(Point(1970, 1, 1), 116'444'736'000'000'000u);  // the Unix epoch as a file time
  CalendarRecord r;
  ASSERT_TRUE(FileTimeToRecord(Point(2026, 1, 5, 22, 0, 0), r));
  EXPECT_EQ(r.dayOfWeek, 1);  // Monday
  ASSERT_TRUE(FileTimeToRecord(Point(2024, 2, 29, 23, 59, 59, 999), r));
  EXPECT_EQ(r.year, 2024);
  EXPECT_EQ(r.month, 2);
  EXPECT_EQ(r.day, 29);
  EXPECT_EQ(r.dayOfWeek, 4);  // Thursday
  EXPECT_EQ(r.hour, 23);
  EXPECT_EQ(r.minute, 59);
  EXPECT_EQ(r.second, 59);
  EXPECT_EQ(r.milliseconds, 999);
}

TEST(CalendarConversion, RejectsRecordsThatNameNoTime) {
  FileTime p = 0;
  EXPECT_FALSE(RecordToFileTime(Calendar(2023, 2, 29), p));
  EXPECT_FALSE(RecordToFileTime(Calendar(1900, 2, 29), p));
  EXPECT_TRUE(RecordToFileTime(Calendar(2000, 2, 29), p));
  EXPECT_FALSE(RecordToFileTime(Calendar(2024, 4, 31), p));
  EXPECT_FALSE(RecordToFileTime(Calendar(1600, 12, 31), p));
  EXPECT_FALSE(RecordToFileTime(Calendar(2024, 13, 1), p));
  EXPECT_FALSE(RecordToFileTime(Calendar(2024, 1, 0), p));
  EXPECT_FALSE(RecordToFileTime(Calendar(2024, 1, 1, 24), p));
  EXPECT_FALSE(RecordToFileTime(Calendar(2024, 1, 1, 0, 0, 0, 1000), p));
  CalendarRecord r;
  EXPECT_FALSE(FileTimeToRecord(0x8000000000000000ull, r));
}

TEST(CalendarConversion, RoundTripsEveryDayAcrossCenturies) {
  for (FileTime p = 0; p < Point(3001, 1, 1); p += 86400ull * kTicksPerSecond + 37 * kTicksPerSecond) {
    CalendarRecord r;
    ASSERT_TRUE(FileTimeToRecord(p, r));
    FileTime back = 0;
    ASSERT_TRUE(RecordToFileTime(r, back));
    ASSERT_EQ(back, p);
  }
}

#ifdef _WIN32
// Our conversion must agree with the system's, leap days and centuries included.
TEST(CalendarConversion, AgreesWithTheSystem) {
  int compared = 0;
  for (int year = 1601; year <= 3000; year += 7) {
    for (int month = 1; month <= 12; ++month) {
      for (int day : {1, 15, 28, 29, 30, 31}) {
        const CalendarRecord ours = Calendar(year, month, day, (year + day) % 24, month * 4, day,
                                           (year * 13) % 1000);
        SYSTEMTIME st{};
        st.wYear = ours.year;
        st.wMonth = ours.month;
        st.wDay = ours.day;
        st.wHour = ours.hour;
        st.wMinute = ours.minute;
        st.wSecond = ours.second;
        st.wMilliseconds = ours.milliseconds;
        FILETIME ft{};
        const bool systemOk = SystemTimeToFileTime(&st, &ft) != FALSE;
        FileTime point = 0;
        // Wine's conversion accepts some days that do not exist (1601-02-29),
        // so only the days that both accept are compared.
        if (!RecordToFileTime(ours, point) || !systemOk) continue;
        ASSERT_EQ(point, (FileTime{ft.dwHighDateTime} << 32) | ft.dwLowDateTime);
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        CalendarRecord r;
        ASSERT_TRUE(FileTimeToRecord(point, r));
        EXPECT_EQ(r.year, back.wYear);
        EXPECT_EQ(r.month, back.wMonth);
        EXPECT_EQ(r.day, back.wDay);
        EXPECT_EQ(r.dayOfWeek, back.wDayOfWeek);
        EXPECT_EQ(r.hour, back.wHour);
        EXPECT_EQ(r.milliseconds, back.wMilliseconds);
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 10000);
}
#endif

TEST(TimeText, TwelveHourClockBothWays) {
  EXPECT_EQ(JoinTimePieces(TimeToText(Calendar(2024, 1, 5, 0, 15, 0))), "Jan 05,2024 12:15:00 AM");
  EXPECT_EQ(JoinTimePieces(TimeToText(Calendar(2024, 1, 5, 12, 15, 0))), "Jan 05,2024 12:15:00 PM");
  EXPECT_EQ(JoinTimePieces(TimeToText(Calendar(2024, 12, 31, 20, 30, 9))), "Dec 31,2024 08:30:09 PM");
  EXPECT_EQ(JoinTimePieces(TimeToText(Calendar(2024, 7, 9, 11, 5, 0))), "Jul 09,2024 11:05:00 AM");
  EXPECT_EQ(GetFileTime("Jan 05,2024 12:00:00 AM"), Point(2024, 1, 5, 0, 0, 0));
  EXPECT_EQ(GetFileTime("Jan 05,2024 12:00:00 PM"), Point(2024, 1, 5, 12, 0, 0));
  EXPECT_EQ(GetFileTime("Jan 05,2024 08:30:00 PM"), Point(2024, 1, 5, 20, 30, 0));
  EXPECT_EQ(GetFileTime("Jan 05,2024 11:59:59 AM"), Point(2024, 1, 5, 11, 59, 59));
  for (FileTime p = Point(2025, 12, 30); p < Point(2026, 1, 2); p += 3599 * kTicksPerSecond) {
    EXPECT_EQ(GetFileTime(FileTimeToText(p)), p);
  }
}

TEST(TimeText, InvalidTextsGiveZero) {
  EXPECT_EQ(GetFileTime("Jan 05,2024 08:30:00 pm"), 0u);
  EXPECT_EQ(GetFileTime("Jan 5,2024 08:30:00 PM"), 0u);  // positions shift
  EXPECT_EQ(GetFileTime("Feb 30,2024 10:00:00 AM"), 0u);
  EXPECT_NE(GetFileTime("Feb 29,2024 10:00:00 AM"), 0u);
  EXPECT_EQ(GetFileTime("Feb 29,2023 10:00:00 AM"), 0u);
  EXPECT_EQ(GetFileTime("Jan 05,3001 10:00:00 AM"), 0u);
  EXPECT_NE(GetFileTime("Jan 05,3000 10:00:00 AM"), 0u);
  EXPECT_EQ(GetFileTime("Jan 05,1600 10:00:00 AM"), 0u);
  EXPECT_EQ(GetFileTime("Jan 05,2024 00:30:00 AM"), 0u);
  EXPECT_EQ(GetFileTime("Jan 05,2024 13:30:00 PM"), 0u);
  EXPECT_EQ(GetFileTime("Jan 05,2024 10:60:00 AM"), 0u);
  EXPECT_EQ(GetFileTime("Jan 05,2024 10:00:60 AM"), 0u);
  EXPECT_EQ(GetFileTime("Xyz 05,2024 10:00:00 AM"), 0u);
  EXPECT_EQ(GetFileTime("Jan 05,2024 10:00:00 A"), 0u);
  EXPECT_EQ(GetFileTime(""), 0u);
  EXPECT_EQ(GetFileTime("Jan"), 0u);
}

TEST(TimeText, MonthIsTheFirstAbbreviationInCalendarOrder) {
  EXPECT_EQ(GetFileTime("xxx 05,2024 10:00:00 AM Dec"), Point(2024, 12, 5, 10));
  EXPECT_EQ(GetFileTime("Dec 05,2024 10:00:00 AM Mar"), Point(2024, 3, 5, 10));
  EXPECT_EQ(GetFileTime("Jan 05,2024 10:00:00 AMtrailing"), Point(2024, 1, 5, 10));
}

TEST(TimeArithmetic, NewTimeTruncatesThenMoves) {
  const FileTime base = Point(2024, 1, 5, 20, 30, 0, 250);
  EXPECT_EQ(NewTime(base, 0, 0, 0, 0, 1), Point(2024, 1, 5, 20, 30, 1));
  EXPECT_EQ(NewTime(base, 0, 0, 99, 59, 59), Point(2024, 1, 10, 0, 29, 59));
  EXPECT_EQ(NewTime(base, 1, 1, 0, 0, 0), Point(2024, 1, 13, 20, 30, 0));
  EXPECT_EQ(NewTime(base, 0, 0, 0, -31, 0), Point(2024, 1, 5, 19, 59, 0));
  EXPECT_EQ(TimeDifference(Point(2024, 1, 5, 21, 0, 0, 900), Point(2024, 1, 5, 20, 0, 0, 100)),
            3600 * static_cast<int64_t>(kTicksPerSecond));
  EXPECT_EQ(TimeDifference(Point(2024, 1, 5, 20), Point(2024, 1, 5, 21)),
            -3600 * static_cast<int64_t>(kTicksPerSecond));
}

TEST(TimeArithmetic, NewTimeWrapsAbsurdAmountsInsteadOfOverflowing) {
  // A duration box of nine digits of hours, or the largest amounts at all.
  const FileTime base = Point(2024, 1, 5, 20, 30, 0);
  constexpr int32_t kMost = std::numeric_limits<int32_t>::max();
  constexpr FileTime kMostHours = FileTime{kMost} * 3600 * kTicksPerSecond;
  EXPECT_EQ(NewTime(base, 0, 0, kMost, 0, 0), base + kMostHours);
  EXPECT_EQ(NewTime(base, 0, 0, -kMost, 0, 0), base - kMostHours);
  EXPECT_EQ(NewTime(base, kMost, 0, 0, 0, 0), base + FileTime{kMost} * 7 * 24 * 3600 * kTicksPerSecond);
  EXPECT_EQ(NewTime(base, 0, 0, 999999999, 0, 0) - base,
            FileTime{999999999} * 3600 * kTicksPerSecond);
}

TEST(Durations, TextsAndSeconds) {
  constexpr int64_t kHour = 3600 * static_cast<int64_t>(kTicksPerSecond);
  EXPECT_EQ(DurationFromDifference(25 * kHour + 5 * 60 * kTicksPerSecond), "25:05:00");
  EXPECT_EQ(DurationFromDifference(24 * kHour), "24:00:00");
  EXPECT_EQ(DurationFromDifference(99 * kHour + 3599 * kTicksPerSecond), "99:59:59");
  EXPECT_EQ(DurationFromDifference(kHour + 61 * kTicksPerSecond), "01:01:01");
  EXPECT_EQ(DurationFromDifference(-kHour), "00:00:00");
  EXPECT_EQ(DurationSeconds(""), -1);
  EXPECT_EQ(DurationSeconds("90"), -1);
  EXPECT_EQ(DurationSeconds("90:00"), -1);
  EXPECT_EQ(DurationSeconds("1:2:3:4"), -1);
  EXPECT_EQ(DurationSeconds("01:02:03"), 3723);
  EXPECT_EQ(DurationSeconds("1:75:00"), 8100);
  EXPECT_EQ(DurationSeconds("01:30:00"), 5400);
  EXPECT_EQ(DurationSeconds("::"), 0);
  EXPECT_EQ(static_cast<uint32_t>(DurationSeconds("x")), 4294967295u);
  EXPECT_EQ(SecondsToDuration(3600), "01:00:00");
  EXPECT_EQ(SecondsToDuration(360000), "100:00:00");
  EXPECT_EQ(SecondsToDuration(0), "00:00:00");
  EXPECT_EQ(SecondsToDuration(3599), "00:59:59");
  EXPECT_EQ(SecondsToDuration(4294967295u), "1193046:28:15");
}

TEST(StatusClock, TwelveHourText) {
  EXPECT_EQ(ClockText(Calendar(2024, 1, 1, 0, 5, 9)), "12:05:09 AM");
  EXPECT_EQ(ClockText(Calendar(2024, 1, 1, 12, 0, 0)), "12:00:00 PM");
  EXPECT_EQ(ClockText(Calendar(2024, 1, 1, 23, 59, 59)), "11:59:59 PM");
  EXPECT_EQ(ClockText(Calendar(2024, 1, 1, 9, 0, 0)), "09:00:00 AM");
}

}  // namespace
}  // namespace ormidal
