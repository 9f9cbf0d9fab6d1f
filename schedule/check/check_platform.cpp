// The local time for ormidal-check where there is no Win32: the C++ clock
// and the C library's local calendar. There is no power plan to read, and
// schedule text is taken as Latin-1, the code points its bytes name; there
// are no time zone rules and no scheduler to look for.
#include <algorithm>
#include <chrono>
#include <ctime>

#include "schedule_check.h"

namespace ormidal {

CalendarRecord LocalNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  const std::tm local = *std::localtime(&seconds);
  CalendarRecord r;
  r.year = static_cast<uint16_t>(local.tm_year + 1900);
  r.month = static_cast<uint16_t>(local.tm_mon + 1);
  r.dayOfWeek = static_cast<uint16_t>(local.tm_wday);
  r.day = static_cast<uint16_t>(local.tm_mday);
  r.hour = static_cast<uint16_t>(local.tm_hour);
  r.minute = static_cast<uint16_t>(local.tm_min);
  r.second = static_cast<uint16_t>(std::min(local.tm_sec, 59));  // no leap second in a record
  r.milliseconds = static_cast<uint16_t>(ms);
  return r;
}

PowerFacts ActivePowerFacts() { return {}; }

std::string SystemTextToUtf8(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

void WriteStandard(std::FILE* stream, std::string_view text, bool) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

// The C library tells no zone's rules: nothing is claimed.
std::vector<ClockChange> LocalClockChanges(int, int) { return {}; }

// Schedulers run on Windows only.
std::optional<bool> SchedulerRunningFor(const std::string&) { return std::nullopt; }

}  // namespace ormidal
