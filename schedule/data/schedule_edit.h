// Editing of the schedule file from the dialogs: composing the entry of a
// save, reading the file into the rows of the Scheduled Events list, and the
// three edits a user makes (save, change, delete). Each edit reads the file
// once, when it is made, changes only what it was asked to, and says how it
// went; the rows a list shows are never written back. Every rewrite goes
// through the temporary file, so a failure at any step leaves the schedule
// file as it was.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"
#include "schedule_file.h"
#include "time_text.h"

namespace ormidal {

constexpr std::size_t kRepeatValueLimit = 99;
constexpr std::size_t kWindowRectangleLimit = 99;
constexpr std::size_t kProgramNameLimit = 255;
constexpr std::size_t kListLineLimit = 4499;  // longer lines are read in pieces
constexpr std::size_t kShortLineLimit = 10;   // a piece this long or shorter gets no row
constexpr std::size_t kListColumnCount = 7;

// The repeat boxes of the dialog; days run from Sunday to Saturday.
struct RepeatChoice {
  bool once = false;
  bool daily = false;
  std::array<bool, kWeekDays> days{};
};

// The dialog's values after its own checks (file name given, duration shaped).
struct EntryInput {
  std::string fileName;
  std::string url;
  std::string programName;
  std::string windowPosition;  // as accepted; ignored in audio mode
  bool audioMode = false;
  CalendarRecord start;  // calendar date with the picker's time of day; milliseconds ignored
  int32_t hours = 0;
  int32_t minutes = 0;
  int32_t seconds = 0;
  RepeatChoice repeat;
};

// What a save composed.
struct PendingSave {
  std::string pendingLine;   // fields 1 to 5 with their separators
  EntryFields pendingEntry;  // timeDay as composed, with its leading blank
};

enum class ComposeOutcome {
  kComposed,
  kInvalidStart,        // the start names no date and time the calendar knows
  kStartNotBeforeEnd,   // only a negative duration part gets here
  kNoRepeatMode,
};

struct ComposeResult {
  ComposeOutcome outcome = ComposeOutcome::kInvalidStart;
  // The points of the save, also when it is refused: the dialog keeps them
  // in currentEntry either way.
  FileTime startTime = 0;
  FileTime endTime = 0;
};

// The dialog's message for a refused save; empty for kComposed.
std::string_view RefusalMessage(ComposeOutcome outcome);

// Composes pending from the dialog's values. A refused save leaves pending
// as it was.
ComposeResult ComposeEntryLine(const EntryInput& input, PendingSave& pending);

struct ListRow {
  EntryFields fields;
  std::size_t lineNumber = 0;  // the file line (from 0) the row was read from
  // The seven texts in the order of the list's columns.
  std::array<std::string_view, kListColumnCount> Columns() const;
};

struct ScheduleList {
  std::vector<ListRow> rows;
};

// Where the edits find the schedule file and how they reach it.
struct ScheduleFolder {
  std::string_view settingsFolder;
  FileSystem& files;
};

enum class EditResult {
  kRead,        // the file was only read
  kAppended,
  kReplaced,
  kDeleted,
  kRefused,     // the entry would not read back as it was saved; nothing read or written
  kCannotOpen,  // the file could not be opened; nothing written
  kCannotWrite, // the file keeps its old bytes
  kOutdated,    // the rows to delete no longer stand for the file's lines; nothing written
};

struct EditOutcome {
  EditResult result = EditResult::kCannotOpen;
  // What the user must be told; empty when the edit did what was asked.
  std::string message;
  // The rows of the file as it is after the edit, whenever it could be read.
  std::optional<ScheduleList> rows;
};

// The rows the list shows for the file's contents, one per entry line in
// file order.
ScheduleList ReadRows(std::string_view contents);

// The row a save of an entry with this file name replaces (case matters): the
// first with that name; none when the save appends.
const ListRow* RowReplacedBySave(const ScheduleList& list, std::string_view timeName);

// Reads the schedule file (creating it when missing) into rows, one per
// entry line in file order.
EditOutcome LoadScheduleList(const ScheduleFolder& folder);

// Stores a save: the first entry line whose file name equals the pending one
// (case matters) is replaced, every other line kept byte for byte; without
// one the entry is appended. Refused, before the file is touched, when a
// text holds a line break or what separates the fields of a line, or when
// the line would be longer than the program reads back.
EditOutcome SaveEntryLine(const ScheduleFolder& folder, const PendingSave& pending);

// The list's Change: the topmost selected row as the dialog's working entry.
// Nothing when there are no rows; a message when none is selected.
struct ChangeOutcome {
  std::optional<CurrentEntry> entry;
  std::string message;
};
ChangeOutcome ChangeEntry(const ScheduleList& shown, const std::vector<std::size_t>& selected);

// Removes from the schedule file exactly the lines the selected rows of
// shown came from, every other line kept; nothing when the file no longer
// holds those rows at those lines.
EditOutcome DeleteEntryLines(const ScheduleFolder& folder, const ScheduleList& shown,
                             const std::vector<std::size_t>& selected);

}  // namespace ormidal
