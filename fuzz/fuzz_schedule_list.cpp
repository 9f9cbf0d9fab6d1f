// The Scheduled Events list reader, a delete of some of its rows, and a save
// of texts taken from the input, over an arbitrary schedule file. Input: one
// byte choosing the rows to delete (row i when bit i mod 8 is set), then the
// file's bytes, whose first four pieces between \x01 bytes are also the
// saved file name, URL, program name and window position.
#include <algorithm>
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

// A save either is refused and leaves the file alone, or stores one line
// that reads back as it was saved and keeps every other line.
void CheckSave(std::string_view contents, const ScheduleFolder& folder, MapFiles& files) {
  std::vector<std::string> texts(4);
  std::size_t at = 0;
  for (std::string& text : texts) {
    const std::size_t end = std::min(contents.find('\x01', at), contents.size());
    if (at < contents.size()) text.assign(contents.substr(at, end - at));
    at = end + 1;
  }
  EntryInput input;
  input.fileName = texts[0];
  input.url = texts[1];
  input.programName = texts[2];
  input.windowPosition = texts[3];
  input.start = CalendarRecord{2024, 1, 0, 5, 20, 30, 0, 0};
  input.hours = 1;
  input.repeat.days[2] = true;
  PendingSave pending;
  FUZZ_CHECK(ComposeEntryLine(input, pending).outcome == ComposeOutcome::kComposed);

  const std::string path = SchedulePath(kFolder);
  const std::string before = files.files[path];
  const EditOutcome saved = SaveEntryLine(folder, pending);
  const std::string& after = files.files[path];
  if (saved.result == EditResult::kRefused) {
    FUZZ_CHECK(!saved.message.empty() && after == before);
    return;
  }
  FUZZ_CHECK(saved.result == EditResult::kAppended || saved.result == EditResult::kReplaced);
  FUZZ_CHECK(saved.message.empty() && saved.rows);
  EntryFields expected = pending.pendingEntry;
  expected.timeDay.erase(0, 1);  // the leading blank belongs to the separator when read
  const auto& rows = saved.rows->rows;
  const auto row = std::find_if(rows.begin(), rows.end(), [&](const ListRow& r) {
    return r.fields.timeName == expected.timeName;
  });
  FUZZ_CHECK(row != rows.end() && SameFields(row->fields, expected));
  const std::size_t added = saved.result == EditResult::kAppended ? 1 : 0;
  FUZZ_CHECK(LineCount(after) == LineCount(before) + added);
  if (added == 1) FUZZ_CHECK(after.compare(0, before.size(), before) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const uint8_t choice = data[0];
  const std::string contents(reinterpret_cast<const char*>(data) + 1, size - 1);

  MapFiles files;
  const std::string path = SchedulePath(kFolder);
  files.files[path] = contents;
  const ScheduleFolder folder{kFolder, files};

  const EditOutcome load = LoadScheduleList(folder);
  FUZZ_CHECK(load.result == EditResult::kRead && load.message.empty() && load.rows);
  FUZZ_CHECK(files.files[path] == contents);  // reading never writes
  const ScheduleList& list = *load.rows;
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
  const EditOutcome deleted = DeleteEntryLines(folder, list, selected);
  FUZZ_CHECK(deleted.result == EditResult::kDeleted && deleted.message.empty() && deleted.rows);
  FUZZ_CHECK(files.files.count(TemporaryPath(kFolder)) == 0);
  // Exactly the rows of the chosen lines are gone; every other row stays as it was.
  std::vector<const ListRow*> kept;
  for (const ListRow& row : list.rows) {
    if (doomedLines.count(row.lineNumber) == 0) kept.push_back(&row);
  }
  const ScheduleList& after = *deleted.rows;
  FUZZ_CHECK(after.rows.size() == kept.size());
  for (std::size_t i = 0; i < kept.size(); ++i) FUZZ_CHECK(SameFields(after.rows[i].fields, kept[i]->fields));
  CheckRows(after, LineCount(files.files[path]));
  FUZZ_CHECK(LineCount(files.files[path]) == lines - doomedLines.size());

  files.files[path] = contents;
  CheckSave(contents, folder, files);
  return 0;
}
