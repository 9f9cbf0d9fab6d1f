// Date-and-time text of the schedule file ("Jan 05,2024 08:30:00 PM"), duration
// text ("hh:mm:ss") and points in time: 100 ns units since 1601-01-01 on the
// local clock, the calendar record laid out as the system's SYSTEMTIME.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ormidal {

using FileTime = uint64_t;
constexpr FileTime kTicksPerSecond = 10'000'000;

struct CalendarRecord {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t dayOfWeek = 0;  // 0 Sunday; ignored when converting to a point
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

// The days as repeat texts name them, indexed by dayOfWeek.
constexpr std::size_t kWeekDays = 7;
constexpr std::array<std::string_view, kWeekDays> kDayNames = {"Sun", "Mon", "Tue", "Wed",
                                                               "Thu", "Fri", "Sat"};

// Proleptic Gregorian conversions, valid as the system's own: years 1601 to
// 30827. Return false for a record that names no existing date and time, or
// a point beyond the last representable one.
bool RecordToFileTime(const CalendarRecord& record, FileTime& point);
bool FileTimeToRecord(FileTime point, CalendarRecord& record);

// The seven pieces of a date-and-time text.
struct TimePieces {
  std::string month, day, year, hour, minute, second, half;
};
TimePieces TimeToText(const CalendarRecord& record);
// "%s %s,%s %s:%s:%s %s" of the pieces.
std::string JoinTimePieces(const TimePieces& pieces);
// The date-and-time text of a point, or "" when the point has no record.
std::string FileTimeToText(FileTime point);

// Point of a date-and-time text; 0 when the text is not a valid time.
FileTime GetFileTime(std::string_view text);

// The point truncated to whole seconds and moved by the given amount.
FileTime NewTime(FileTime point, int32_t weeks, int32_t days, int32_t hours, int32_t minutes,
                 int32_t seconds);
// a minus b, both truncated to whole seconds, in 100 ns units.
int64_t TimeDifference(FileTime a, FileTime b);
// hh:mm:ss of a difference, the hours counting on past a day (25 hours give
// 25:00:00). A negative difference gives 00:00:00.
std::string DurationFromDifference(int64_t difference);
// Seconds of "h:m:s"; -1 for an empty text or one without exactly two colons.
int32_t DurationSeconds(std::string_view text);
std::string SecondsToDuration(uint64_t seconds);

// The 12-hour clock shared by the texts and the status clock.
struct TwelveHour {
  int hour;          // 1..12
  const char* half;  // "AM" or "PM"
};
TwelveHour ToTwelveHour(int hourOfDay);
// "%02d:%02d:%02d %s" of the record's time of day on the 12-hour clock.
std::string ClockText(const CalendarRecord& record);

}  // namespace ormidal
