#include "repeat_rules.h"

#include "text.h"

namespace ormidal {
namespace {

// The point with the date of today and the time of day of point.
bool OntoToday(FileTime point, const CalendarRecord& today, FileTime& moved) {
  CalendarRecord r;
  if (!FileTimeToRecord(point, r)) return false;
  r.year = today.year;
  r.month = today.month;
  r.day = today.day;
  return RecordToFileTime(r, moved);
}

}  // namespace

uint32_t DaySet(std::string_view timeDay) {
  uint32_t set = 0;
  for (std::size_t d = 0; d < kDayNames.size(); ++d) {
    if (fw::Contains(timeDay, kDayNames[d])) set |= 1u << d;
  }
  return set;
}

void ApplyRepeat(LineValues& v, const CalendarRecord& now) {
  const uint32_t days = DaySet(v.timeDay);
  v.daily = fw::Contains(v.timeDay, "Daily") ? 1 : 0;
  v.dayOfWeek = !v.daily && days != 0 ? 1 : 0;
  v.once = !v.daily && !v.dayOfWeek ? 1 : 0;

  FileTime present = 0;
  if (!RecordToFileTime(now, present)) return;
  bool move = false;
  // At its end already: a window of a day or more is followed by the next in
  // that very second; a shorter one moves onto the same window or a later one.
  if (v.daily) move = present > v.startTime && present >= v.endTime;
  if (v.dayOfWeek) move = (days & (1u << now.dayOfWeek)) != 0;
  if (!move) return;

  FileTime start = 0;
  if (!OntoToday(v.startTime, now, start)) return;
  // A window whose end is not after its start moves empty: its length in
  // unsigned ticks would carry the end past 1601 into the far future.
  const FileTime end = v.endTime > v.startTime ? start + (v.endTime - v.startTime) : start;
  CalendarRecord scratch;
  if (!FileTimeToRecord(end, scratch)) return;
  v.endTime = end;
  v.startTime = start;
}

}  // namespace ormidal
