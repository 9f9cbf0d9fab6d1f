#include "time_text.h"

#include <array>
#include <cstdio>

#include "text.h"

namespace ormidal {
namespace {

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int64_t kTicksPerDay = 86400 * static_cast<int64_t>(kTicksPerSecond);
constexpr FileTime kLastPoint = 0x7FFFFFFFFFFFFFFFull;  // as far as the system converts
constexpr int kLastYear = 30827;

bool IsLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Day numbers of the proleptic Gregorian calendar (era arithmetic over 400-year
// cycles); only differences of them matter.
constexpr int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = y / 400;  // years here are never negative
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe + 60;
}

constexpr int64_t kDaysFrom0000To1601 = DaysFromCivil(1601, 1, 1);

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
  z -= 60;
  const int64_t era = z / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

FileTime TruncateToSecond(FileTime point) { return point - point % kTicksPerSecond; }

}  // namespace

bool RecordToFileTime(const CalendarRecord& r, FileTime& point) {
  if (r.year < 1601 || r.year > kLastYear || r.month < 1 || r.month > 12 || r.day < 1 ||
      r.day > DaysInMonth(r.year, r.month) || r.hour > 23 || r.minute > 59 || r.second > 59 ||
      r.milliseconds > 999) {
    return false;
  }
  const int64_t days = DaysFromCivil(r.year, r.month, r.day) - kDaysFrom0000To1601;
  const int64_t ms = ((int64_t{r.hour} * 60 + r.minute) * 60 + r.second) * 1000 + r.milliseconds;
  point = static_cast<FileTime>(days * kTicksPerDay + ms * 10'000);
  return true;
}

bool FileTimeToRecord(FileTime point, CalendarRecord& r) {
  if (point > kLastPoint) return false;
  const int64_t days = static_cast<int64_t>(point / static_cast<FileTime>(kTicksPerDay));
  const int64_t ms = static_cast<int64_t>(point % static_cast<FileTime>(kTicksPerDay)) / 10'000;
  int64_t year = 0;
  int month = 0;
  int day = 0;
  CivilFromDays(days + kDaysFrom0000To1601, year, month, day);
  r.year = static_cast<uint16_t>(year);
  r.month = static_cast<uint16_t>(month);
  r.day = static_cast<uint16_t>(day);
  r.dayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
  r.hour = static_cast<uint16_t>(ms / 3'600'000);
  r.minute = static_cast<uint16_t>(ms / 60'000 % 60);
  r.second = static_cast<uint16_t>(ms / 1000 % 60);
  r.milliseconds = static_cast<uint16_t>(ms % 1000);
  return true;
}

TwelveHour ToTwelveHour(int hourOfDay) {
  if (hourOfDay == 0) return {12, "AM"};
  if (hourOfDay < 12) return {hourOfDay, "AM"};
  if (hourOfDay == 12) return {12, "PM"};
  return {hourOfDay - 12, "PM"};
}

TimePieces TimeToText(const CalendarRecord& r) {
  const TwelveHour clock = ToTwelveHour(r.hour);
  TimePieces p;
  p.month = std::string(r.month >= 1 && r.month <= 12 ? kMonths[r.month - 1] : "");
  p.day = fw::TwoDigits(r.day);
  p.year = std::to_string(r.year);
  p.hour = fw::TwoDigits(clock.hour);
  p.minute = fw::TwoDigits(r.minute);
  p.second = fw::TwoDigits(r.second);
  p.half = std::string(clock.half);
  return p;
}

std::string JoinTimePieces(const TimePieces& p) {
  return p.month + " " + p.day + "," + p.year + " " + p.hour + ":" + p.minute + ":" + p.second +
         " " + p.half;
}

std::string FileTimeToText(FileTime point) {
  CalendarRecord r;
  return FileTimeToRecord(point, r) ? JoinTimePieces(TimeToText(r)) : std::string();
}

FileTime GetFileTime(std::string_view text) {
  int month = 0;
  for (int m = 0; m < 12 && month == 0; ++m) {
    if (fw::Contains(text, kMonths[m])) month = m + 1;
  }
  if (month == 0) return 0;
  const int32_t day = fw::ReadDecimalAt(text, 4);
  const int32_t year = fw::ReadDecimalAt(text, 7);
  int32_t hour = fw::ReadDecimalAt(text, 12);
  const int32_t minute = fw::ReadDecimalAt(text, 15);
  const int32_t second = fw::ReadDecimalAt(text, 18);
  if (day < 1 || day > 31 || year < 1 || year > 3000 || hour < 1 || hour > 12 || minute < 0 ||
      minute > 59 || second < 0 || second > 59) {
    return 0;
  }
  const std::string_view half = text.size() >= 23 ? text.substr(21, 2) : std::string_view();
  if (half == "AM") {
    if (hour == 12) hour = 0;
  } else if (half == "PM") {
    if (hour < 12) hour += 12;
  } else {
    return 0;
  }
  CalendarRecord r;
  r.year = static_cast<uint16_t>(year);
  r.month = static_cast<uint16_t>(month);
  r.day = static_cast<uint16_t>(day);
  r.hour = static_cast<uint16_t>(hour);
  r.minute = static_cast<uint16_t>(minute);
  r.second = static_cast<uint16_t>(second);
  FileTime point = 0;
  return RecordToFileTime(r, point) ? point : 0;
}

FileTime NewTime(FileTime point, int32_t weeks, int32_t days, int32_t hours, int32_t minutes,
                 int32_t seconds) {
  // Unsigned: absurd amounts (a duration box may hold any number) wrap as the
  // system's 64-bit sum does instead of overflowing; small ones add as signed.
  auto amount = [](int32_t value) { return static_cast<FileTime>(int64_t{value}); };
  const FileTime offset =
      ((((amount(weeks) * 7 + amount(days)) * 24 + amount(hours)) * 60 + amount(minutes)) * 60 +
       amount(seconds)) *
      kTicksPerSecond;
  return TruncateToSecond(point) + offset;
}

int64_t TimeDifference(FileTime a, FileTime b) {
  return static_cast<int64_t>(TruncateToSecond(a) - TruncateToSecond(b));
}

std::string DurationFromDifference(int64_t difference) {
  if (difference < 0) difference = 0;
  return SecondsToDuration(static_cast<uint64_t>(difference) / kTicksPerSecond);
}

int32_t DurationSeconds(std::string_view text) {
  if (text.empty()) return -1;
  std::size_t colons = 0;
  for (char c : text) colons += c == ':';
  if (colons != 2) return -1;
  const std::size_t first = text.find(':');
  const std::size_t second = text.find(':', first + 1);
  // Unsigned arithmetic: an absurd hour count wraps instead of overflowing.
  const uint32_t total = static_cast<uint32_t>(fw::ReadDecimal(text)) * 3600u +
                         static_cast<uint32_t>(fw::ReadDecimalAt(text, first + 1)) * 60u +
                         static_cast<uint32_t>(fw::ReadDecimalAt(text, second + 1));
  return static_cast<int32_t>(total);
}

std::string SecondsToDuration(uint64_t seconds) {
  const uint64_t hours = seconds / 3600;
  const int rest = static_cast<int>(seconds % 3600);
  return (hours <= 9 ? "0" : "") + std::to_string(hours) + ":" + fw::TwoDigits(rest / 60) + ":" +
         fw::TwoDigits(rest % 60);
}

std::string ClockText(const CalendarRecord& r) {
  const TwelveHour clock = ToTwelveHour(r.hour);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d %s", clock.hour, r.minute, r.second,
                clock.half);
  return buffer;
}

}  // namespace ormidal
