// The schedule check (ormidal-check): before the night, which recordings the
// scheduler will start, when, and which lines it never will. It runs the
// scheduler's own pass on the file, at every second at which a line's window
// can open or close, so it knows no rule of its own. It also tells when each
// start would wake the computer, and when the power plan would not let it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"
#include "power_system.h"
#include "time_text.h"

namespace ormidal {

constexpr int kCheckDays = 7;
constexpr int kCheckDaysLimit = 366;

struct CheckOptions {
  CalendarRecord now;  // the scheduler is enabled at this moment
  int days = kCheckDays;
  bool audioMode = false;  // the window position is not checked
  // The active power plan's wake timers; unreadable claims nothing.
  WakeTimerPlan wakeTimers;
  // Whether a scheduler holds the file's folder; none where nobody can tell.
  std::optional<bool> schedulerRunning;
};

// One start request as the scheduler sends it.
struct PredictedStart {
  FileTime request = 0;  // the second it goes out
  FileTime start = 0;    // the entry's window, whose length the request carries
  FileTime end = 0;      // the stop request, unless the scheduler has stopped by then
  // When the computer is woken for it; none for a request that goes out at once.
  std::optional<FileTime> wake;
};

struct CheckedLine {
  std::size_t line = 0;  // from 1
  std::string name;
  std::vector<PredictedStart> starts;
};

enum class ProblemKind {
  kTooShort,        // the whole file: the scheduler is never enabled with it
  kNotEntry,        // never starts: not read as an entry
  kNeverStarts,     // an entry whose window never opens
  kReadError,       // stops the scheduler after its first pass
  kPastLastLine,    // past the 200th line: never read
  kWindowPosition,  // stops the scheduler when its window opens
  kSameName,        // a save replaces only the earlier line
  kOverlap,         // two start requests for one span of time
  kWakeTimersOff,   // the power plan has wake timers off, plugged in or on battery
  kNoScheduler,     // a start lies ahead and no scheduler runs for the folder
};

constexpr char kNoSchedulerProblem[] =
    "No scheduler is running for this folder: nothing will be sent.";

struct Problem {
  ProblemKind kind = ProblemKind::kNeverStarts;
  std::size_t line = 0;       // from 1; 0 for the whole file
  std::size_t otherLine = 0;  // the earlier line of a same name or an overlap
  FileTime from = 0;          // an overlap's span
  FileTime to = 0;
  std::string reason;
};

struct CheckReport {
  FileTime from = 0;  // the first pass
  FileTime until = 0;
  int days = kCheckDays;
  bool audioMode = false;
  WakeTimerPlan wakeTimers;
  std::vector<CheckedLine> lines;     // the entry lines the scheduler reads
  std::vector<Problem> problems;      // by line, the power plan's last
  std::optional<FileTime> stopped;    // when the scheduler stops itself
  std::vector<std::string> messages;  // what it shows the user then, or as it is enabled
};

CheckReport RunScheduleCheck(std::string_view contents, const CheckOptions& options);

std::string CheckReportText(const CheckReport& report);
std::string CheckReportJson(const CheckReport& report);

// A JSON string of schedule text: every byte outside printable ASCII as \u00XX.
std::string JsonText(std::string_view text);

// The program without its process: arguments (without the program name) in,
// standard output and error texts and the exit code out: 0 nothing to report,
// 1 problems found, 2 the file cannot be read or the command line is wrong.
// schedulerRunning tells whether a scheduler holds the folder of a schedule
// file (none: nobody can tell).
using SchedulerLookup = std::function<std::optional<bool>(const std::string& schedulePath)>;
int RunCheckProgram(const std::vector<std::string>& args, FileSystem& files,
                    const std::function<CalendarRecord()>& localNow,
                    const std::function<WakeTimerPlan()>& wakeTimerPlan, std::string& out,
                    std::string& err, const SchedulerLookup& schedulerRunning = {});

// The local time now, the active power plan's wake timers and whether a
// scheduler runs for a schedule file; each platform's program supplies them.
CalendarRecord LocalNow();
WakeTimerPlan ActiveWakeTimerPlan();
std::optional<bool> SchedulerRunningFor(const std::string& schedulePath);

}  // namespace ormidal
