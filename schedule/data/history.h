// The scheduler's history, "schedule-history.log" beside the schedule: one
// line per event, what was sent, what could not be and what was missed. A
// line is the scheduler's date-and-time text, a tab, the event's word, and
// tab-separated key=value fields whose values are escaped, CR LF at the end:
//   Dec 08,2026 08:00:00 PM<TAB>start-sent<TAB>name=Evening news<TAB>window=Dec 08,2026
//   08:00:00 PM<TAB>seconds=1800<TAB>ms=12
// Values keep the schedule's own bytes (the system code page); only the
// backslash, tab, CR, LF and the other control bytes are escaped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "time_text.h"

namespace ormidal {

constexpr char kHistoryFileName[] = "schedule-history.log";

enum class HistoryKind {
  kStarted,           // the scheduler started; cause: how (none: by the user)
  kEnded,             // the scheduler ended; cause: why; window: the next start it leaves
  kEnabled,           // count: the schedule's entries
  kDisabled,          // cause: by whom; text: why, when the engine stopped itself
  kStartSent,         // name, window, seconds, ms
  kStopSent,          // name, window, ms
  kNotSent,           // cause: the request; name, window; text: what the user was told
  kMissed,            // cause: while asleep, disabled or the clock changed; name, window
  kWakeArmed,         // name, window: the start the PC is to wake for
  kWoken,             // name, window: the start the PC woke for
  kPowerUnavailable,  // cause: wake or keep-awake; text: the system's words
  kDropped,           // count: events lost because the writer fell behind
  kRecorderStarted,   // text: the recording program's path; ms: how long its window took
};

// The fixed words of the events that carry one.
enum class HistoryCause {
  kNone,
  kDialogClosed,          // ended
  kRecordingProgramGone,  // ended
  kMainWindowClosed,      // ended
  kCannotOpenSchedule,    // ended
  kWindowsShutdown,       // ended: Windows shuts down or restarts (it does not say which)
  kWindowsRestart,        // ended: Windows closes it for an install (the Restart Manager)
  kWindowsLogoff,         // ended: the user signs out
  kByUser,                // disabled
  kByEdit,                // disabled
  kByEngine,              // disabled
  kStartRequest,          // not-sent
  kStopRequest,           // not-sent
  kStartRecorder,         // not-sent, of no entry; text: why
  kAsleep,                // missed
  kWhileDisabled,         // missed
  kClockChange,           // missed: the clock jumped on, with no resume from sleep
  kWhileRestarting,       // missed
  kRestarted,             // started: by Windows, with the restart command line
  kWake,                  // power-unavailable
  kKeepAwake,             // power-unavailable
};

struct HistoryEvent {
  HistoryKind kind = HistoryKind::kStarted;
  FileTime time = 0;  // a whole second of the local clock
  HistoryCause cause = HistoryCause::kNone;
  std::string name;     // the entry's name
  FileTime window = 0;  // the start of the entry's window
  uint32_t seconds = 0;  // start-sent: the length the request carries
  uint32_t ms = 0;       // start-sent, stop-sent: milliseconds after time
  uint32_t count = 0;
  std::string text;

  bool operator==(const HistoryEvent&) const = default;
};

// An event of kind at the moment when: time is its whole second, ms the rest.
HistoryEvent NewHistoryEvent(HistoryKind kind, FileTime when);

// The fields of an event after its time, in line order: the event's word
// under "event", then its own keys. Numbers are marked, for JSON.
struct HistoryField {
  std::string key, value;
  bool number = false;
};
std::vector<HistoryField> HistoryFields(const HistoryEvent& event);

// The event's line, CR LF included.
std::string HistoryLine(const HistoryEvent& event);

// The event of one line (its line break removed or not); nothing for a line
// that is damaged, from a newer scheduler's unknown event, or blank.
std::optional<HistoryEvent> ReadHistoryLine(std::string_view line);

struct HistoryContents {
  std::vector<HistoryEvent> events;  // in file order
  std::size_t damaged = 0;           // refused lines, blank ones apart
};
// The events of a history file; a last line without its line end was cut
// short and is refused.
HistoryContents ReadHistory(std::string_view contents);

// The history file in the folder of the schedule file at schedulePath
// (either slash ends the folder), and the one it is renamed to when full.
std::string HistoryPathBeside(std::string_view schedulePath);
std::string OlderHistoryPath(std::string_view historyPath);

}  // namespace ormidal
