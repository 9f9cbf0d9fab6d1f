#include "history.h"

#include <cstdio>
#include <map>

#include "schedule_file.h"

namespace ormidal {
namespace {

enum Field : unsigned { kName = 1, kWindow = 2, kSeconds = 4, kMs = 8, kNext = 16 };

struct KindRow {
  HistoryKind kind;
  const char* word;
  const char* causeKey;  // nullptr: the event has no fixed word
  unsigned fields;
  const char* countKey;
  const char* textKey;  // the text is left out when empty
};

constexpr KindRow kKinds[] = {
    {HistoryKind::kStarted, "started", "how", 0, nullptr, nullptr},
    // next: the window field, left out when none.
    {HistoryKind::kEnded, "ended", "why", kNext, nullptr, nullptr},
    {HistoryKind::kEnabled, "enabled", nullptr, 0, "entries", nullptr},
    {HistoryKind::kDisabled, "disabled", "by", 0, nullptr, "why"},
    {HistoryKind::kStartSent, "start-sent", nullptr, kName | kWindow | kSeconds | kMs, nullptr,
     nullptr},
    {HistoryKind::kStopSent, "stop-sent", nullptr, kName | kWindow | kMs, nullptr, nullptr},
    {HistoryKind::kNotSent, "not-sent", "request", kName | kWindow, nullptr, "message"},
    {HistoryKind::kMissed, "missed", "while", kName | kWindow, nullptr, nullptr},
    {HistoryKind::kWakeArmed, "wake-armed", nullptr, kName | kWindow, nullptr, nullptr},
    {HistoryKind::kWoken, "woken", nullptr, kName | kWindow, nullptr, nullptr},
    {HistoryKind::kPowerUnavailable, "power-unavailable", "what", 0, nullptr, "why"},
    {HistoryKind::kDropped, "dropped", nullptr, 0, "count", nullptr},
    {HistoryKind::kRecorderStarted, "recorder-started", nullptr, kMs, nullptr, "path"},
};

struct CauseRow {
  HistoryCause cause;
  HistoryKind kind;
  const char* word;
  bool ofEntry = true;           // false: the event has no name and window
  const char* textKey = nullptr;  // instead of the kind's
};

// A kind's row with kNone is its word when the key is missing: lines of
// older schedulers have none.
constexpr CauseRow kCauses[] = {
    {HistoryCause::kNone, HistoryKind::kStarted, "user"},
    {HistoryCause::kRestarted, HistoryKind::kStarted, "restart"},
    {HistoryCause::kDialogClosed, HistoryKind::kEnded, "dialog-closed"},
    {HistoryCause::kRecordingProgramGone, HistoryKind::kEnded, "recording-program-gone"},
    {HistoryCause::kMainWindowClosed, HistoryKind::kEnded, "main-window-closed"},
    {HistoryCause::kCannotOpenSchedule, HistoryKind::kEnded, "cannot-open-schedule"},
    {HistoryCause::kWindowsShutdown, HistoryKind::kEnded, "windows-shutdown"},
    {HistoryCause::kWindowsRestart, HistoryKind::kEnded, "windows-restart"},
    {HistoryCause::kWindowsLogoff, HistoryKind::kEnded, "windows-logoff"},
    {HistoryCause::kByUser, HistoryKind::kDisabled, "user"},
    {HistoryCause::kByEdit, HistoryKind::kDisabled, "edit"},
    {HistoryCause::kByEngine, HistoryKind::kDisabled, "engine"},
    {HistoryCause::kStartRequest, HistoryKind::kNotSent, "start"},
    {HistoryCause::kStopRequest, HistoryKind::kNotSent, "stop"},
    {HistoryCause::kStartRecorder, HistoryKind::kNotSent, "start-recorder", false, "why"},
    {HistoryCause::kAsleep, HistoryKind::kMissed, "asleep"},
    {HistoryCause::kWhileDisabled, HistoryKind::kMissed, "disabled"},
    {HistoryCause::kClockChange, HistoryKind::kMissed, "clock-change"},
    {HistoryCause::kWhileRestarting, HistoryKind::kMissed, "restart"},
    {HistoryCause::kWake, HistoryKind::kPowerUnavailable, "wake"},
    {HistoryCause::kKeepAwake, HistoryKind::kPowerUnavailable, "keep-awake"},
};

const KindRow& RowOf(HistoryKind kind) {
  for (const KindRow& row : kKinds) {
    if (row.kind == kind) return row;
  }
  return kKinds[0];
}

const CauseRow* CauseOf(HistoryKind kind, HistoryCause cause) {
  for (const CauseRow& row : kCauses) {
    if (row.kind == kind && row.cause == cause) return &row;
  }
  return nullptr;
}

const CauseRow* CauseOf(HistoryKind kind, std::string_view word) {
  for (const CauseRow& row : kCauses) {
    if (row.kind == kind && row.word == word) return &row;
  }
  return nullptr;
}

// The fields a kind's event carries with this cause.
unsigned FieldsOf(const KindRow& row, const CauseRow* cause) {
  return cause != nullptr && !cause->ofEntry ? row.fields & ~(kName | kWindow) : row.fields;
}

const char* TextKeyOf(const KindRow& row, const CauseRow* cause) {
  return cause != nullptr && cause->textKey != nullptr ? cause->textKey : row.textKey;
}

std::string Escaped(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) return false;  // written escaped, so this is damage
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 'x': {
        const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

bool ReadCount(const std::string& text, uint32_t& value) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  const unsigned long long read = std::stoull(text);
  if (read > UINT32_MAX) return false;
  value = static_cast<uint32_t>(read);
  return true;
}

// Only the exact text the writer makes: the time text reader is lenient.
bool ReadTime(std::string_view text, FileTime& point) {
  point = GetFileTime(text);
  return point != 0 && FileTimeToText(point) == text;
}

}  // namespace

HistoryEvent NewHistoryEvent(HistoryKind kind, FileTime when) {
  HistoryEvent event;
  event.kind = kind;
  event.time = when - when % kTicksPerSecond;
  event.ms = static_cast<uint32_t>(when % kTicksPerSecond / (kTicksPerSecond / 1000));
  return event;
}

std::vector<HistoryField> HistoryFields(const HistoryEvent& e) {
  const KindRow& row = RowOf(e.kind);
  const CauseRow* cause = CauseOf(e.kind, e.cause);
  const unsigned has = FieldsOf(row, cause);
  const char* textKey = TextKeyOf(row, cause);
  std::vector<HistoryField> fields = {{"event", row.word}};
  if (row.causeKey != nullptr) fields.push_back({row.causeKey, cause ? cause->word : ""});
  if (has & kName) fields.push_back({"name", e.name});
  if (has & kWindow) fields.push_back({"window", FileTimeToText(e.window)});
  if (has & kSeconds) fields.push_back({"seconds", std::to_string(e.seconds), true});
  if (has & kMs) fields.push_back({"ms", std::to_string(e.ms), true});
  if ((has & kNext) && e.window != 0) fields.push_back({"next", FileTimeToText(e.window)});
  if (row.countKey != nullptr) fields.push_back({row.countKey, std::to_string(e.count), true});
  if (textKey != nullptr && !e.text.empty()) fields.push_back({textKey, e.text});
  return fields;
}

std::string HistoryLine(const HistoryEvent& event) {
  const std::vector<HistoryField> fields = HistoryFields(event);
  std::string line = FileTimeToText(event.time) + "\t" + fields[0].value;
  for (std::size_t i = 1; i < fields.size(); ++i) {
    line += "\t" + fields[i].key + "=" + Escaped(fields[i].value);
  }
  return line + "\r\n";
}

std::optional<HistoryEvent> ReadHistoryLine(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::vector<std::string_view> parts;
  for (std::size_t from = 0;;) {
    const std::size_t tab = line.find('\t', from);
    parts.push_back(line.substr(from, tab - from));
    if (tab == std::string_view::npos) break;
    from = tab + 1;
  }
  HistoryEvent e;
  if (parts.size() < 2 || !ReadTime(parts[0], e.time)) return std::nullopt;
  const KindRow* row = nullptr;
  for (const KindRow& s : kKinds) {
    if (parts[1] == s.word) row = &s;
  }
  if (row == nullptr) return std::nullopt;
  e.kind = row->kind;

  // Keys a newer scheduler adds are passed over; a key given twice is damage.
  std::map<std::string_view, std::string> values;
  for (std::size_t i = 2; i < parts.size(); ++i) {
    const std::size_t equals = parts[i].find('=');
    std::string value;
    if (equals == 0 || equals == std::string_view::npos ||
        !Unescape(parts[i].substr(equals + 1), value) ||
        !values.emplace(parts[i].substr(0, equals), std::move(value)).second) {
      return std::nullopt;
    }
  }
  auto value = [&](const char* key) -> const std::string* {
    const auto it = values.find(key);
    return it == values.end() ? nullptr : &it->second;
  };
  const CauseRow* cause = nullptr;
  if (row->causeKey != nullptr) {
    const std::string* word = value(row->causeKey);
    cause = word != nullptr ? CauseOf(e.kind, *word) : CauseOf(e.kind, HistoryCause::kNone);
    if (cause == nullptr) return std::nullopt;
    e.cause = cause->cause;
  }
  const unsigned has = FieldsOf(*row, cause);
  const char* textKey = TextKeyOf(*row, cause);
  const std::string* name = value("name");
  const std::string* window = value("window");
  const std::string* seconds = value("seconds");
  const std::string* ms = value("ms");
  const std::string* next = value("next");
  const std::string* count = row->countKey != nullptr ? value(row->countKey) : nullptr;
  if (((has & kName) && name == nullptr) ||
      ((has & kWindow) && (window == nullptr || !ReadTime(*window, e.window))) ||
      ((has & kSeconds) && (seconds == nullptr || !ReadCount(*seconds, e.seconds))) ||
      ((has & kMs) && (ms == nullptr || !ReadCount(*ms, e.ms))) ||
      ((has & kNext) && next != nullptr && !ReadTime(*next, e.window)) ||
      (row->countKey != nullptr && (count == nullptr || !ReadCount(*count, e.count)))) {
    return std::nullopt;
  }
  if (has & kName) e.name = *name;
  if (textKey != nullptr) {
    if (const std::string* text = value(textKey)) e.text = *text;
  }
  return e;
}

HistoryContents ReadHistory(std::string_view contents) {
  HistoryContents history;
  // Every line is written whole with its line end: a last line without one
  // was cut short.
  const bool cut = !contents.empty() && contents.back() != '\n';
  LineReader reader(contents);
  std::string_view line;
  while (reader.Next(line)) {
    if (cut && line.data() + line.size() == contents.data() + contents.size()) {
      ++history.damaged;
      continue;
    }
    if (line.empty() || line == "\r") continue;
    if (std::optional<HistoryEvent> event = ReadHistoryLine(line)) {
      history.events.push_back(std::move(*event));
    } else {
      ++history.damaged;
    }
  }
  return history;
}

std::string HistoryPathBeside(std::string_view schedulePath) {
  const std::size_t slash = schedulePath.find_last_of("\\/");
  if (slash == std::string_view::npos) return kHistoryFileName;
  return std::string(schedulePath.substr(0, slash + 1)) + kHistoryFileName;
}

std::string OlderHistoryPath(std::string_view historyPath) {
  constexpr std::string_view kLog = ".log";
  if (historyPath.ends_with(kLog)) historyPath.remove_suffix(kLog.size());
  return std::string(historyPath) + ".1.log";
}

}  // namespace ormidal
