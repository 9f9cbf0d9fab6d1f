// Ormidal.exe as Windows restarts it, while the recording program (the
// stand-in) is not running; ormidal-check telling whether a scheduler runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "harness.h"
#include "history.h"
#include "local_time.h"
#include "restart.h"
#include "schedule_check.h"

namespace {

using namespace std::chrono_literals;
using e2e::LocalNow;
using e2e::Seconds;
using ormidal::HistoryCause;
using ormidal::HistoryKind;

std::string Line(const std::string& name, ormidal::FileTime start, ormidal::FileTime end) {
  return name + " URL: http://tv/live START: " + ormidal::FileTimeToText(start) + " END: " +
         ormidal::FileTimeToText(end) + " REPEAT: Once PROG: Player WND: 100,100,600,500\r\n";
}

TEST(Restart, WindowsRestartsTheSchedulerWhichBringsBackTheRecorderAndTheOpenWindow) {
  ASSERT_EQ(FindWindowA(nullptr, "Lumora"), nullptr) << "a stray recording window";
  e2e::TempFolder folder("ormidal_restart");
  const auto history = folder.Path() / ormidal::kHistoryFileName;
  const ormidal::FileTime now = LocalNow();
  // The last line before the restart; since then one window came and went.
  e2e::WriteFileBytes(history, ormidal::HistoryLine(ormidal::NewHistoryEvent(
                                   HistoryKind::kStarted, now - Seconds(600))));
  e2e::WriteFileBytes(folder.Path() / "schedule.log",
                      Line("Gone", now - Seconds(400), now - Seconds(300)) +
                          Line("Night", now - Seconds(60), now + Seconds(20)));
  const auto output = folder.Path() / "standin.txt";
  ASSERT_TRUE(SetEnvironmentVariableW(L"RECORDER_STANDIN_OUTPUT", output.wstring().c_str()));
  // What the scheduler registers, made by the same function from the same options.
  ormidal::Options options;
  options.windowName = "Lumora";
  options.settingsFolder = folder.Windows();
  const std::string standin = e2e::ProgramPath("recorder-standin.exe");
  const auto line = ormidal::MakeRestartCommandLine(
      options, e2e::Widen(standin), [](std::string_view t) { return e2e::Widen(std::string(t)); });
  e2e::Process scheduler;
  ASSERT_TRUE(scheduler.Start(L"\"" + e2e::Widen(e2e::ProgramPath("Ormidal.exe")) + L"\" " +
                                  line.arguments, {}));
  HWND window = nullptr;
  ASSERT_TRUE(e2e::WaitFor([&] { return (window = FindWindowA(nullptr, "Lumora")) != nullptr; }, 30s));
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  const fw::ScopedHandle recorder(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
  SetEnvironmentVariableW(L"RECORDER_STANDIN_OUTPUT", nullptr);
  const bool stopped = e2e::WaitFor(
      [&] { return e2e::ReadFileBytes(output).find(" stop request") != std::string::npos; }, 40s);
  // Its window came in time: start-up had nothing to say.
  EXPECT_TRUE(e2e::MessageBoxTexts(scheduler.Id(), "Scheduler message").empty());
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(recorder.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(recorder.Get(), 99);
  ASSERT_TRUE(stopped) << e2e::ReadFileBytes(output);
  DWORD code = 1;
  EXPECT_TRUE(scheduler.WaitExit(code, 10s));  // its recording program has gone
  EXPECT_NE(e2e::ReadFileBytes(output).find("received 1 start and 1 stop requests"), std::string::npos);

  const std::string bytes = e2e::ReadFileBytes(history);
  const auto events = ormidal::ReadHistory(bytes).events;
  for (const auto& [kind, cause, name] : std::vector<std::tuple<HistoryKind, HistoryCause, std::string>>{
           {HistoryKind::kStarted, HistoryCause::kRestarted, ""},
           {HistoryKind::kRecorderStarted, HistoryCause::kNone, ""},
           {HistoryKind::kMissed, HistoryCause::kWhileRestarting, "Gone"},
           {HistoryKind::kStartSent, HistoryCause::kNone, "Night"},
           {HistoryKind::kStopSent, HistoryCause::kNone, "Night"}}) {
    EXPECT_EQ(std::count_if(events.begin(), events.end(), [&](const auto& e) {
                return e.kind == kind && e.cause == cause && e.name == name &&
                       (kind != HistoryKind::kRecorderStarted || e.text == standin);
              }), 1) << name << "\n" << bytes;
  }
}

// Exit codes 1 and 0 as no scheduler or one runs for the folder; then the
// dialog closed while a start lies ahead.
TEST(Restart, TheCheckTellsWhenNoSchedulerRunsForTheFolder) {
  e2e::RecordingProgram recorder("Lumora");
  e2e::TempFolder folder("ormidal_check_running");
  const ormidal::FileTime start = LocalNow() + Seconds(3600);
  e2e::WriteFileBytes(folder.Path() / "schedule.log", Line("Later", start, start + Seconds(60)));
  int runs = 0;
  const auto check = [&](std::string& output) {
    e2e::Process run;
    // A file of its own: an ended run may hold its file for a moment.
    const e2e::StartOptions quiet{{}, folder.Path() / ("check" + std::to_string(++runs)), true};
    DWORD code = 99;
    if (run.Start("\"" + e2e::ProgramPath("ormidal-check.exe") + "\" \"" + folder.Windows() +
                      "\\schedule.log\"", quiet)) {
      run.WaitExit(code, 20s);
    }
    output = e2e::ReadFileBytes(quiet.output);
    return code;
  };
  std::string output;
  EXPECT_EQ(check(output), 1u);
  EXPECT_NE(output.find(std::string("\n") + ormidal::kNoSchedulerProblem), std::string::npos) << output;

  e2e::Process scheduler;
  ASSERT_TRUE(scheduler.Start("\"" + e2e::ProgramPath("Ormidal.exe") + "\" /w Lumora /dir \"" +
                              folder.Windows() + "\""));
  const auto history = folder.Path() / ormidal::kHistoryFileName;
  // Once enabled: the check reads the schedule after the scheduler has.
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::ReadFileBytes(history).find("\tenabled\t") != std::string::npos; }));
  EXPECT_EQ(check(output), 0u) << output;

  const HWND dialog = e2e::WaitProcessWindow(scheduler.Id(), "#32770", "Schedule Lumora Recordings...");
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  DWORD code = 1;
  ASSERT_TRUE(scheduler.WaitExit(code, 10s));
  const auto events = ormidal::ReadHistory(e2e::ReadFileBytes(history)).events;
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(std::tie(events.back().cause, events.back().window),
            std::make_tuple(HistoryCause::kDialogClosed, start));
}

}  // namespace
