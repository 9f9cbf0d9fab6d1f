// The Schedule Recordings dialog's decisions, apart from its controls: the
// checks and composition of Save Schedule, and what a fill shows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host.h"
#include "options.h"
#include "schedule_edit.h"
#include "schedule_file.h"

namespace ormidal {

constexpr char kDefaultWindowPosition[] = "100,100,600,500";
constexpr char kClickRequired[] = "Click required...";
constexpr char kWindowPositionQuestion[] =
    "Window position not specified. \t(100,100,600,500) corrdinates will be used).\n\nContinue?";
constexpr std::size_t kDurationBoxLimit = 49;
constexpr char kRepeatTooLongMessage[] =
    "This recording would start again before it ends: a recording that repeats cannot last "
    "longer than the time until its next day. Choose a shorter duration, other days or Once.";

// What the dialog's controls hold.
struct DialogValues {
  std::string fileName;
  std::string url;
  std::string programName;
  std::string windowPosition;
  std::string duration;
  CalendarRecord date;       // the calendar's selection
  CalendarRecord timeOfDay;  // the time picker
  RepeatChoice repeat;
};

struct DurationParts {
  int32_t hours = 0;
  int32_t minutes = 0;
  int32_t seconds = 0;
};

// The Duration box's checks; the message of the first that fails, or "".
std::string CheckDuration(std::string_view text, DurationParts& parts);

// Save Schedule up to the enable question: every check and question in
// order, the composition (its start and end kept in current), the settings
// rule and the store. Every refusal and failure is told through host.
// values.windowPosition ends as the position used, values.duration as the
// Duration box must show. Gives the rows of the file as stored, or nothing
// when nothing was stored.
std::optional<ScheduleList> SaveEntry(DialogValues& values, Options& options, CurrentEntry& current,
                                      FileSystem& files, SchedulerHost& host);

// The Window position box for an entry: "Click required..." for a URL meant
// for the audio recorder, else position.
std::string PositionBoxText(std::string_view url, std::string_view position);

// The repeat boxes that show a stored repeat text.
RepeatChoice RepeatBoxesFromText(std::string_view timeDay);

// A day box click leaves Once and Daily unchecked; Once and Daily clear the others.
enum class RepeatBox { kOnce, kDaily, kDay };
void ApplyRepeatClick(RepeatChoice& boxes, RepeatBox clicked);

}  // namespace ormidal
