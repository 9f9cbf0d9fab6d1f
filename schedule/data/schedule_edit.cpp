#include "schedule_edit.h"

#include <algorithm>
#include <set>

#include "text.h"

namespace ormidal {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kEmptyRepeat = "Once";
constexpr std::array<std::string_view, kWeekDays> kDayTexts = {" Sun", " Mon", " Tue", " Wed",
                                                               " Thu", " Fri", " Sat"};

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

std::string EntryLine(const EntryFields& f) {
  std::string line;
  line.append(f.timeName).append(kUrlSeparator).append(f.timeUrl);
  line.append(kStartSeparator).append(f.timeStart).append(kEndSeparator).append(f.timeEnd);
  line.append(kRepeatSeparator).append(f.timeDay.empty() ? kEmptyRepeat : f.timeDay);
  line.append(kProgSeparator).append(f.timeProg).append(kWndSeparator).append(f.timePos);
  return line.append(kLineBreak);
}

// The row a re-reading of the stored entry would give.
EntryFields RowOfPending(const PendingSave& pending) {
  EntryFields row = pending.pendingEntry;
  if (!row.timeDay.empty() && row.timeDay.front() == ' ') row.timeDay.erase(0, 1);
  return row;
}

bool SameFields(const EntryFields& a, const EntryFields& b) {
  return a.timeName == b.timeName && a.timeUrl == b.timeUrl && a.timeStart == b.timeStart &&
         a.timeEnd == b.timeEnd && a.timeDay == b.timeDay && a.timeProg == b.timeProg &&
         a.timePos == b.timePos;
}

}  // namespace

// The list reader reads like a text stream: CR LF is one LF, and a line is
// taken in pieces of at most kListLineLimit characters, each a line of its own.
void ReadRows(std::string_view contents, ScheduleList& list, CurrentEntry& current) {
  list.rows.clear();
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
      const Extraction x = ExtractEntryLine(piece, fields, OutOfOrder::kEmptyField);
      static_cast<EntryFields&>(current) = fields;
      if (x.kind == LineKind::kEntry) list.rows.push_back({std::move(fields), number});
    }
  }
}

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
    case ComposeOutcome::kStartNotBeforeEnd:
      return "Start time is later then end time";
    case ComposeOutcome::kNoRepeatMode:
      return "Please specify the Repeat mode";
    case ComposeOutcome::kInvalidStart:
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
      if (in.repeat.days[day]) repeat += kDayTexts[day];
    }
  }
  if (repeat.empty()) {
    result.outcome = ComposeOutcome::kNoRepeatMode;
    return result;
  }

  EntryFields& e = pending.pendingEntry;
  e.timeName = fw::Clip(in.fileName, kFieldLimit);
  e.timeUrl = fw::Clip(in.url, kFieldLimit);
  e.timeProg = e.timeUrl.empty() ? std::string() : fw::Clip(in.programName, kProgramNameLimit);
  e.timePos = in.audioMode ? std::string() : fw::Clip(in.windowPosition, kWindowRectangleLimit);
  e.timeStart = JoinTimePieces(TimeToText(start));
  e.timeEnd = JoinTimePieces(TimeToText(end));
  e.timeDay = fw::Clip(repeat, kRepeatValueLimit);

  std::string line;
  line.append(e.timeName).append(kUrlSeparator).append(e.timeUrl);
  line.append(kStartSeparator).append(e.timeStart).append(kEndSeparator).append(e.timeEnd);
  line.append(" REPEAT:").append(e.timeDay);
  pending.pendingLine = fw::Clip(line, kPendingLineLimit);
  result.outcome = ComposeOutcome::kComposed;
  return result;
}

ListLoad LoadScheduleList(std::string_view settingsFolder, ListMode mode, ScheduleList& list,
                          CurrentEntry& current, const PendingSave& pending, EditSeams& seams) {
  ListLoad load;
  list.rows.clear();
  const std::string path = SchedulePath(settingsFolder);
  std::string contents;
  if (!MakeFileExist(seams.files, path) || !seams.files.Read(path, contents)) {
    seams.host.SchedulerMessage("Cannot open the scheduler file " + path + ". Cannot save data.",
                                kMessageOk);
    return load;
  }
  if (seams.readError != nullptr) seams.readError->store(0);
  ReadRows(contents, list, current);
  load.read = true;
  if (mode == ListMode::kNormal) load.save = SaveEntryLine(settingsFolder, pending, list, seams.files);
  return load;
}

SaveResult SaveEntryLine(std::string_view settingsFolder, const PendingSave& pending,
                         ScheduleList& list, FileSystem& files) {
  if (pending.pendingLine.empty()) return SaveResult::kNothingPending;
  const std::string path = SchedulePath(settingsFolder);
  const std::string temporary = TemporaryPath(settingsFolder);
  const EntryFields row = RowOfPending(pending);

  if (const ListRow* match = RowReplacedBySave(list, pending.pendingEntry.timeName)) {
    std::vector<ListRow> rows = list.rows;
    rows[static_cast<std::size_t>(match - list.rows.data())].fields = row;
    std::string contents;
    for (std::size_t k = 0; k < rows.size(); ++k) {
      contents += EntryLine(rows[k].fields);
      rows[k].lineNumber = k;
    }
    if (!ReplaceContents(files, path, temporary, contents)) return SaveResult::kFailed;
    list.rows = std::move(rows);
    return SaveResult::kReplaced;
  }

  // Appending rewrites the file too, so that a failed write cannot leave
  // half a line at its end.
  std::string contents;
  if (!files.Read(path, contents)) return SaveResult::kFailed;
  // A last line without a break would otherwise swallow the new entry.
  if (!contents.empty() && contents.back() != '\n') contents += kLineBreak;
  const std::size_t lineNumber = SplitLines(contents).size();
  contents.append(pending.pendingLine).append(kProgSeparator).append(pending.pendingEntry.timeProg);
  contents.append(kWndSeparator).append(pending.pendingEntry.timePos).append(kLineBreak);
  if (!ReplaceContents(files, path, temporary, contents)) return SaveResult::kFailed;
  list.rows.push_back({row, lineNumber});
  return SaveResult::kAppended;
}

DeleteResult DeleteEntryLines(std::string_view settingsFolder, ScheduleList& list,
                              const std::vector<std::size_t>& selected, CurrentEntry& current,
                              EditSeams& seams) {
  if (seams.disableScheduler) seams.disableScheduler();
  const std::string path = SchedulePath(settingsFolder);
  std::string contents;
  if (!MakeFileExist(seams.files, path) || !seams.files.Read(path, contents)) {
    return DeleteResult::kFailed;
  }

  // The rows name lines by number; that holds only while the file still
  // reads as it did when the rows were made.
  ScheduleList now;
  CurrentEntry scratch;
  ReadRows(contents, now, scratch);
  std::set<std::size_t> doomed;
  for (const std::size_t index : selected) {
    if (index >= list.rows.size()) continue;
    const ListRow& row = list.rows[index];
    const bool stillThere = std::any_of(now.rows.begin(), now.rows.end(), [&](const ListRow& r) {
      return r.lineNumber == row.lineNumber && SameFields(r.fields, row.fields);
    });
    if (!stillThere) {
      const PendingSave none;
      LoadScheduleList(settingsFolder, ListMode::kRefresh, list, current, none, seams);
      return DeleteResult::kListOutdated;
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
  if (!ReplaceContents(seams.files, path, TemporaryPath(settingsFolder), kept)) {
    return DeleteResult::kFailed;
  }
  const PendingSave none;
  LoadScheduleList(settingsFolder, ListMode::kRefresh, list, current, none, seams);
  return DeleteResult::kDeleted;
}

}  // namespace ormidal
