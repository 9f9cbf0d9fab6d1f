#include "calendar.h"

namespace ormidal {

CalendarRecord Calendar(int year, int month, int day, int hour, int minute, int second,
                        int milliseconds) {
  auto field = [](int value) { return static_cast<uint16_t>(value); };
  CalendarRecord record{.year = field(year),
                        .month = field(month),
                        .dayOfWeek = 0,
                        .day = field(day),
                        .hour = field(hour),
                        .minute = field(minute),
                        .second = field(second),
                        .milliseconds = field(milliseconds)};
  FileTime point = 0;
  if (RecordToFileTime(record, point)) FileTimeToRecord(point, record);
  return record;
}

CalendarRecord Calendar(std::string_view text) {
  CalendarRecord record;
  FileTimeToRecord(GetFileTime(text), record);
  return record;
}

FileTime PointOf(const CalendarRecord& record) {
  FileTime point = 0;
  RecordToFileTime(record, point);
  return point;
}

}  // namespace ormidal
