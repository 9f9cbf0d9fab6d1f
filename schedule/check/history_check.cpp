#include "history_check.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

namespace ormidal {
namespace {

constexpr FileTime kTicksPerDay = 86400 * kTicksPerSecond;
constexpr FileTime kTicksPerMs = kTicksPerSecond / 1000;

using WindowKey = std::pair<std::string, FileTime>;  // an entry's name and window start

WindowKey KeyOf(const HistoryEvent& event) { return {event.name, event.window}; }

uint64_t LateMs(const PredictedOutcome& p) {
  return (p.sent->time - p.start.request) / kTicksPerMs + p.sent->ms;
}

std::string MissedReason(const HistoryEvent* reason) {
  if (reason == nullptr) return "no start in the history";
  if (reason->kind == HistoryKind::kNotSent) return "not sent: \"" + reason->text + "\"";
  if (reason->cause == HistoryCause::kClockChange) return "the clock was put forward";
  if (reason->cause == HistoryCause::kAsleep) return "the PC was asleep";
  if (reason->cause == HistoryCause::kWhileRestarting) return "the PC restarted";
  return "the scheduler was disabled";
}

std::string SentText(const HistoryEvent& sent) {
  return FileTimeToText(sent.time) + " +" + std::to_string(sent.ms) + " ms";
}

// The event's line as one line of the terminal.
std::string EventText(const HistoryEvent& event) {
  std::string line = HistoryLine(event);
  line.resize(line.size() - 2);
  std::string out;
  for (const char c : line) out += c == '\t' ? std::string("  ") : std::string(1, c);
  return out + "\n";
}

std::string EventJson(const HistoryEvent& event, const ToUtf8& toUtf8) {
  std::string out = "{\"time\": " + JsonText(FileTimeToText(event.time), toUtf8);
  for (const HistoryField& field : HistoryFields(event)) {
    out += ", " + JsonText(field.key, toUtf8) + ": " +
           (field.number ? field.value : JsonText(field.value, toUtf8));
  }
  return out + "}";
}

std::string DamagedText(std::size_t damaged) {
  if (damaged == 0) return {};
  return std::to_string(damaged) + (damaged == 1 ? " damaged line" : " damaged lines") +
         " of the history skipped.\n";
}

std::size_t FirstShown(const HistoryContents& history, std::size_t count) {
  return history.events.size() > count ? history.events.size() - count : 0;
}

bool ReadHistories(FileSystem& files, const std::string& schedulePath, HistoryContents& history,
                   std::string& error) {
  const std::string path = HistoryPathBeside(schedulePath);
  std::string older;
  std::string current;
  const bool readOlder = files.Read(OlderHistoryPath(path), older);
  const bool readCurrent = files.Read(path, current);
  if (!readOlder && !readCurrent) {
    error = "cannot read the history \"" + path + "\"";
    return false;
  }
  history = ReadHistory(older);
  HistoryContents newer = ReadHistory(current);
  history.events.insert(history.events.end(), std::make_move_iterator(newer.events.begin()),
                        std::make_move_iterator(newer.events.end()));
  history.damaged += newer.damaged;
  return true;
}

}  // namespace

SinceReport CompareWithHistory(const CheckReport& check, const HistoryContents& history,
                               FileTime since, FileTime until) {
  SinceReport report;
  report.since = since;
  report.until = until;
  report.damaged = history.damaged;
  std::multimap<WindowKey, const HistoryEvent*> starts;
  std::map<WindowKey, const HistoryEvent*> reasons;
  for (const HistoryEvent& event : history.events) {
    if (event.kind == HistoryKind::kStartSent) starts.emplace(KeyOf(event), &event);
    const bool startNotSent =
        event.kind == HistoryKind::kNotSent && event.cause == HistoryCause::kStartRequest;
    if (startNotSent || event.kind == HistoryKind::kMissed) reasons.emplace(KeyOf(event), &event);
  }
  for (const CheckedLine& line : check.lines) {
    for (const PredictedStart& start : line.starts) {
      if (start.request < since || start.request >= until) continue;
      report.predicted.push_back({line.line, line.name, start});
    }
  }
  std::stable_sort(report.predicted.begin(), report.predicted.end(),
                   [](const PredictedOutcome& a, const PredictedOutcome& b) {
                     return a.start.request < b.start.request;
                   });
  for (PredictedOutcome& p : report.predicted) {
    // A window sent more than once is matched by its first start.
    const WindowKey key{p.name, p.start.start};
    const auto sent = starts.find(key);
    if (sent != starts.end()) {
      p.sent = sent->second;
      starts.erase(sent);
      continue;
    }
    const auto reason = reasons.find(key);
    if (reason != reasons.end()) p.reason = reason->second;
    ++report.missed;
  }
  for (const auto& [key, event] : starts) {
    if (event->time >= since && event->time < until) report.unpredicted.push_back(event);
  }
  std::stable_sort(report.unpredicted.begin(), report.unpredicted.end(),
                   [](const HistoryEvent* a, const HistoryEvent* b) { return a->time < b->time; });
  return report;
}

std::string SinceReportText(const SinceReport& r) {
  std::string out = "From " + FileTimeToText(r.since) + " to " + FileTimeToText(r.until) +
                    ", the schedule against its history:\n";
  if (r.predicted.empty()) out += "No start predicted.\n";
  std::size_t late = 0;
  for (const PredictedOutcome& p : r.predicted) {
    out += FileTimeToText(p.start.request) + "  line " + std::to_string(p.line) + "  " + p.name +
           ": ";
    if (p.sent == nullptr) {
      out += "MISSED: " + MissedReason(p.reason) + "\n";
    } else if (p.Late()) {
      ++late;
      const uint64_t ms = LateMs(p);
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%llu.%03llu", static_cast<unsigned long long>(ms / 1000),
                    static_cast<unsigned long long>(ms % 1000));
      out += "sent " + SentText(*p.sent) + ", " + seconds + " s late\n";
    } else {
      out += "sent " + SentText(*p.sent) + "\n";
    }
  }
  if (!r.unpredicted.empty()) out += "Sent but not predicted:\n";
  for (const HistoryEvent* e : r.unpredicted) {
    out += SentText(*e) + "  " + e->name + " (window from " + FileTimeToText(e->window) + ", " +
           std::to_string(e->seconds) + " s)\n";
  }
  out += std::to_string(r.predicted.size()) + " predicted, " +
         std::to_string(r.predicted.size() - r.missed) + " sent (" + std::to_string(late) +
         " late), " + std::to_string(r.missed) + " missed; " + std::to_string(r.unpredicted.size()) +
         " sent but not predicted.\n";
  return out + DamagedText(r.damaged);
}

std::string SinceReportJson(const SinceReport& r, const ToUtf8& toUtf8) {
  std::string out = "{\n  \"since\": " + JsonText(FileTimeToText(r.since), toUtf8) +
                    ",\n  \"until\": " + JsonText(FileTimeToText(r.until), toUtf8) +
                    ",\n  \"predicted\": [";
  for (std::size_t i = 0; i < r.predicted.size(); ++i) {
    const PredictedOutcome& p = r.predicted[i];
    out += std::string(i ? "," : "") + "\n    {\"line\": " + std::to_string(p.line) +
           ", \"name\": " + JsonText(p.name, toUtf8) +
           ", \"request\": " + JsonText(FileTimeToText(p.start.request), toUtf8) +
           ", \"window\": " + JsonText(FileTimeToText(p.start.start), toUtf8) +
           ", \"seconds\": " + std::to_string((p.start.end - p.start.start) / kTicksPerSecond);
    if (p.sent == nullptr) {
      out += ", \"outcome\": \"missed\", \"reason\": " + JsonText(MissedReason(p.reason), toUtf8) +
             "}";
      continue;
    }
    out += std::string(", \"outcome\": ") + (p.Late() ? "\"late\"" : "\"sent\"") +
           ", \"sent\": " + JsonText(FileTimeToText(p.sent->time), toUtf8) +
           ", \"ms\": " + std::to_string(p.sent->ms);
    if (p.Late()) out += ", \"late_ms\": " + std::to_string(LateMs(p));
    out += "}";
  }
  out += r.predicted.empty() ? "],\n  \"unpredicted\": [" : "\n  ],\n  \"unpredicted\": [";
  for (std::size_t i = 0; i < r.unpredicted.size(); ++i) {
    out += std::string(i ? "," : "") + "\n    " + EventJson(*r.unpredicted[i], toUtf8);
  }
  out += r.unpredicted.empty() ? "]" : "\n  ]";
  return out + ",\n  \"missed\": " + std::to_string(r.missed) +
         ",\n  \"damaged\": " + std::to_string(r.damaged) + "\n}\n";
}

std::string LastEventsText(const HistoryContents& history, std::size_t count) {
  std::string out = history.events.empty() ? "No events in the history.\n" : "";
  for (std::size_t i = FirstShown(history, count); i < history.events.size(); ++i) {
    out += EventText(history.events[i]);
  }
  return out + DamagedText(history.damaged);
}

std::string LastEventsJson(const HistoryContents& history, std::size_t count,
                           const ToUtf8& toUtf8) {
  std::string out = "{\n  \"events\": [";
  const std::size_t first = FirstShown(history, count);
  for (std::size_t i = first; i < history.events.size(); ++i) {
    out += std::string(i > first ? "," : "") + "\n    " + EventJson(history.events[i], toUtf8);
  }
  out += first < history.events.size() ? "\n  ]" : "]";
  return out + ",\n  \"damaged\": " + std::to_string(history.damaged) + "\n}\n";
}

int RunHistoryQuery(const HistoryQuery& query, FileSystem& files, std::string& out,
                    std::string& error) {
  HistoryContents history;
  if (query.last) {
    if (!ReadHistories(files, query.schedulePath, history, error)) return 2;
    out += query.json ? LastEventsJson(history, *query.last, query.toUtf8)
                      : LastEventsText(history, *query.last);
    return 0;
  }
  FileTime until = 0;
  RecordToFileTime(query.options.now, until);
  until -= until % kTicksPerSecond;
  const FileTime since = *query.since;
  if (since >= until || until - since > kCheckDaysLimit * kTicksPerDay) {
    error = "--since needs a time before now, at most " + std::to_string(kCheckDaysLimit) +
            " days before it";
    return 2;
  }
  std::string contents;
  if (!files.Read(query.schedulePath, contents)) {
    error = "cannot read \"" + query.schedulePath + "\"";
    return 2;
  }
  if (!ReadHistories(files, query.schedulePath, history, error)) return 2;
  CheckOptions options = query.options;
  FileTimeToRecord(since, options.now);
  options.days = static_cast<int>((until - since + kTicksPerDay - 1) / kTicksPerDay);
  const SinceReport report =
      CompareWithHistory(RunScheduleCheck(contents, options), history, since, until);
  out += query.json ? SinceReportJson(report, query.toUtf8) : SinceReportText(report);
  return report.missed > 0 ? 1 : 0;
}

}  // namespace ormidal
