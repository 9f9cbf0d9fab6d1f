// Dates and times on the local clock for tests, fuzz targets and benchmarks:
// the one place they build calendar records and points.
#pragma once

#include <cstdint>
#include <string_view>

#include "time_text.h"

namespace ormidal {

// The record of a local date and time with its weekday, as the system fills
// it; a record that names no time keeps the fields as given.
CalendarRecord Calendar(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                        int milliseconds = 0);
// The record of a date-and-time text ("Dec 08,2026 07:00:00 PM").
CalendarRecord Calendar(std::string_view text);

// The point of a record; 0 when it names no time.
FileTime PointOf(const CalendarRecord& record);

// A number of seconds as a span of points.
constexpr FileTime Seconds(int64_t seconds) { return static_cast<FileTime>(seconds) * kTicksPerSecond; }

}  // namespace ormidal
