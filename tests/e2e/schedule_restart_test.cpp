// Ormidal.exe as Windows restarts it, with the command line it registers,
// while the recording program (the stand-in) is not running; and
// ormidal-check telling whether a scheduler runs for a folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"
#include "history.h"
#include "local_time.h"
#include "restart.h"
#include "schedule_check.h"

namespace {

using namespace std::chrono_literals;

using e2e::LocalNow;
using e2e::Seconds;

std::string Line(const std::string& name, ormidal::FileTime start, ormidal::FileTime end) {
  return name + " URL: http://tv/live START: " + ormidal::FileTimeToText(start) +
         " END: " + ormidal::FileTimeToText(end) + " REPEAT: Once PROG: Player WND: 100,100,600,500\r\n";
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++count;
  return count;
}

// A program this test did not start, ended by handle if it outlives the test.
class Started {
 public:
  explicit Started(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    process_ = fw::ScopedHandle(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
  }
  ~Started() {
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.Get(), 99);
      WaitForSingleObject(process_.Get(), 5000);
    }
  }
  bool Ended(std::chrono::milliseconds timeout) const {
    return process_ && WaitForSingleObject(process_.Get(), static_cast<DWORD>(timeout.count())) ==
                           WAIT_OBJECT_0;
  }

 private:
  fw::ScopedHandle process_;
};

TEST(Restart, WindowsRestartsTheSchedulerWhichBringsBackTheRecorderAndTheOpenWindow) {
  ASSERT_EQ(FindWindowA(nullptr, "Lumora"), nullptr) << "a stray recording window";
  e2e::TempFolder folder("ormidal_restart");
  const ormidal::FileTime now = LocalNow();
  // The last line before the restart; since then one window came and went.
  e2e::WriteFileBytes(folder.Path() / ormidal::kHistoryFileName,
                      ormidal::HistoryLine(ormidal::NewHistoryEvent(ormidal::HistoryKind::kStarted,
                                                                    now - Seconds(600))));
  e2e::WriteFileBytes(folder.Path() / "schedule.log",
                      Line("Gone", now - Seconds(400), now - Seconds(300)) +
                          Line("Night", now - Seconds(60), now + Seconds(20)));
  const std::filesystem::path copy = folder.Path() / "standin.txt";
  ASSERT_TRUE(SetEnvironmentVariableW(L"RECORDER_STANDIN_OUTPUT", copy.wstring().c_str()));

  // What the scheduler registers, made by the same function from the same options.
  ormidal::Options options;
  options.windowName = "Lumora";
  options.settingsFolder = folder.Windows();
  const std::wstring standin = e2e::Widen(e2e::ProgramPath("recorder-standin.exe"));
  const ormidal::RestartCommandLine line = ormidal::MakeRestartCommandLine(
      options, standin, [](std::string_view text) { return e2e::Widen(std::string(text)); });
  ASSERT_FALSE(line.withoutPath);
  e2e::Process scheduler;
  ASSERT_TRUE(scheduler.Start(L"\"" + e2e::Widen(e2e::ProgramPath("Ormidal.exe")) + L"\" " +
                                  line.arguments,
                              {}));
  HWND window = nullptr;
  ASSERT_TRUE(e2e::WaitFor([&] { return (window = FindWindowA(nullptr, "Lumora")) != nullptr; }, 30s));
  Started recorder(window);
  SetEnvironmentVariableW(L"RECORDER_STANDIN_OUTPUT", nullptr);
  ASSERT_TRUE(e2e::WaitFor(
      [&] { return e2e::ReadFileBytes(copy).find(" stop request") != std::string::npos; }, 40s))
      << e2e::ReadFileBytes(copy);
  // Its window came in time: start-up had nothing to say.
  EXPECT_TRUE(e2e::MessageBoxTexts(scheduler.Id(), "Scheduler message").empty());
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(recorder.Ended(10s));
  DWORD code = 1;
  EXPECT_TRUE(scheduler.WaitExit(code, 10s));  // its recording program has gone

  const std::string received = e2e::ReadFileBytes(copy);
  EXPECT_EQ(Occurrences(received, "start request: file \"Night\""), 1u) << received;
  EXPECT_NE(received.find("received 1 start and 1 stop requests"), std::string::npos) << received;

  using ormidal::HistoryCause;
  using ormidal::HistoryKind;
  const std::string bytes = e2e::ReadFileBytes(folder.Path() / ormidal::kHistoryFileName);
  const std::vector<ormidal::HistoryEvent> events = ormidal::ReadHistory(bytes).events;
  const auto count = [&](HistoryKind kind, HistoryCause cause, const std::string& name) {
    return std::count_if(events.begin(), events.end(), [&](const ormidal::HistoryEvent& e) {
      return e.kind == kind && e.cause == cause && e.name == name;
    });
  };
  EXPECT_EQ(count(HistoryKind::kStarted, HistoryCause::kRestarted, ""), 1) << bytes;
  EXPECT_EQ(count(HistoryKind::kRecorderStarted, HistoryCause::kNone, ""), 1) << bytes;
  EXPECT_EQ(count(HistoryKind::kMissed, HistoryCause::kWhileRestarting, "Gone"), 1) << bytes;
  EXPECT_EQ(count(HistoryKind::kStartSent, HistoryCause::kNone, "Night"), 1) << bytes;
  EXPECT_EQ(count(HistoryKind::kStopSent, HistoryCause::kNone, "Night"), 1) << bytes;
  const auto brought = std::find_if(events.begin(), events.end(), [](const auto& e) {
    return e.kind == HistoryKind::kRecorderStarted;
  });
  ASSERT_NE(brought, events.end());
  EXPECT_EQ(brought->text, e2e::ProgramPath("recorder-standin.exe"));
}

// Exit codes 1 and 0 as the scheduler for the folder is missing or running.
TEST(Restart, TheCheckTellsWhenNoSchedulerRunsForTheFolder) {
  e2e::RecordingProgram recorder("Lumora");
  e2e::TempFolder folder("ormidal_check_running");
  const ormidal::FileTime start = LocalNow() + Seconds(3600);
  e2e::WriteFileBytes(folder.Path() / "schedule.log", Line("Later", start, start + Seconds(60)));
  int runs = 0;
  const auto check = [&](const char* options, std::string& output) {
    e2e::Process run;
    e2e::StartOptions quiet;
    // A file of its own: an ended run may hold its file for a moment.
    quiet.output = folder.Path() / ("check" + std::to_string(++runs) + ".txt");
    quiet.noWindow = true;
    DWORD code = 99;
    if (!run.Start("\"" + e2e::ProgramPath("ormidal-check.exe") + "\" " + options + " \"" +
                       (folder.Path() / "schedule.log").string() + "\"",
                   quiet) ||
        !run.WaitExit(code, 20s)) {
      return DWORD{99};
    }
    output = e2e::ReadFileBytes(quiet.output);
    return code;
  };
  std::string output;
  EXPECT_EQ(check("", output), 1u);
  EXPECT_NE(output.find(std::string("\n") + ormidal::kNoSchedulerProblem + "\r\n"), std::string::npos)
      << output;
  EXPECT_EQ(check("--json", output), 1u);
  EXPECT_NE(output.find("\"kind\": \"no-scheduler\""), std::string::npos) << output;

  e2e::Process scheduler;
  ASSERT_TRUE(scheduler.Start("\"" + e2e::ProgramPath("Ormidal.exe") + "\" /w Lumora /dir \"" +
                              folder.Windows() + "\""));
  // Once enabled: the check reads the schedule after the scheduler has.
  ASSERT_TRUE(e2e::WaitFor([&] {
    return e2e::ReadFileBytes(folder.Path() / ormidal::kHistoryFileName).find("\tenabled\t") !=
           std::string::npos;
  }));
  EXPECT_EQ(check("", output), 0u) << output;
  EXPECT_EQ(output.find(ormidal::kNoSchedulerProblem), std::string::npos) << output;

  // Closed while that start lies ahead: the history names what it leaves unsent.
  const HWND dialog = e2e::WaitProcessWindow(scheduler.Id(), "#32770", "Schedule Lumora Recordings...");
  ASSERT_NE(dialog, nullptr);
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  DWORD code = 1;
  ASSERT_TRUE(scheduler.WaitExit(code, 10s));
  const std::string bytes = e2e::ReadFileBytes(folder.Path() / ormidal::kHistoryFileName);
  const std::vector<ormidal::HistoryEvent> events = ormidal::ReadHistory(bytes).events;
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().cause, ormidal::HistoryCause::kDialogClosed) << bytes;
  EXPECT_EQ(events.back().window, start) << bytes;
}

}  // namespace
