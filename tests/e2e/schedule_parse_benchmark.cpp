// Prints the cost of one scheduling pass over a full schedule of 200 lines,
// once with typical lines and once with every field at its length limit.
#include <benchmark/benchmark.h>

#include "calendar.h"
#include "engine.h"

namespace ormidal {
namespace {

std::string Schedule(std::size_t nameLength, std::size_t urlLength) {
  std::string copy;
  const char* repeats[] = {"Once", "Daily", "Mon Wed Fri"};
  for (int i = 0; i < 200; ++i) {
    copy += std::string(nameLength, 'n') + " URL: " + std::string(urlLength, 'u') +
            " START: Jan 05,2026 10:00:00 PM END: Jan 05,2026 11:00:00 PM REPEAT: " +
            repeats[i % 3] + " PROG: player WND: 100,100,600,500\r\n";
  }
  return copy;
}

void Pass(benchmark::State& state, const std::string& copy) {
  ActiveSlots slots;
  const CalendarRecord now = Calendar(2026, 1, 5, 12);
  int started = 0;
  for (auto _ : state) {
    const bool readError = ParseSchedules(copy, now, slots, [] { return false; },
                                          [&](std::size_t, LineValues&) { ++started; });
    benchmark::DoNotOptimize(readError);
  }
  state.counters["lines"] = 200;
  state.counters["bytes"] = static_cast<double>(copy.size());
  benchmark::DoNotOptimize(started);
}

void TypicalLines(benchmark::State& state) { Pass(state, Schedule(12, 40)); }
// Name and URL fill the line up to its limit of 4499 characters.
void LongestLines(benchmark::State& state) { Pass(state, Schedule(2000, 4499 - 2000 - 140)); }

BENCHMARK(TypicalLines)->Unit(benchmark::kMicrosecond);
BENCHMARK(LongestLines)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ormidal

BENCHMARK_MAIN();
