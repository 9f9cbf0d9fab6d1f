// Date-and-time text and duration text from outside: GetFileTime and
// DurationSeconds over arbitrary text, and the round trips through the
// writers. Input: one byte choosing the reader, then its text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "time_text.h"

namespace {

using namespace ormidal;

void DateAndTime(std::string_view text) {
  const FileTime point = GetFileTime(text);
  if (point == 0) return;
  FUZZ_CHECK(point % kTicksPerSecond == 0);
  CalendarRecord r;
  FUZZ_CHECK(FileTimeToRecord(point, r));
  FUZZ_CHECK(r.year >= 1601 && r.year <= 3000);
  FUZZ_CHECK(text.size() >= 23);
  FUZZ_CHECK(text.substr(21, 2) == "AM" || text.substr(21, 2) == "PM");
  FUZZ_CHECK((text.substr(21, 2) == "PM") == (r.hour >= 12));
  const std::string written = FileTimeToText(point);
  FUZZ_CHECK(written.size() == 23);
  FUZZ_CHECK(GetFileTime(written) == point);
  FUZZ_CHECK(NewTime(point, 0, 0, 0, 0, 0) == point);
}

void Duration(std::string_view text) {
  const int32_t seconds = DurationSeconds(text);
  std::size_t colons = 0;
  for (const char c : text) colons += c == ':';
  if (text.empty() || colons != 2) FUZZ_CHECK(seconds == -1);
}

// Any point the calendar knows, written and read back, is its whole second.
void Point(const uint8_t* data, std::size_t size) {
  uint64_t raw = 0;
  std::memcpy(&raw, data, size < sizeof raw ? size : sizeof raw);
  const FileTime point = raw % (FileTime{1} << 62);
  CalendarRecord r;
  if (!FileTimeToRecord(point, r)) return;
  // The system's own conversions stop at different points: a point may name
  // a day in 30828, which no record converts back to.
  FileTime back = 0;
  FUZZ_CHECK(RecordToFileTime(r, back) == (r.year <= 30827));
  if (r.year <= 30827) FUZZ_CHECK(back == point - point % 10000);  // a record holds milliseconds
  const std::string written = FileTimeToText(point);
  const FileTime whole = point - point % kTicksPerSecond;
  if (r.year <= 3000) {
    FUZZ_CHECK(GetFileTime(written) == whole);
  } else {
    FUZZ_CHECK(GetFileTime(written) == 0);
  }
  const uint32_t seconds = static_cast<uint32_t>(raw >> 32);
  FUZZ_CHECK(DurationSeconds(SecondsToDuration(seconds)) == static_cast<int32_t>(seconds));
  // A difference keeps its whole length, days included (read back modulo 2^32).
  FUZZ_CHECK(DurationSeconds(DurationFromDifference(static_cast<int64_t>(point))) ==
             static_cast<int32_t>(static_cast<uint32_t>(point / kTicksPerSecond)));
  // Any amount moves the whole second, wrapping as the system's sum does.
  int32_t amounts[5] = {};
  if (size > 8) std::memcpy(amounts, data + 8, std::min(size - 8, sizeof amounts));
  const FileTime moved = NewTime(point, amounts[0], amounts[1], amounts[2], amounts[3], amounts[4]);
  // The part of a second never counts.
  FUZZ_CHECK(NewTime(whole, amounts[0], amounts[1], amounts[2], amounts[3], amounts[4]) == moved);
  FUZZ_CHECK(NewTime(point, 0, 0, 0, 0, amounts[4]) ==
             whole + static_cast<FileTime>(int64_t{amounts[4]}) * kTicksPerSecond);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0: DateAndTime(text); break;
    case 1: Duration(text); break;
    default: Point(data + 1, size - 1); break;
  }
  return 0;
}
