// Repeat rules: a line's repeat text gives its mode, and a repeating line's
// window is moved onto today's date before the scheduling pass tests it.
#pragma once

#include <cstdint>
#include <string>

#include "schedule_file.h"
#include "time_text.h"

namespace ormidal {

// The scheduling pass's own copy of one line: the seven fields, the window
// after the repeat rule and the repeat mode.
struct LineValues : EntryFields {
  FileTime startTime = 0;
  FileTime endTime = 0;
  int32_t once = 0;
  int32_t daily = 0;
  int32_t dayOfWeek = 0;
};

// Bit d (0 Sunday .. 6 Saturday) set when the day's name occurs in the text.
uint32_t DaySet(std::string_view timeDay);

// Sets the mode flags from timeDay and moves the window onto today (the date
// of now) where the mode says so. A moved window keeps its written length,
// so one that crosses midnight stays due every day; one whose end is not
// after its start moves empty, and one that cannot be moved stays as written.
void ApplyRepeat(LineValues& values, const CalendarRecord& now);

}  // namespace ormidal
