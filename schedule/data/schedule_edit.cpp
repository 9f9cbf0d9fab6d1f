#include "schedule_edit.h"

#include <algorithm>
#include <set>

#include "text.h"

namespace ormidal {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::array<std::string_view, 6> kSeparators = {kUrlSeparator,    kStartSeparator,
                                                         kEndSeparator,    kRepeatSeparator,
                                                         kProgSeparator,   kWndSeparator};
constexpr std::string_view kCannotSave = "Cannot save data.";
constexpr std::string_view kCannotDelete = "Cannot delete data.";

// One line of the file as it is stored: its text without the line break
// (a CR right before the LF belongs to the break) and whether it has one.
struct StoredLine {
  std::string_view text;
  bool hasBreak = false;
};

std::vector<StoredLine> SplitLines(std::string_view contents) {
  std::vector<StoredLine> lines;
  LineReader reader(contents);
  std::string_view line;
  while (reader.Next(line)) {
    const bool hasBreak = line.data() + line.size() < contents.data() + contents.size();
    if (hasBreak && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back({line, hasBreak});
  }
  return lines;
}

}  // namespace

// The list reader reads like a text stream: CR LF is one LF, and a line is
// taken in pieces of at most kListLineLimit characters, each a line of its own.
ScheduleList ReadRows(std::string_view contents) {
  ScheduleList list;
  const std::vector<StoredLine> lines = SplitLines(contents);
  std::string streamLine;
  for (std::size_t number = 0; number < lines.size(); ++number) {
    streamLine.assign(lines[number].text);
    if (lines[number].hasBreak) streamLine += '\n';
    for (std::size_t at = 0; at < streamLine.size(); at += kListLineLimit) {
      std::string_view piece = std::string_view(streamLine).substr(at, kListLineLimit);
      if (piece.size() <= kShortLineLimit) continue;
      if (piece.back() == '\n') piece.remove_suffix(1);
      if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
      EntryFields fields;
      if (ExtractEntryLine(piece, fields, OutOfOrder::kEmptyField).kind == LineKind::kEntry) {
        list.rows.push_back({std::move(fields), number});
      }
    }
  }
  return list;
}

namespace {

// The contents with line `number` replaced by replacement (given with its
// break); every other line keeps its bytes.
std::string WithLine(std::string_view contents, std::size_t number, std::string_view replacement) {
  const std::vector<StoredLine> lines = SplitLines(contents);
  auto offset = [&](std::size_t k) {
    return k < lines.size() ? static_cast<std::size_t>(lines[k].text.data() - contents.data())
                            : contents.size();
  };
  std::string result(contents.substr(0, offset(number)));
  result.append(replacement);
  result.append(contents.substr(offset(number + 1)));
  return result;
}

bool SameFields(const EntryFields& a, const EntryFields& b) {
  return a.timeName == b.timeName && a.timeUrl == b.timeUrl && a.timeStart == b.timeStart &&
         a.timeEnd == b.timeEnd && a.timeDay == b.timeDay && a.timeProg == b.timeProg &&
         a.timePos == b.timePos;
}

std::string CannotOpen(const std::string& path, std::string_view consequence) {
  return "Cannot open the scheduler file " + path + ". " + std::string(consequence);
}

std::string CannotWrite(const std::string& path, const std::string& error,
                        std::string_view consequence) {
  const std::string why = PlainErrorText(error);
  return "Cannot write the scheduler file " + path + (why.empty() ? "" : " (" + why + ")") + ". " +
         std::string(consequence);
}

// Reads the file an edit works on, creating it when missing; when it cannot,
// the outcome says so, with what the edit could then not do.
bool ReadForEdit(const ScheduleFolder& folder, const std::string& path, std::string_view consequence,
                 std::string& contents, EditOutcome& outcome) {
  if (MakeFileExist(folder.files, path) && folder.files.Read(path, contents)) return true;
  outcome.message = CannotOpen(path, consequence);
  return false;
}

// Writes the edited contents; on failure the outcome tells why, with the
// rows of the file as it still is.
bool WriteEdit(const ScheduleFolder& folder, const std::string& path, std::string_view before,
               std::string_view after, std::string_view consequence, EditOutcome& outcome) {
  std::string error;
  if (ReplaceContents(folder.files, path, TemporaryPath(folder.settingsFolder), after, &error)) {
    outcome.rows = ReadRows(after);
    return true;
  }
  outcome.result = EditResult::kCannotWrite;
  outcome.message = CannotWrite(path, error, consequence);
  outcome.rows = ReadRows(before);
  return false;
}

// Why a save must not be stored, in the words of the dialog; empty when it
// may. A text holding a separator (also one it forms with the blank of the
// separator beside it) or a line break would read back as another entry,
// and a line longer than the list reader's pieces would lose its end.
std::string SaveRefusal(const EntryFields& e, std::size_t lineLength) {
  struct Text {
    std::string_view label;
    const std::string& text;
    std::string_view before, after;  // the blanks of the separators beside it
  };
  const std::array<Text, 4> texts = {Text{"File Name", e.timeName, "", " "},
                                     Text{"URL/File Path", e.timeUrl, " ", " "},
                                     Text{"Program Name", e.timeProg, " ", " "},
                                     Text{"Window position", e.timePos, " ", ""}};
  for (const Text& t : texts) {
    if (t.text.find_first_of("\r\n") != std::string::npos) {
      return "The " + std::string(t.label) + " contains a line break. " + std::string(kCannotSave);
    }
    const std::string joined = std::string(t.before) + t.text + std::string(t.after);
    for (const std::string_view separator : kSeparators) {
      if (fw::Contains(joined, separator)) {
        return "The " + std::string(t.label) + " contains \"" +
               std::string(separator.substr(1, separator.size() - 2)) +
               "\", which separates the fields of the scheduler file. " + std::string(kCannotSave);
      }
    }
  }
  if (lineLength > kFieldLimit) {
    const Text& longest = *std::max_element(texts.begin(), texts.end(), [](const Text& a, const Text& b) {
      return a.text.size() < b.text.size();
    });
    return "The entry is too long for the scheduler file (at most " + std::to_string(kFieldLimit) +
           " characters). Please shorten the " + std::string(longest.label) + ".";
  }
  return {};
}

}  // namespace

const ListRow* RowReplacedBySave(const ScheduleList& list, std::string_view timeName) {
  for (const ListRow& row : list.rows) {
    if (row.fields.timeName == timeName) return &row;
  }
  return nullptr;
}

std::array<std::string_view, kListColumnCount> ListRow::Columns() const {
  return {fields.timeName, fields.timeUrl,  fields.timeStart, fields.timeEnd,
          fields.timeDay,  fields.timeProg, fields.timePos};
}

std::string_view RefusalMessage(ComposeOutcome outcome) {
  switch (outcome) {
    case ComposeOutcome::kInvalidStart:
      return "Invalid start date (select a day in the calendar)";
    case ComposeOutcome::kStartNotBeforeEnd:
      return "Start time is later then end time";
    case ComposeOutcome::kNoRepeatMode:
      return "Please specify the Repeat mode";
    case ComposeOutcome::kComposed:
      break;
  }
  return {};
}

ComposeResult ComposeEntryLine(const EntryInput& in, PendingSave& pending) {
  ComposeResult result;
  CalendarRecord start = in.start;
  start.milliseconds = 0;
  CalendarRecord end;
  if (!RecordToFileTime(start, result.startTime)) return result;
  result.endTime = NewTime(result.startTime, 0, 0, in.hours, in.minutes, in.seconds);
  if (!(result.startTime < result.endTime)) {
    result.outcome = ComposeOutcome::kStartNotBeforeEnd;
    return result;
  }
  if (!FileTimeToRecord(result.endTime, end)) return result;

  std::string repeat;
  if (in.repeat.once) {
    repeat = " Once";
  } else if (in.repeat.daily) {
    repeat = " Daily";
  } else {
    for (std::size_t day = 0; day < kWeekDays; ++day) {
      if (in.repeat.days[day]) repeat.append(" ").append(kDayNames[day]);
    }
  }
  if (repeat.empty()) {
    result.outcome = ComposeOutcome::kNoRepeatMode;
    return result;
  }

  // The file name and URL are kept whole: a line too long is refused when
  // it is stored, never cut.
  EntryFields& e = pending.pendingEntry;
  e.timeName = in.fileName;
  e.timeUrl = in.url;
  e.timeProg = e.timeUrl.empty() ? std::string() : fw::Clip(in.programName, kProgramNameLimit);
  e.timePos = in.audioMode ? std::string() : fw::Clip(in.windowPosition, kWindowRectangleLimit);
  e.timeStart = JoinTimePieces(TimeToText(start));
  e.timeEnd = JoinTimePieces(TimeToText(end));
  e.timeDay = fw::Clip(repeat, kRepeatValueLimit);

  std::string& line = pending.pendingLine;
  line.assign(e.timeName).append(kUrlSeparator).append(e.timeUrl);
  line.append(kStartSeparator).append(e.timeStart).append(kEndSeparator).append(e.timeEnd);
  line.append(" REPEAT:").append(e.timeDay);
  result.outcome = ComposeOutcome::kComposed;
  return result;
}

EditOutcome LoadScheduleList(const ScheduleFolder& folder) {
  EditOutcome outcome;
  const std::string path = SchedulePath(folder.settingsFolder);
  std::string contents;
  if (!ReadForEdit(folder, path, kCannotSave, contents, outcome)) return outcome;
  outcome.result = EditResult::kRead;
  outcome.rows = ReadRows(contents);
  return outcome;
}

EditOutcome SaveEntryLine(const ScheduleFolder& folder, const PendingSave& pending) {
  EditOutcome outcome;
  const EntryFields& entry = pending.pendingEntry;
  std::string line = pending.pendingLine;
  line.append(kProgSeparator).append(entry.timeProg).append(kWndSeparator).append(entry.timePos);
  outcome.message = SaveRefusal(entry, line.size());
  if (!outcome.message.empty()) {
    outcome.result = EditResult::kRefused;
    return outcome;
  }

  const std::string path = SchedulePath(folder.settingsFolder);
  std::string contents;
  if (!ReadForEdit(folder, path, kCannotSave, contents, outcome)) return outcome;
  line.append(kLineBreak);
  const ScheduleList now = ReadRows(contents);
  const ListRow* match = RowReplacedBySave(now, entry.timeName);
  std::string edited;
  if (match != nullptr) {
    outcome.result = EditResult::kReplaced;
    edited = WithLine(contents, match->lineNumber, line);
  } else {
    outcome.result = EditResult::kAppended;
    edited = contents;
    // A last line without a break would otherwise swallow the new entry.
    if (!edited.empty() && edited.back() != '\n') edited += kLineBreak;
    edited += line;
  }
  WriteEdit(folder, path, contents, edited, kCannotSave, outcome);
  return outcome;
}

ChangeOutcome ChangeEntry(const ScheduleList& shown, const std::vector<std::size_t>& selected) {
  ChangeOutcome outcome;
  if (shown.rows.empty()) return outcome;
  const auto first = std::min_element(selected.begin(), selected.end());
  if (first == selected.end() || *first >= shown.rows.size()) {
    outcome.message = "No items selected";
    return outcome;
  }
  CurrentEntry entry;
  static_cast<EntryFields&>(entry) = shown.rows[*first].fields;
  entry.startTime = GetFileTime(entry.timeStart);
  entry.endTime = GetFileTime(entry.timeEnd);
  outcome.entry = std::move(entry);
  return outcome;
}

EditOutcome DeleteEntryLines(const ScheduleFolder& folder, const ScheduleList& shown,
                             const std::vector<std::size_t>& selected) {
  EditOutcome outcome;
  const std::string path = SchedulePath(folder.settingsFolder);
  std::string contents;
  if (!ReadForEdit(folder, path, kCannotDelete, contents, outcome)) return outcome;

  // The rows name lines by number; that holds only while the file still
  // reads as it did when the rows were made.
  const ScheduleList now = ReadRows(contents);
  std::set<std::size_t> doomed;
  for (const std::size_t index : selected) {
    if (index >= shown.rows.size()) continue;
    const ListRow& row = shown.rows[index];
    const bool stillThere = std::any_of(now.rows.begin(), now.rows.end(), [&](const ListRow& r) {
      return r.lineNumber == row.lineNumber && SameFields(r.fields, row.fields);
    });
    if (!stillThere) {
      outcome.result = EditResult::kOutdated;
      outcome.message =
          "The scheduler file has changed since the list was read. Nothing was deleted. Please "
          "select the items again.";
      outcome.rows = now;
      return outcome;
    }
    doomed.insert(row.lineNumber);
  }

  std::string kept;
  kept.reserve(contents.size());
  const std::vector<StoredLine> lines = SplitLines(contents);
  for (std::size_t number = 0; number < lines.size(); ++number) {
    if (doomed.count(number) != 0) continue;
    kept.append(lines[number].text);
    if (lines[number].hasBreak) kept.append(kLineBreak);
  }
  outcome.result = EditResult::kDeleted;
  WriteEdit(folder, path, contents, kept, kCannotDelete, outcome);
  return outcome;
}

}  // namespace ormidal
