// The scheduling pass over an arbitrary schedule copy at an arbitrary present
// time, and the schedule check of the same copy from then on. Input: eight
// bytes for the present (year from 1601, month, day, hour, minute, second,
// day of week), then the copy.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine.h"
#include "fuzz_check.h"
#include "recorder_link.h"
#include "schedule_check.h"

namespace {

using namespace ormidal;

// A started window ends after it starts, and its start request carries its
// whole length.
void CheckStartedWindow(FileTime start, FileTime end) {
  FUZZ_CHECK(end > start);
  ScheduleEntry entry;
  entry.startTime = start;
  entry.endTime = end;
  const std::string seconds = " sec: " + std::to_string((end - start) / kTicksPerSecond);
  const std::string text = StartText(entry);
  FUZZ_CHECK(text.size() >= seconds.size() &&
             text.compare(text.size() - seconds.size(), seconds.size(), seconds) == 0);
}

struct Started {
  std::string name;
  FileTime start, end;
};

std::vector<Started> Pass(std::string_view copy, const CalendarRecord& now, ActiveSlots& slots,
                          FileTime present, bool presentValid) {
  std::vector<Started> started;
  std::size_t polls = 0;
  auto stop = [&] { return ++polls > kSlotCount + 1; };
  ParseSchedules(copy, now, slots, stop, [&](std::size_t line, LineValues& v) {
    FUZZ_CHECK(line < kSlotCount);
    for (const std::string* field : {&v.timeName, &v.timeUrl, &v.timeStart, &v.timeEnd, &v.timeDay,
                                     &v.timeProg, &v.timePos}) {
      FUZZ_CHECK(field->size() <= kFieldLimit);
    }
    // A start or end that cannot be read is never due, whatever the repeat rule.
    const FileTime writtenStart = GetFileTime(v.timeStart);
    const FileTime writtenEnd = GetFileTime(v.timeEnd);
    FUZZ_CHECK(writtenStart != 0 && writtenEnd != 0);
    FUZZ_CHECK(presentValid);
    FUZZ_CHECK(v.startTime <= present && present < v.endTime);
    CheckStartedWindow(v.startTime, v.endTime);
    // A moved window keeps its written length.
    FUZZ_CHECK(v.endTime - v.startTime == writtenEnd - writtenStart);
    FUZZ_CHECK(v.once + v.daily + v.dayOfWeek == 1);
    started.push_back({v.timeName, v.startTime, v.endTime});
  });
  return started;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  CalendarRecord now;
  now.year = static_cast<uint16_t>(1601 + (data[0] | data[1] << 8) % 1500);
  now.month = static_cast<uint16_t>(1 + data[2] % 12);
  now.day = static_cast<uint16_t>(1 + data[3] % 31);
  now.hour = static_cast<uint16_t>(data[4] % 24);
  now.minute = static_cast<uint16_t>(data[5] % 60);
  now.second = static_cast<uint16_t>(data[6] % 60);
  now.dayOfWeek = static_cast<uint16_t>(data[7] % 7);
  const std::string_view copy(reinterpret_cast<const char*>(data) + 8, size - 8);
  FileTime present = 0;
  const bool presentValid = RecordToFileTime(now, present);

  ActiveSlots slots;
  const std::vector<Started> first = Pass(copy, now, slots, present, presentValid);
  FUZZ_CHECK(first.size() <= kSlotCount);
  std::size_t armed = 0;
  for (const auto& slot : slots.activeSlot) armed += slot.load() != 0;
  FUZZ_CHECK(armed == first.size());
  // The same second again starts nothing new: every window is armed once.
  FUZZ_CHECK(Pass(copy, now, slots, present, presentValid).empty());
  // After a disable the same entries start again, in the same order.
  slots.Clear();
  const std::vector<Started> again = Pass(copy, now, slots, present, presentValid);
  FUZZ_CHECK(again.size() == first.size());
  for (std::size_t i = 0; i < again.size(); ++i) {
    FUZZ_CHECK(again[i].name == first[i].name && again[i].start == first[i].start &&
               again[i].end == first[i].end);
  }
  if (presentValid) {
    CheckOptions options;
    FileTimeToRecord(present, options.now);
    options.days = 2;
    for (const CheckedLine& line : RunScheduleCheck(copy, options).lines) {
      for (const PredictedStart& s : line.starts) CheckStartedWindow(s.start, s.end);
    }
  }
  return 0;
}
