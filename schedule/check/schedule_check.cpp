#include "schedule_check.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>

#include "engine.h"
#include "power_plan.h"
#include "schedule_edit.h"

namespace ormidal {
namespace {

constexpr FileTime kTicksPerDay = 86400 * kTicksPerSecond;

struct ExaminedLine {
  std::size_t index = 0;  // from 0
  LineValues values;
};

// The passes of the scheduler from the first one at options.now on.
class Passes {
 public:
  explicit Passes(const CheckOptions& options) : now_(options.now) {
    RecordToFileTime(now_, present_);
    first_ = present_ - present_ % kTicksPerSecond;
    until_ = first_ + static_cast<FileTime>(options.days) * kTicksPerDay;
  }
  const CalendarRecord& Now() const { return now_; }
  FileTime First() const { return first_; }
  FileTime Until() const { return until_; }
  FileTime Present() const { return present_; }

 private:
  CalendarRecord now_;
  FileTime present_ = 0, first_ = 0, until_ = 0;
};

bool Blank(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string NotEntryReason(std::string_view line) {
  EntryFields scratch;
  const bool outOfOrder =
      ExtractEntryLine(line, scratch, OutOfOrder::kEmptyField).kind == LineKind::kEntry;
  return outOfOrder ? "never starts: not an entry (a separator stands out of order)"
                    : "never starts: not an entry (it lacks \" PROG: \" or \" WND: \")";
}

// Why an entry can never start, or nothing when it can.
std::string NeverStartsReason(const LineValues& line, const Passes& passes) {
  const FileTime start = GetFileTime(line.timeStart);
  const FileTime end = GetFileTime(line.timeEnd);
  switch (WrittenWindowFault(start, end)) {
    case WindowFault::kStartUnreadable:
      return "never starts: its start " + Quoted(line.timeStart) + " is not a date and time";
    case WindowFault::kEndUnreadable:
      return "never starts: its end " + Quoted(line.timeEnd) + " is not a date and time";
    case WindowFault::kEndNotAfterStart:
      return "never starts: its end is not after its start";
    case WindowFault::kTooLong:
      return "never starts: its window of " + std::to_string((end - start) / kTicksPerSecond) +
             " s is longer than a start request can tell (" +
             std::to_string(kLongestWindow / kTicksPerSecond) + " s)";
    case WindowFault::kNone:
      break;
  }
  LineValues values = line;
  if (!WindowOpen(values, passes.Now()) && values.once &&
      passes.Present() >= values.endTime) {
    return "never starts: it runs once and its window ended at " + FileTimeToText(values.endTime);
  }
  return {};
}

void AddOverlaps(const CheckReport& report, std::vector<Problem>& problems) {
  struct Running {
    std::size_t line;
    FileTime from, to;
  };
  std::vector<Running> all;
  for (const CheckedLine& line : report.lines) {
    for (const PredictedStart& s : line.starts) all.push_back({line.line, s.request, s.end});
  }
  std::sort(all.begin(), all.end(),
            [](const Running& a, const Running& b) { return a.from < b.from; });
  struct Overlap {
    FileTime from, to;
    int count;
  };
  std::map<std::pair<std::size_t, std::size_t>, Overlap> pairs;  // (later, earlier) line
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (std::size_t j = i + 1; j < all.size() && all[j].from < all[i].to; ++j) {
      if (all[i].line == all[j].line) continue;
      const auto key = std::minmax(all[i].line, all[j].line);
      const Overlap span{all[j].from, std::min(all[i].to, all[j].to), 1};
      auto [it, added] = pairs.try_emplace({key.second, key.first}, span);
      if (!added) ++it->second.count;
    }
  }
  for (const auto& [lines, o] : pairs) {
    std::string reason = "its window overlaps that of line " + std::to_string(lines.second) +
                         " from " + FileTimeToText(o.from) + " to " + FileTimeToText(o.to) +
                         ": two start requests for that time";
    if (o.count > 1) reason += " (" + std::to_string(o.count) + " times)";
    problems.push_back({ProblemKind::kOverlap, lines.first, lines.second, o.from, o.to, reason});
  }
}

// The moment a zone's rule names in year, on the clock before the change.
std::optional<FileTime> RuleTime(int year, const CalendarRecord& rule) {
  if (rule.month == 0 || (rule.year != 0 && rule.year != year)) return std::nullopt;
  CalendarRecord r = rule;
  FileTime at = 0;
  if (rule.year == 0) {
    r.year = static_cast<uint16_t>(year);
    r.day = 1;
    CalendarRecord first;
    if (!RecordToFileTime(r, at) || !FileTimeToRecord(at, first)) return std::nullopt;
    // The day-th such weekday; the fifth is the last, which may be the fourth.
    int day = 1 + (rule.dayOfWeek + 7 - first.dayOfWeek) % 7 + 7 * (std::max<int>(rule.day, 1) - 1);
    for (r.day = static_cast<uint16_t>(day); day > 28 && !RecordToFileTime(r, at);) {
      day -= 7;
      r.day = static_cast<uint16_t>(day);
    }
  }
  if (!RecordToFileTime(r, at)) return std::nullopt;
  return at;
}

// Its first window that opens before the one before it ends, and how many do.
struct OwnOverlaps {
  OwnOverlap first;
  std::vector<FileTime> starts;
};

void AddOwnOverlaps(const std::map<std::size_t, OwnOverlaps>& overlaps,
                    std::vector<Problem>& problems) {
  for (const auto& [line, o] : overlaps) {
    std::string reason = "its windows overlap each other: the one from " +
                         FileTimeToText(o.first.start) + " to " + FileTimeToText(o.first.end) +
                         " opens before the one before it ends at " +
                         FileTimeToText(o.first.previousEnd) +
                         ", and a line records one window at a time, so it starts then at the "
                         "earliest";
    if (o.starts.size() > 1) reason += " (" + std::to_string(o.starts.size()) + " times)";
    problems.push_back({ProblemKind::kOverlapsItself, line + 1, 0, o.first.start,
                        o.first.previousEnd, reason});
  }
}

// A change of the clock inside a window the scheduler starts.
void AddClockChanges(const CheckReport& report, const std::vector<ClockChange>& changes,
                     std::vector<Problem>& problems) {
  for (const CheckedLine& line : report.lines) {
    for (const PredictedStart& s : line.starts) {
      for (const ClockChange& c : changes) {
        const FileTime shifted = c.at + static_cast<FileTime>(c.seconds) * kTicksPerSecond;
        if (!(s.request < std::max(c.at, shifted) && s.end > std::min(c.at, shifted))) continue;
        const bool forward = c.seconds > 0;
        const uint32_t seconds = static_cast<uint32_t>(forward ? c.seconds : -c.seconds);
        problems.push_back(
            {ProblemKind::kClockChange, line.line, 0, s.start, s.end,
             std::string("the clock goes ") + (forward ? "forward" : "back") + " by " +
                 SecondsToDuration(seconds) + " at " + FileTimeToText(c.at) +
                 " for daylight saving time, inside its window from " + FileTimeToText(s.start) +
                 " to " + FileTimeToText(s.end) + ": that recording " +
                 (forward ? "is shorter, or missed" : "runs longer")});
      }
    }
  }
}

std::string SecondsText(FileTime ticks) {
  const FileTime seconds = ticks / kTicksPerSecond;
  std::string text = std::to_string(seconds) + " s";
  if (seconds <= std::numeric_limits<uint32_t>::max()) {
    text = SecondsToDuration(static_cast<uint32_t>(seconds)) + " (" + text + ")";
  }
  return text;
}

// The kinds' names in the JSON document, in the order of ProblemKind.
constexpr std::array<const char*, 14> kKindNames = {
    "too-short",       "not-an-entry",    "never-starts",    "read-error",
    "past-200th-line", "window-position", "same-name",       "overlap",
    "overlaps-itself", "clock-change",    "wake-timers-off", "modern-standby",
    "sign-in-on-wake", "no-scheduler"};
static_assert(kKindNames.size() == static_cast<std::size_t>(ProblemKind::kNoScheduler) + 1);

const char* KindName(ProblemKind kind) { return kKindNames[static_cast<std::size_t>(kind)]; }

// A JSON string of UTF-8 text: only what JSON requires is escaped, so the
// bytes of every character beyond ASCII pass as they are.
std::string Json(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonTime(FileTime point) { return Json(FileTimeToText(point)); }

// The scheduler's own notices for this machine, once a start lies ahead to wake for.
void AddPowerProblems(CheckReport& report) {
  bool wakes = false;
  for (const CheckedLine& line : report.lines) {
    for (const PredictedStart& s : line.starts) wakes = wakes || s.wake.has_value();
  }
  PowerFacts facts = report.power;
  facts.audioMode = report.audioMode;
  for (PowerNotice& notice : PowerNotices({WakeResult::kArmed, facts, wakes})) {
    const ProblemKind kind =
        notice.kind == PowerNoticeKind::kModernStandby  ? ProblemKind::kModernStandby
        : notice.kind == PowerNoticeKind::kSignInOnWake ? ProblemKind::kSignInOnWake
                                                        : ProblemKind::kWakeTimersOff;
    report.problems.push_back({kind, 0, 0, 0, 0, std::move(notice.text)});
  }
}

void AddNoScheduler(CheckReport& report, std::optional<bool> schedulerRunning) {
  if (schedulerRunning.value_or(true)) return;
  for (const CheckedLine& line : report.lines) {
    if (line.starts.empty()) continue;
    report.problems.push_back({ProblemKind::kNoScheduler, 0, 0, 0, 0, kNoSchedulerProblem});
    return;
  }
}

std::string JsonWakeTimersOff(const PowerFacts& facts) {
  const WakeTimerPlan plan = WakeTimersThatMatter(facts);
  const bool ac = plan.onAc == WakeTimerSetting::kDisabled;
  const bool battery = plan.onBattery == WakeTimerSetting::kDisabled;
  return std::string(", \"off\": [") + (ac ? "\"ac\"" : "") + (ac && battery ? ", " : "") +
         (battery ? "\"battery\"" : "") + "]";
}

}  // namespace

// Converted before it is escaped: in a double-byte code page a character's
// second byte may be a backslash.
std::string JsonText(std::string_view text, const ToUtf8& toUtf8) { return Json(toUtf8(text)); }

std::vector<ClockChange> ClockChangesOfYear(int year, const ZoneRules& zone) {
  std::vector<ClockChange> changes;
  const int64_t seconds = int64_t{zone.standardBias - zone.daylightBias} * 60;
  if (seconds == 0) return changes;
  if (const auto at = RuleTime(year, zone.toDaylight)) changes.push_back({*at, seconds});
  if (const auto at = RuleTime(year, zone.toStandard)) changes.push_back({*at, -seconds});
  return changes;
}

CheckReport RunScheduleCheck(std::string_view contents, const CheckOptions& options) {
  const Passes passes(options);
  CheckReport report;
  report.from = passes.First();
  report.until = passes.Until();
  report.days = options.days;
  report.audioMode = options.audioMode;
  report.power = options.power;
  if (TooShortToSchedule(contents)) {
    report.messages.push_back(kNoRecordingsMessage);
    report.problems.push_back({ProblemKind::kTooShort, 0, 0, 0, 0,
                               "the file holds fewer than " + std::to_string(kMinimumScheduleSize) +
                                   " bytes: the scheduler says " + Quoted(kNoRecordingsMessage) +
                                   " and stays disabled"});
    return report;
  }

  std::vector<ExaminedLine> examined;
  LineReader reader(contents);
  std::string_view text;
  for (std::size_t i = 0; reader.Next(text); ++i) {
    LineValues values;
    const Extraction x = ExtractEntryLine(text, values);
    const std::size_t number = i + 1;
    if (i >= kSlotCount) {
      if (x.kind == LineKind::kEntry) {
        report.problems.push_back(
            {ProblemKind::kPastLastLine, number, 0, 0, 0,
             "past the " + std::to_string(kSlotCount) + "th line: the scheduler never reads it"});
      }
      continue;
    }
    if (x.readError) {
      const std::string stops = "the scheduler stops after its first pass (" +
                                Quoted(kReadErrorMessage) + ") and starts nothing";
      report.problems.push_back({ProblemKind::kReadError, number, 0, 0, 0,
                                 "no \" PROG: \" after \" REPEAT: \": " + stops});
    }
    if (x.kind == LineKind::kEntry) {
      examined.push_back({i, std::move(values)});
    } else if (!Blank(text)) {
      report.problems.push_back({ProblemKind::kNotEntry, number, 0, 0, 0, NotEntryReason(text)});
    }
  }

  std::map<std::size_t, std::vector<PredictedStart>> starts;
  std::map<std::size_t, OwnOverlaps> ownOverlaps;
  std::optional<std::size_t> refusedLine;
  ActiveSlots slots;
  FollowPasses(contents, options.now, passes.Until(), options.audioMode, slots,
               [&](FileTime second, const PassDecision& pass) {
                 for (const OwnOverlap& o : pass.ownOverlaps) {
                   auto [it, added] = ownOverlaps.try_emplace(o.line, OwnOverlaps{o, {}});
                   auto& seen = it->second.starts;
                   if (std::find(seen.begin(), seen.end(), o.start) == seen.end()) {
                     seen.push_back(o.start);
                   }
                 }
                 if (pass.StopsEngine()) {
                   report.stopped = second;
                   refusedLine = pass.refusedPosition;
                   if (refusedLine) report.messages.push_back(kPositionErrorMessage);
                   if (pass.readError) report.messages.push_back(kReadErrorMessage);
                   return false;
                 }
                 for (const OpenedLine& opened : pass.opened) {
                   // The first pass is the enable: nothing to wake for then.
                   std::optional<FileTime> wake;
                   if (second > passes.First()) wake = WakeTimeFor(second);
                   starts[opened.line].push_back(
                       {second, opened.values.startTime, opened.values.endTime, wake});
                 }
                 return true;
               });

  for (ExaminedLine& line : examined) {
    const std::size_t number = line.index + 1;
    report.lines.push_back({number, line.values.timeName, std::move(starts[line.index])});
    const std::string never = NeverStartsReason(line.values, passes);
    if (!never.empty()) {
      report.problems.push_back({ProblemKind::kNeverStarts, number, 0, 0, 0, never});
    } else if (!WindowPositionAccepted(line.values.timePos, options.audioMode)) {
      std::string reason = "window position " + Quoted(line.values.timePos) + " is refused: ";
      reason += refusedLine == line.index
                    ? "when its window opens at " + FileTimeToText(*report.stopped) +
                          " the scheduler says " + Quoted(kPositionErrorMessage) +
                          " and starts nothing more; recordings then running get their stop "
                          "requests until the message is answered, and the scheduler stops then"
                    : "the scheduler would stop when its window opens (" +
                          Quoted(kPositionErrorMessage) + ")";
      report.problems.push_back({ProblemKind::kWindowPosition, number, 0, 0, 0, reason});
    }
  }

  const ScheduleList list = ReadRows(contents);
  for (const ListRow& row : list.rows) {
    const ListRow* first = RowReplacedBySave(list, row.fields.timeName);
    if (first->lineNumber == row.lineNumber) continue;
    report.problems.push_back(
        {ProblemKind::kSameName, row.lineNumber + 1, first->lineNumber + 1, 0, 0,
         "same name as line " + std::to_string(first->lineNumber + 1) + ": a save of " +
             Quoted(row.fields.timeName) + " replaces only that line"});
  }
  AddOverlaps(report, report.problems);
  AddOwnOverlaps(ownOverlaps, report.problems);
  AddClockChanges(report, options.clockChanges, report.problems);
  std::stable_sort(report.problems.begin(), report.problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  AddPowerProblems(report);
  AddNoScheduler(report, options.schedulerRunning);
  return report;
}

std::string CheckReportText(const CheckReport& r) {
  std::string out = "From " + FileTimeToText(r.from) + ", " + std::to_string(r.days) +
                    (r.days == 1 ? " day" : " days") + (r.audioMode ? ", audio mode" : "") + ":\n";
  for (const CheckedLine& line : r.lines) {
    out += "line " + std::to_string(line.line) + "  " + line.name + "\n";
    if (line.starts.empty()) out += "  no start\n";
    for (const PredictedStart& s : line.starts) {
      out += "  " + FileTimeToText(s.start) + " to " + FileTimeToText(s.end) + ", " +
             SecondsText(s.end - s.start);
      if (s.request != s.start) {
        out += s.request == r.from ? ", already open: starts at once"
                                   : ", starts at " + FileTimeToText(s.request) +
                                         " as its own window before ends";
      }
      if (s.wake) out += ", wake " + FileTimeToText(*s.wake);
      out += "\n";
    }
  }
  out += r.problems.empty() ? "No problems.\n" : "Problems:\n";
  for (const Problem& p : r.problems) {
    std::string where = p.line == 0 ? "file: " : "line " + std::to_string(p.line) + ": ";
    if (p.kind == ProblemKind::kWakeTimersOff || p.kind == ProblemKind::kSignInOnWake)
      where = "power plan: ";
    if (p.kind == ProblemKind::kModernStandby) where = "computer: ";
    if (p.kind == ProblemKind::kNoScheduler) where.clear();  // it names its own place
    out += where + p.reason + "\n";
  }
  return out;
}

std::string CheckReportJson(const CheckReport& r, const ToUtf8& toUtf8) {
  std::string out = "{\n  \"from\": " + JsonTime(r.from) + ",\n  \"until\": " + JsonTime(r.until) +
                    ",\n  \"days\": " + std::to_string(r.days) +
                    ",\n  \"audio\": " + (r.audioMode ? "true" : "false") +
                    ",\n  \"stopped\": " + (r.stopped ? JsonTime(*r.stopped) : "null") +
                    ",\n  \"lines\": [";
  for (std::size_t i = 0; i < r.lines.size(); ++i) {
    const CheckedLine& line = r.lines[i];
    out += std::string(i ? "," : "") + "\n    {\"line\": " + std::to_string(line.line) +
           ", \"name\": " + JsonText(line.name, toUtf8) + ", \"starts\": [";
    for (std::size_t k = 0; k < line.starts.size(); ++k) {
      const PredictedStart& s = line.starts[k];
      out += std::string(k ? "," : "") + "\n      {\"request\": " + JsonTime(s.request) +
             ", \"start\": " + JsonTime(s.start) + ", \"end\": " + JsonTime(s.end) +
             ", \"seconds\": " + std::to_string((s.end - s.start) / kTicksPerSecond) +
             ", \"wake\": " + (s.wake ? JsonTime(*s.wake) : "null") + "}";
    }
    out += line.starts.empty() ? "]}" : "\n    ]}";
  }
  out += r.lines.empty() ? "],\n  \"problems\": [" : "\n  ],\n  \"problems\": [";
  for (std::size_t i = 0; i < r.problems.size(); ++i) {
    const Problem& p = r.problems[i];
    out += std::string(i ? "," : "") + "\n    {\"line\": " + std::to_string(p.line) +
           ", \"kind\": \"" + KindName(p.kind) + "\"";
    if (p.otherLine != 0) out += ", \"other\": " + std::to_string(p.otherLine);
    if (p.kind == ProblemKind::kOverlap || p.kind == ProblemKind::kOverlapsItself ||
        p.kind == ProblemKind::kClockChange)
      out += ", \"from\": " + JsonTime(p.from) + ", \"to\": " + JsonTime(p.to);
    if (p.kind == ProblemKind::kWakeTimersOff) out += JsonWakeTimersOff(r.power);
    out += ", \"reason\": " + JsonText(p.reason, toUtf8) + "}";
  }
  out += r.problems.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return out;
}

}  // namespace ormidal
