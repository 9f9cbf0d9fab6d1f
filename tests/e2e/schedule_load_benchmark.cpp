// How long the Scheduled Events list of Ormidal.exe takes to open under Wine
// on schedule files of 200 and 10,000 lines. Run by ./run bench, not by ctest.
//   ormidal_load_benchmark DIST_FOLDER [RUNS]
// Nothing polls while the list opens, so each figure ends where it says: the
// click is sent, and returns once the scheduler has read the file and shown
// the list ("shown"); a repaint forced with RDW_UPDATENOW returns once the
// list has drawn its rows ("drawn"). Each run starts a scheduler of its own
// and opens the list twice: first as the user meets it, then again in the
// same process.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "harness.h"
#include "time_text.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double kListGoalMs = 1000;
constexpr int kViewScheduler = 1015;
constexpr int kStatus = 1027;
constexpr int kEvents = 1004;
constexpr UINT kOpenLimitMs = 30000;

// Entries a day ahead, the weekly ones on the day after that: the scheduler
// examines them every second but never starts one. (A weekly entry is due on
// its weekdays whatever its date, and a burst of start requests would make
// the scheduler's window the busiest thing measured.)
void WriteSchedule(const std::filesystem::path& file, int lines) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  ormidal::CalendarRecord r{now.wYear, now.wMonth, now.wDayOfWeek, now.wDay,
                            now.wHour, now.wMinute, now.wSecond, 0};
  ormidal::FileTime start = 0;
  ormidal::RecordToFileTime(r, start);
  start += 86400 * ormidal::kTicksPerSecond;
  const std::string startText = ormidal::FileTimeToText(start);
  const std::string endText = ormidal::FileTimeToText(start + 3600 * ormidal::kTicksPerSecond);
  const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  const char* repeats[] = {"Once", "Daily", days[(now.wDayOfWeek + 2) % 7]};
  std::ofstream out(file, std::ios::binary);
  for (int i = 0; i < lines; ++i) {
    out << "Show " << i << " URL: http://tv/channel" << i << " START: " << startText
        << " END: " << endText << " REPEAT: " << repeats[i % 3]
        << " PROG: Player WND: 100,100,600,500\r\n";
  }
}

double MsSince(Clock::time_point from) {
  return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

struct Opening {
  double shown = 0;
  double drawn = 0;
};

// Opens the list from the dialog and closes it again; false when it did not
// open with every row.
bool OpenList(DWORD pid, HWND dialog, int lines, Opening& opening) {
  if (!e2e::Settle(dialog)) return false;
  DWORD_PTR ignored = 0;
  const auto clicked = Clock::now();
  if (SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(kViewScheduler, BN_CLICKED),
                          reinterpret_cast<LPARAM>(GetDlgItem(dialog, kViewScheduler)), SMTO_NORMAL,
                          kOpenLimitMs, &ignored) == 0) {
    return false;
  }
  opening.shown = MsSince(clicked);
  const HWND list = e2e::FindProcessWindow(pid, "#32770", "Scheduled Events");
  if (list == nullptr) return false;
  RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  opening.drawn = MsSince(clicked);
  const bool complete = e2e::ListViewRows(GetDlgItem(list, kEvents)) == lines;
  SendMessageTimeoutA(list, WM_CLOSE, 0, 0, SMTO_NORMAL, kOpenLimitMs, &ignored);
  return complete && e2e::FindProcessWindow(pid, "#32770", "Scheduled Events") == nullptr;
}

struct Run {
  Opening first;
  Opening again;
};

bool MeasureRun(int lines, Run& run) {
  e2e::TempFolder folder("ormidal_list_" + std::to_string(lines));
  WriteSchedule(folder.Path() / "schedule.log", lines);
  e2e::Process scheduler;
  if (!scheduler.Start("\"" + e2e::ProgramPath("Ormidal.exe") + "\" /w Lumora /dir \"" +
                       folder.Windows() + "\"")) {
    return false;
  }
  const HWND dialog =
      e2e::WaitProcessWindow(scheduler.Id(), "#32770", "Schedule Lumora Recordings...", 15s);
  // Opened while the scheduler's pass runs every second, as the user opens it.
  return dialog != nullptr &&
         e2e::WaitFor([&] { return e2e::ControlText(dialog, kStatus).rfind("Scheduler is active", 0) == 0; },
                      10s) &&
         OpenList(scheduler.Id(), dialog, lines, run.first) && OpenList(scheduler.Id(), dialog, lines, run.again);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool ListOpening(int lines, int runs) {
  std::vector<double> shown, drawn, shownAgain, drawnAgain;
  for (int i = 0; i < runs; ++i) {
    Run run;
    if (!MeasureRun(lines, run)) {
      std::printf("list of %5d lines: did not open with every row (run %d)\n", lines, i + 1);
      return false;
    }
    std::printf("list of %5d lines, run %d: shown %7.1f ms, drawn %7.1f ms; again: shown %7.1f ms, drawn %7.1f ms\n",
                lines, i + 1, run.first.shown, run.first.drawn, run.again.shown, run.again.drawn);
    shown.push_back(run.first.shown);
    drawn.push_back(run.first.drawn);
    shownAgain.push_back(run.again.shown);
    drawnAgain.push_back(run.again.drawn);
  }
  const double median = Median(drawn);
  std::printf("list of %5d lines, median of %d: shown %7.1f ms, drawn %7.1f ms; again: shown %7.1f ms, "
              "drawn %7.1f ms   %s\n",
              lines, runs, Median(shown), median, Median(shownAgain), Median(drawnAgain),
              median < kListGoalMs ? "goal met" : "goal MISSED");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ormidal_load_benchmark DIST_FOLDER [RUNS]\n");
    return 2;
  }
  e2e::SetDistFolder(argv[1]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  e2e::RecordingProgram recorder("Lumora");
  bool ok = ListOpening(200, runs);
  ok = ListOpening(10000, runs) && ok;
  return ok ? 0 : 1;
}
