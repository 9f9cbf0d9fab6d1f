// Prints what ormidal-check costs on a realistic schedule: a year of 200
// lines, and a week of a file of 10,000 lines (of which the scheduler reads
// the first 200), the report text included.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "schedule_check.h"

namespace ormidal {
namespace {

constexpr FileTime kMinute = 60 * kTicksPerSecond;

CalendarRecord Now() {
  CalendarRecord r;
  FileTimeToRecord(GetFileTime("Jan 05,2026 07:00:00 PM"), r);
  return r;
}

// Written over the past and next month on five-minute steps, as a user's
// schedule is: a third once, a third daily, a third on chosen weekdays.
std::string Schedule(int lines) {
  static const char* const kDays[] = {"Mon Wed Fri", "Sat Sun", "Tue Thu", "Fri"};
  const FileTime now = GetFileTime("Jan 05,2026 07:00:00 PM");
  uint32_t seed = 2026;
  auto next = [&](uint32_t range) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % range;
  };
  std::string text;
  for (int i = 0; i < lines; ++i) {
    const FileTime start = now - 30 * 1440 * kMinute + 5 * next(60 * 1440 / 5) * kMinute;
    const FileTime end = start + 5 * (3 + next(36)) * kMinute;
    const uint32_t kind = next(3);
    const std::string repeat = kind == 0 ? "Once" : kind == 1 ? "Daily" : kDays[next(4)];
    text += "Show " + std::to_string(i) + " URL: http://tv/channel" + std::to_string(next(40)) +
            " START: " + FileTimeToText(start) + " END: " + FileTimeToText(end) +
            " REPEAT: " + repeat + " PROG: player WND: 100,100,600,500\r\n";
  }
  return text;
}

void Check(benchmark::State& state, int lines, int days) {
  const std::string schedule = Schedule(lines);
  CheckOptions options;
  options.now = Now();
  options.days = days;
  std::size_t starts = 0;
  for (auto _ : state) {
    const CheckReport report = RunScheduleCheck(schedule, options);
    const std::string text = CheckReportText(report);
    benchmark::DoNotOptimize(text.data());
    starts = 0;
    for (const CheckedLine& line : report.lines) starts += line.starts.size();
  }
  state.counters["lines"] = lines;
  state.counters["days"] = days;
  state.counters["starts"] = static_cast<double>(starts);
}

void YearOf200Lines(benchmark::State& state) { Check(state, 200, 366); }
void WeekOf10000Lines(benchmark::State& state) { Check(state, 10000, 7); }

BENCHMARK(YearOf200Lines)->Unit(benchmark::kMillisecond);
BENCHMARK(WeekOf10000Lines)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ormidal

BENCHMARK_MAIN();
