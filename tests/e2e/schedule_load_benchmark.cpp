// How long the Scheduled Events list of Ormidal.exe takes to open under Wine
// on schedule files of 200 and 10,000 lines. Run by ./run bench, not by ctest;
// it also writes the idle schedule that ./run bench measures CPU time on.
//   ormidal_load_benchmark DIST_FOLDER
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "harness.h"
#include "time_text.h"

namespace {

using namespace std::chrono_literals;

constexpr double kListGoalMs = 1000;
constexpr int kViewScheduler = 1015;
constexpr int kEvents = 1004;

// Entries a day ahead: the scheduler examines them every second but never starts one.
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
  const char* repeats[] = {"Once", "Daily", "Mon Wed Fri"};
  std::ofstream out(file, std::ios::binary);
  for (int i = 0; i < lines; ++i) {
    out << "Show " << i << " URL: http://tv/channel" << i << " START: " << startText
        << " END: " << endText << " REPEAT: " << repeats[i % 3]
        << " PROG: Player WND: 100,100,600,500\r\n";
  }
}

HWND StartScheduler(e2e::Process& scheduler, const e2e::TempFolder& folder) {
  if (!scheduler.Start("\"" + e2e::ProgramPath("Ormidal.exe") + "\" /w Lumora /dir \"" +
                       folder.Windows() + "\"")) {
    return nullptr;
  }
  return e2e::WaitProcessWindow(scheduler.Id(), "#32770", "Schedule Lumora Recordings...", 15s);
}

bool ListOpening(int lines) {
  e2e::TempFolder folder("ormidal_list_" + std::to_string(lines));
  WriteSchedule(folder.Path() / "schedule.log", lines);
  e2e::Process scheduler;
  HWND dialog = StartScheduler(scheduler, folder);
  if (dialog == nullptr) return false;
  e2e::WaitFor([&] { return e2e::ControlText(dialog, 1027).rfind("Scheduler is active", 0) == 0; }, 10s);
  const auto clicked = std::chrono::steady_clock::now();
  e2e::Click(dialog, kViewScheduler);
  HWND view = nullptr;
  const auto deadline = clicked + 30s;
  while (std::chrono::steady_clock::now() < deadline) {
    HWND list = e2e::FindProcessWindow(scheduler.Id(), "#32770", "Scheduled Events");
    view = list != nullptr ? GetDlgItem(list, kEvents) : nullptr;
    if (view != nullptr && e2e::ListViewRows(view) == lines) break;
    view = nullptr;
    std::this_thread::sleep_for(2ms);
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - clicked).count();
  if (view == nullptr) {
    std::printf("list of %d lines: did not open with every row within 30 s\n", lines);
    return false;
  }
  std::printf("list of %5d lines opened in %7.1f ms   %s\n", lines, ms,
              ms < kListGoalMs ? "goal met" : "goal MISSED");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ormidal_load_benchmark DIST_FOLDER\n");
    return 2;
  }
  e2e::SetDistFolder(argv[1]);
  e2e::RecordingProgram recorder("Lumora");
  bool ok = ListOpening(200);
  ok = ListOpening(10000) && ok;
  return ok ? 0 : 1;
}
