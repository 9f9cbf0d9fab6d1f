// The schedule file "schedule.log": one entry a line, seven fields joined by
// fixed separators, and the forms an entry takes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host.h"
#include "time_text.h"

namespace ormidal {

constexpr std::size_t kFieldLimit = 4499;        // any field, and a whole line
constexpr std::size_t kScheduleFolderLimit = 242;  // the folder part of the schedule path
constexpr std::size_t kMinimumScheduleSize = 10;

constexpr std::string_view kUrlSeparator = " URL: ";
constexpr std::string_view kStartSeparator = " START: ";
constexpr std::string_view kEndSeparator = " END: ";
constexpr std::string_view kRepeatSeparator = " REPEAT: ";
constexpr std::string_view kProgSeparator = " PROG: ";
constexpr std::string_view kWndSeparator = " WND: ";

// All three files lie in the settings folder; the folder is cut to the
// length the schedule path allows, so they always share one folder.
std::string SchedulePath(std::string_view settingsFolder);
std::string TemporaryPath(std::string_view settingsFolder);
std::string SettingsPath(std::string_view settingsFolder);

struct EntryFields {
  std::string timeName, timeUrl, timeStart, timeEnd, timeDay, timeProg, timePos;
};

// The user interface's working copy of one entry.
struct CurrentEntry : EntryFields {
  FileTime startTime = 0;
  FileTime endTime = 0;
};

enum class LineKind {
  kEntry,     // holds " PROG: " and " WND: " with every field in order
  kNotEntry,  // lacks " PROG: " or " WND: ", or a separator stands out of order
};

struct Extraction {
  LineKind kind = LineKind::kNotEntry;
  bool readError = false;  // " PROG: " does not follow " REPEAT: "
};

// How a separator that stands before the one it should follow is handled:
// the scheduling pass skips such a line; the list reader shows it with that
// field empty.
enum class OutOfOrder { kSkipLine, kEmptyField };

// Fills fields from one line (its line break removed or not). Fields are
// cleared first, so nothing of an earlier line is ever carried over.
Extraction ExtractEntryLine(std::string_view line, EntryFields& fields,
                            OutOfOrder outOfOrder = OutOfOrder::kSkipLine);

// Walks the in-memory copy line by line. A line ends at LF; a last line
// without one is a line as well.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line);

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

enum class LoadResult { kLoaded, kTooShort, kEnded };

constexpr char kNoRecordingsMessage[] = "There are no scheduled recordings";

// A file this short holds no recordings: the scheduler is not enabled with it.
inline bool TooShortToSchedule(std::string_view contents) {
  return contents.size() < kMinimumScheduleSize;
}

// Reads the schedule file into copy for the scheduling pass. A missing file
// is created; one shorter than 10 bytes is reported as holding no recordings;
// one that can be neither opened nor created ends the process.
LoadResult LoadScheduleFile(const std::string& path, std::string& copy, FileSystem& files,
                            SchedulerHost& host);

}  // namespace ormidal
