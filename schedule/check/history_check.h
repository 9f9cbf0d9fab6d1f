// ormidal-check --history and --since: the scheduler's history beside the
// schedule file, and what the schedule says should have been sent held
// against what the history says was sent. The prediction is the check's own
// (RunScheduleCheck from the --since time), so no rule is repeated here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "history.h"
#include "schedule_check.h"

namespace ormidal {

constexpr std::size_t kHistoryEventsShown = 20;
constexpr std::size_t kHistoryEventsLimit = 99999;

struct HistoryQuery {
  std::string schedulePath;
  std::optional<std::size_t> last;  // --history: the last this many events
  std::optional<FileTime> since;    // --since
  CheckOptions options;             // now: the end of --since; audioMode
  bool json = false;
  ToUtf8 toUtf8;  // for JSON
};

// One predicted start and what the history shows of it.
struct PredictedOutcome {
  std::size_t line = 0;
  std::string name;
  PredictedStart start;
  const HistoryEvent* sent = nullptr;    // the start request the history holds
  const HistoryEvent* reason = nullptr;  // without one: a not-sent or missed event
  bool Late() const { return sent != nullptr && sent->time > start.request; }
};

struct SinceReport {
  FileTime since = 0;
  FileTime until = 0;
  std::vector<PredictedOutcome> predicted;        // by request time
  std::vector<const HistoryEvent*> unpredicted;  // sent from since on, not predicted
  std::size_t missed = 0;
  std::size_t damaged = 0;
};

// Predicted starts whose request falls from since up to until, against the
// history's starts of the same name and window. The report points into history.
SinceReport CompareWithHistory(const CheckReport& check, const HistoryContents& history,
                               FileTime since, FileTime until);

std::string SinceReportText(const SinceReport& report);
std::string SinceReportJson(const SinceReport& report, const ToUtf8& toUtf8);
std::string LastEventsText(const HistoryContents& history, std::size_t count);
std::string LastEventsJson(const HistoryContents& history, std::size_t count, const ToUtf8& toUtf8);

// Runs --history or --since: 0, or 1 when a predicted start was missed; 2
// with error set when a file cannot be read or the span is wrong.
int RunHistoryQuery(const HistoryQuery& query, FileSystem& files, std::string& out,
                    std::string& error);

}  // namespace ormidal
