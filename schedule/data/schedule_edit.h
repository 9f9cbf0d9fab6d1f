// Editing of the schedule file from the dialogs: composing the entry of a
// save, reading the file into the rows of the Scheduled Events list, storing
// the entry (append or replace) and deleting the lines of selected rows.
// Every rewrite goes through the temporary file, so a failure at any step
// leaves the schedule file as it was.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"
#include "schedule_file.h"
#include "time_text.h"

namespace ormidal {

constexpr std::size_t kPendingLineLimit = 4499;
constexpr std::size_t kRepeatValueLimit = 99;
constexpr std::size_t kWindowRectangleLimit = 99;
constexpr std::size_t kProgramNameLimit = 255;
constexpr std::size_t kListLineLimit = 4499;  // longer lines are read in pieces
constexpr std::size_t kShortLineLimit = 10;   // a piece this long or shorter gets no row
constexpr std::size_t kListColumnCount = 7;
constexpr std::size_t kWeekDays = 7;

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

// What the last save composed; consumed by the next SaveEntryLine.
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

// Composes pendingLine and pendingEntry from the dialog's values. A refused
// save leaves pending as it was.
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

enum class ListMode {
  kNormal,    // after a save: the reading ends with SaveEntryLine
  kViewOnly,  // View scheduler: nothing is stored
  kRefresh,   // after a delete: nothing is stored
};

// What the editing operations need from the rest of the program.
struct EditSeams {
  FileSystem& files;
  SchedulerHost& host;
  std::function<void()> disableScheduler;       // DisableScheduler; may be empty in tests
  std::atomic<int32_t>* readError = nullptr;    // cleared by each list reading
};

enum class SaveResult {
  kNothingPending,  // pendingLine is empty
  kAppended,
  kReplaced,
  kFailed,  // the file and the rows are unchanged
};

struct ListLoad {
  bool read = false;  // false: the file could not be opened (the user was told)
  SaveResult save = SaveResult::kNothingPending;  // normal mode only
};

// The rows the list shows for the file's contents; every line read passes
// through current, which holds the last one afterwards.
void ReadRows(std::string_view contents, ScheduleList& list, CurrentEntry& current);

// The row a save of an entry with this file name replaces (case matters): the
// first with that name; none when the save appends.
const ListRow* RowReplacedBySave(const ScheduleList& list, std::string_view timeName);

// Reads the schedule file into list (replacing its rows); every line read
// passes through current, which holds the last one afterwards. In normal
// mode the pending entry is then stored with SaveEntryLine.
ListLoad LoadScheduleList(std::string_view settingsFolder, ListMode mode, ScheduleList& list,
                          CurrentEntry& current, const PendingSave& pending, EditSeams& seams);

// Replaces the first row whose file name equals the pending one (case
// matters) and rewrites the whole file from the rows, or appends the entry.
// The rows change only when the file did.
SaveResult SaveEntryLine(std::string_view settingsFolder, const PendingSave& pending,
                         ScheduleList& list, FileSystem& files);

enum class DeleteResult {
  kDeleted,      // the rows were read again from the new file
  kFailed,       // the file and the rows are unchanged
  kListOutdated, // the file no longer holds the selected rows' lines: nothing
                 // deleted, the rows were read again
};

// Disables the scheduler, then removes from the schedule file exactly the
// lines the selected rows came from; every other line is kept.
DeleteResult DeleteEntryLines(std::string_view settingsFolder, ScheduleList& list,
                              const std::vector<std::size_t>& selected, CurrentEntry& current,
                              EditSeams& seams);

}  // namespace ormidal
