// The schedule check (ormidal-check): before the night, which recordings the
// scheduler will start, when, and which lines it never will. It runs the
// scheduler's own pass on the file, at every second at which a line's window
// can open or close, so it knows no rule of its own. It also tells when each
// start would wake the computer, and when the power plan would not let it.
#pragma once

#include <cstddef>
#include <cstdio>
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

// A change of the local clock for daylight saving time.
struct ClockChange {
  FileTime at = 0;       // the local time the clock shows as it changes
  int64_t seconds = 0;   // how far it moves: forward when positive
};

// A time zone's changes of one year as the system states them (Windows'
// TIME_ZONE_INFORMATION): a month 0 means none; a year 0 names the day-th
// dayOfWeek of the month (day 5: its last), any other year that very date;
// both at their time of day on the clock before the change. Biases are in
// minutes, UTC being the local time plus the bias.
struct ZoneRules {
  CalendarRecord toDaylight;
  CalendarRecord toStandard;
  int32_t standardBias = 0;
  int32_t daylightBias = 0;
};

// The zone's changes in year, in no particular order.
std::vector<ClockChange> ClockChangesOfYear(int year, const ZoneRules& zone);

struct CheckOptions {
  CalendarRecord now;  // the scheduler is enabled at this moment
  int days = kCheckDays;
  bool audioMode = false;  // the window position is not checked
  // This machine's power; an unreadable fact claims nothing.
  PowerFacts power;
  std::vector<ClockChange> clockChanges;  // of the local time zone, over the days checked
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
  kOverlapsItself,  // a window opens before the line's own window before it ends
  kClockChange,     // daylight saving time changes the clock inside a predicted window
  kWakeTimersOff,   // the power plan has wake timers off, plugged in or on battery
  kModernStandby,   // the computer may not wake or stay awake for a start
  kSignInOnWake,    // a woken computer shows the sign-in screen to a screen recording
  kNoScheduler,     // a start lies ahead and no scheduler runs for the folder
};

constexpr char kNoSchedulerProblem[] =
    "No scheduler is running for this folder: nothing will be sent.";

struct Problem {
  ProblemKind kind = ProblemKind::kNeverStarts;
  std::size_t line = 0;       // from 1; 0 for the whole file
  std::size_t otherLine = 0;  // the earlier line of a same name or an overlap
  FileTime from = 0;          // an overlap's span; the window a clock change falls in
  FileTime to = 0;
  std::string reason;
};

struct CheckReport {
  FileTime from = 0;  // the first pass
  FileTime until = 0;
  int days = kCheckDays;
  bool audioMode = false;
  PowerFacts power;
  std::vector<CheckedLine> lines;     // the entry lines the scheduler reads
  std::vector<Problem> problems;      // by line, the power plan's last
  std::optional<FileTime> stopped;    // when the scheduler stops itself
  std::vector<std::string> messages;  // what it shows the user then, or as it is enabled
};

CheckReport RunScheduleCheck(std::string_view contents, const CheckOptions& options);

// Text of the system code page to UTF-8, which the JSON documents are on
// every code page.
using ToUtf8 = std::function<std::string(std::string_view)>;

std::string CheckReportText(const CheckReport& report);
std::string CheckReportJson(const CheckReport& report, const ToUtf8& toUtf8);

// A JSON string of schedule text, in UTF-8.
std::string JsonText(std::string_view text, const ToUtf8& toUtf8);

// The program without its process: arguments (without the program name) in,
// standard output and error texts and the exit code out: 0 nothing to report,
// 1 problems found, 2 the file cannot be read or the command line is wrong.
// Both texts are in the system code page, but for JSON, which is UTF-8 and
// sets outUtf8. schedulerRunning tells whether a scheduler holds the folder
// of a schedule file (none: nobody can tell).
using ClockChangesReader = std::function<std::vector<ClockChange>(int firstYear, int lastYear)>;
using SchedulerLookup = std::function<std::optional<bool>(const std::string& schedulePath)>;
int RunCheckProgram(const std::vector<std::string>& args, FileSystem& files,
                    const std::function<CalendarRecord()>& localNow,
                    const std::function<PowerFacts()>& powerFacts, const ToUtf8& toUtf8,
                    std::string& out, std::string& err, bool* outUtf8 = nullptr,
                    const ClockChangesReader& clockChanges = {},
                    const SchedulerLookup& schedulerRunning = {});

// The local time now, this machine's power facts, its code page's conversion,
// the local time zone's clock changes in those years and whether a scheduler
// runs for a schedule file; each platform's program supplies them.
CalendarRecord LocalNow();
PowerFacts ActivePowerFacts();
std::string SystemTextToUtf8(std::string_view text);
std::vector<ClockChange> LocalClockChanges(int firstYear, int lastYear);
std::optional<bool> SchedulerRunningFor(const std::string& schedulePath);
// Writes text (UTF-8 or the system code page) to stdout or stderr: to a
// console as characters, to a file or pipe as these very bytes.
void WriteStandard(std::FILE* stream, std::string_view text, bool utf8);

}  // namespace ormidal
