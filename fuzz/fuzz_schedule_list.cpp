// The Scheduled Events list reader, and a delete of some of its rows, over an
// arbitrary schedule file. Input: one byte choosing the rows to delete (row i
// when bit i mod 8 is set), then the file's bytes.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fake_host.h"
#include "fuzz_check.h"
#include "schedule_edit.h"

namespace {

using namespace ormidal;

constexpr std::string_view kFolder = "C:\\rec";

std::size_t LineCount(std::string_view text) {
  LineReader reader(text);
  std::string_view line;
  std::size_t n = 0;
  while (reader.Next(line)) ++n;
  return n;
}

void CheckRows(const ScheduleList& list, std::size_t lines) {
  std::size_t previous = 0;
  for (const ListRow& row : list.rows) {
    FUZZ_CHECK(row.lineNumber < lines);
    FUZZ_CHECK(row.lineNumber >= previous);
    previous = row.lineNumber;
    for (const std::string_view column : row.Columns()) {
      FUZZ_CHECK(column.size() <= kListLineLimit);
      FUZZ_CHECK(column.find('\n') == std::string_view::npos);
    }
    FUZZ_CHECK(row.fields.timePos.find('\r') == std::string::npos);
  }
}

bool SameFields(const EntryFields& a, const EntryFields& b) {
  return a.timeName == b.timeName && a.timeUrl == b.timeUrl && a.timeStart == b.timeStart &&
         a.timeEnd == b.timeEnd && a.timeDay == b.timeDay && a.timeProg == b.timeProg &&
         a.timePos == b.timePos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const uint8_t choice = data[0];
  const std::string contents(reinterpret_cast<const char*>(data) + 1, size - 1);

  MapFiles files;
  FakeHost host;
  const std::string path = SchedulePath(kFolder);
  files.files[path] = contents;
  std::atomic<int32_t> readError{1};
  EditSeams seams{files, host, {}, &readError};

  ScheduleList list;
  CurrentEntry current;
  const PendingSave none;
  const ListLoad load = LoadScheduleList(kFolder, ListMode::kViewOnly, list, current, none, seams);
  FUZZ_CHECK(load.read);
  FUZZ_CHECK(load.save == SaveResult::kNothingPending);
  FUZZ_CHECK(readError.load() == 0);
  FUZZ_CHECK(files.files[path] == contents);  // reading never writes
  const std::size_t lines = LineCount(contents);
  CheckRows(list, lines);

  std::vector<std::size_t> selected;
  std::set<std::size_t> doomedLines;
  for (std::size_t i = 0; i < list.rows.size(); ++i) {
    if ((choice >> (i % 8)) & 1) {
      selected.push_back(i);
      doomedLines.insert(list.rows[i].lineNumber);
    }
  }
  const ScheduleList before = list;
  const DeleteResult deleted = DeleteEntryLines(kFolder, list, selected, current, seams);
  FUZZ_CHECK(deleted == DeleteResult::kDeleted);
  FUZZ_CHECK(files.files.count(TemporaryPath(kFolder)) == 0);
  // Exactly the rows of the chosen lines are gone; every other row stays as it was.
  std::vector<const ListRow*> kept;
  for (const ListRow& row : before.rows) {
    if (doomedLines.count(row.lineNumber) == 0) kept.push_back(&row);
  }
  FUZZ_CHECK(list.rows.size() == kept.size());
  for (std::size_t i = 0; i < kept.size(); ++i) FUZZ_CHECK(SameFields(list.rows[i].fields, kept[i]->fields));
  CheckRows(list, LineCount(files.files[path]));
  FUZZ_CHECK(LineCount(files.files[path]) == lines - doomedLines.size());
  return 0;
}
