// Latency of Ormidal.exe's start and stop requests under Wine: this program is
// the recording program, schedules back-to-back windows a few seconds ahead
// and measures how long after each whole second of opening or closing the
// request reaches its window. Run by ./run bench, not by ctest.
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

constexpr int kDefaultWindows = 50;
constexpr int kLeadSeconds = 5;  // Wine start-up and the scheduler's first tick
constexpr int kGapSeconds = 1;
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ormidal_latency_benchmark DIST_FOLDER [WINDOWS]\n");
    return 2;
  }
  e2e::SetDistFolder(argv[1]);
  const int windowCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultWindows;
  e2e::RecordingProgram recorder("Lumora");
  if (recorder.Handle() == nullptr) {
    std::fprintf(stderr, "cannot create the recording program's window\n");
    return 1;
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
      w.end = at + Seconds(1 + i % 2);  // 1 and 2 seconds in turn
      at = w.end + Seconds(kGapSeconds);
      schedule << w.name << " URL: http://tv/live START: " << ormidal::FileTimeToText(w.start)
               << " END: " << ormidal::FileTimeToText(w.end)
               << " REPEAT: Once PROG: Player WND: 100,100,600,500\r\n";
      windows.push_back(w);
    }
  }
  const int lastSecond = static_cast<int>((at - ToFileTime(now, false)) / ormidal::kTicksPerSecond);
  std::printf("%d windows of 1 and 2 s with %d s gaps, the first opening in %d s, the last "
              "closing in %d s\n",
              windowCount, kGapSeconds, kLeadSeconds, lastSecond - kGapSeconds);
  std::fflush(stdout);

  e2e::Process scheduler;
  if (!scheduler.Start("\"" + e2e::ProgramPath("Ormidal.exe") + "\" /w Lumora /dir \"" +
                       folder.Windows() + "\"")) {
    std::fprintf(stderr, "cannot start %s\n", e2e::ProgramPath("Ormidal.exe").c_str());
    return 1;
  }
  const bool allStopped = recorder.WaitCount(false, windowCount, std::chrono::seconds(lastSecond + 15));
  scheduler.Kill();

  std::map<std::string, Window*> byName;
  for (auto& w : windows) byName[w.name] = &w;
  std::size_t nextStop = 0;
  int unexpected = 0;
  for (const auto& r : recorder.Requests()) {
    const ormidal::FileTime arrival = ToFileTime(r.at, true);
    if (r.start) {
      const auto found = byName.find(NameOf(r.bytes));
      if (found == byName.end() || found->second->startLatency > -1e9) {
        ++unexpected;
        continue;
      }
      found->second->startLatency = MillisecondsBetween(found->second->start, arrival);
    } else if (nextStop < windows.size()) {
      // Stop requests carry no name; they come in the order the windows close.
      Window& w = windows[nextStop++];
      w.stopLatency = MillisecondsBetween(w.end, arrival);
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
  std::printf("\n");
  if (!starts.empty()) PrintSummary("start requests", starts);
  if (!stops.empty()) PrintSummary("stop requests", stops);
  if (!all.empty()) PrintSummary("all requests", all);
  const bool complete = allStopped && starts.size() == windows.size() &&
                        stops.size() == windows.size() && unexpected == 0;
  if (!complete) {
    std::printf("incomplete: %zu of %d start and %zu of %d stop requests, %d unexpected\n",
                starts.size(), windowCount, stops.size(), windowCount, unexpected);
  }
  return complete ? 0 : 1;
}
