// Latency of Ormidal.exe's start and stop requests under Wine: this program is
// the recording program, schedules overlapping windows a few seconds ahead
// (2 s each, one opening every second, so that in most seconds one window
// closes as another opens) and measures how long after each whole second of
// opening or closing the request reaches its window, and whether the stop of
// such a second comes before its start. Once for the shipped scheduler (a
// high-resolution waitable timer ends its waits where the system has one),
// once for the same program with the multimedia timer for every wait, which
// is built beside this one. Run by ./run bench, not by ctest.
//   ormidal_latency_benchmark DIST_FOLDER [WINDOWS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "harness.h"
#include "local_time.h"

namespace {

using namespace std::chrono_literals;

constexpr int kDefaultWindows = 20;
constexpr int kLeadSeconds = 5;  // Wine start-up and the scheduler's first tick
constexpr int kLengthSeconds = 2;
constexpr double kMedianGoalMs = 20;
constexpr double kWorstGoalMs = 100;

using e2e::Seconds;
using e2e::ToFileTime;

double MillisecondsBetween(ormidal::FileTime from, ormidal::FileTime to) {
  return (static_cast<double>(to) - static_cast<double>(from)) / 10'000.0;
}

struct Window {
  std::string name;
  ormidal::FileTime start = 0;
  ormidal::FileTime end = 0;
  double startLatency = -1e9;  // unset until its request arrives
  double stopLatency = -1e9;
  std::size_t startIndex = 0;  // place among all requests received
  std::size_t stopIndex = 0;
};

// The file name at the head of a UTF-16 start text.
std::string NameOf(const std::string& utf16) {
  std::string text;
  for (std::size_t i = 0; i + 1 < utf16.size(); i += 2) text += utf16[i];
  return text.substr(0, text.find(" pos: "));
}

struct Summary {
  double median = 0;
  double worst = 0;
};

Summary Summarize(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  const double median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  return {median, values.back()};
}

void PrintSummary(const char* what, const std::vector<double>& values) {
  const Summary s = Summarize(values);
  std::printf("%-15s %3zu   median %6.1f ms   worst %6.1f ms   %s\n", what, values.size(),
              s.median, s.worst,
              s.median < kMedianGoalMs && s.worst < kWorstGoalMs ? "goal met" : "goal MISSED");
}

// Whether this system creates the timer the shipped scheduler prefers.
bool HasHighResolutionTimers() {
  using CreateTimerExFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);
  const FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateWaitableTimerExW");
  const auto create = reinterpret_cast<CreateTimerExFn>(reinterpret_cast<void (*)()>(proc));
  constexpr DWORD kHighResolution = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
  return create != nullptr && fw::ScopedHandle(create(nullptr, nullptr, kHighResolution,
                                                      TIMER_ALL_ACCESS)).Valid();
}

// The program beside this benchmark.
std::string BesideThis(const char* name) {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

bool Measure(const std::string& program, int windowCount) {
  e2e::RecordingProgram recorder("Lumora");
  if (recorder.Handle() == nullptr) {
    std::fprintf(stderr, "cannot create the recording program's window\n");
    return false;
  }

  SYSTEMTIME now;
  GetLocalTime(&now);
  std::vector<Window> windows;
  ormidal::FileTime at = ToFileTime(now, false) + Seconds(kLeadSeconds);
  e2e::TempFolder folder("ormidal_latency");
  {
    std::ofstream schedule(folder.Path() / "schedule.log", std::ios::binary);
    for (int i = 0; i < windowCount; ++i) {
      Window w;
      w.name = "W" + std::to_string(100 + i).substr(1);
      w.start = at;
      w.end = at + Seconds(kLengthSeconds);
      at += Seconds(1);
      schedule << w.name << " URL: http://tv/live START: " << ormidal::FileTimeToText(w.start)
               << " END: " << ormidal::FileTimeToText(w.end)
               << " REPEAT: Once PROG: Player WND: 100,100,600,500\r\n";
      windows.push_back(w);
    }
  }
  const int lastSecond = static_cast<int>((windows.back().end - ToFileTime(now, false)) /
                                         ormidal::kTicksPerSecond);
  std::printf("%d windows of %d s, one opening every second, the first in %d s, the last "
              "closing in %d s\n",
              windowCount, kLengthSeconds, kLeadSeconds, lastSecond);
  std::fflush(stdout);

  e2e::Process scheduler;
  if (!scheduler.Start("\"" + program + "\" /w Lumora /dir \"" + folder.Windows() + "\"")) {
    std::fprintf(stderr, "cannot start %s\n", program.c_str());
    return false;
  }
  const bool allStopped = recorder.WaitCount(false, windowCount, std::chrono::seconds(lastSecond + 15));
  scheduler.Kill();

  std::map<std::string, Window*> byName;
  for (auto& w : windows) byName[w.name] = &w;
  std::size_t nextStop = 0;
  int unexpected = 0;
  const auto received = recorder.Requests();
  for (std::size_t index = 0; index < received.size(); ++index) {
    const auto& r = received[index];
    const ormidal::FileTime arrival = ToFileTime(r.at, true);
    if (r.start) {
      const auto found = byName.find(NameOf(r.bytes));
      if (found == byName.end() || found->second->startLatency > -1e9) {
        ++unexpected;
        continue;
      }
      found->second->startLatency = MillisecondsBetween(found->second->start, arrival);
      found->second->startIndex = index;
    } else if (nextStop < windows.size()) {
      // Stop requests carry no name; they come in the order the windows close.
      Window& w = windows[nextStop++];
      w.stopLatency = MillisecondsBetween(w.end, arrival);
      w.stopIndex = index;
    } else {
      ++unexpected;
    }
  }

  std::vector<double> starts, stops, all;
  std::printf("\nwindow  start latency  stop latency\n");
  for (const auto& w : windows) {
    const bool started = w.startLatency > -1e9;
    const bool stopped = w.stopLatency > -1e9;
    std::printf("%-6s  %10s     %10s\n", w.name.c_str(),
                started ? (std::to_string(static_cast<int>(w.startLatency)) + " ms").c_str() : "missing",
                stopped ? (std::to_string(static_cast<int>(w.stopLatency)) + " ms").c_str() : "missing");
    if (started) starts.push_back(w.startLatency), all.push_back(w.startLatency);
    if (stopped) stops.push_back(w.stopLatency), all.push_back(w.stopLatency);
  }
  // In the second where window i closes, window i + kLengthSeconds opens.
  int stopFirst = 0, startFirst = 0;
  std::vector<double> gaps;
  for (std::size_t i = 0; i + kLengthSeconds < windows.size(); ++i) {
    const Window& closing = windows[i];
    const Window& opening = windows[i + kLengthSeconds];
    if (closing.stopLatency <= -1e9 || opening.startLatency <= -1e9) continue;
    if (closing.stopIndex < opening.startIndex) {
      ++stopFirst;
      gaps.push_back(opening.startLatency - closing.stopLatency);
    } else {
      ++startFirst;
    }
  }
  std::printf("\nseconds with a stop and a start: stop first in %d, start first in %d   %s\n",
              stopFirst, startFirst, startFirst == 0 ? "order kept" : "order BROKEN");
  if (!gaps.empty()) {
    const Summary g = Summarize(gaps);
    std::printf("the start after the stop of its second: median %.1f ms, least %.1f ms\n",
                g.median, *std::min_element(gaps.begin(), gaps.end()));
  }
  std::printf("\n");
  if (!starts.empty()) PrintSummary("start requests", starts);
  if (!stops.empty()) PrintSummary("stop requests", stops);
  if (!all.empty()) PrintSummary("all requests", all);
  const bool complete = allStopped && starts.size() == windows.size() &&
                        stops.size() == windows.size() && unexpected == 0 && startFirst == 0;
  if (!complete) {
    std::printf("incomplete: %zu of %d start and %zu of %d stop requests, %d unexpected\n",
                starts.size(), windowCount, stops.size(), windowCount, unexpected);
  }
  return complete;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ormidal_latency_benchmark DIST_FOLDER [WINDOWS]\n");
    return 2;
  }
  e2e::SetDistFolder(argv[1]);
  const int windowCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultWindows;
  const bool highResolution = HasHighResolutionTimers();
  std::printf("== the shipped scheduler: this system %s high-resolution waitable timers, so its "
              "waits use %s\n",
              highResolution ? "creates" : "does not create",
              highResolution ? "them" : "the multimedia timer");
  std::fflush(stdout);
  const bool shipped = Measure(e2e::ProgramPath("Ormidal.exe"), windowCount);
  std::printf("\n== the same scheduler with the multimedia timer for every wait\n");
  std::fflush(stdout);
  const bool multimedia = Measure(BesideThis("ormidal-multimedia-waits.exe"), windowCount);
  return shipped && multimedia ? 0 : 1;
}
