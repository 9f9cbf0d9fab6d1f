// Ormidal.exe driving a recording program: this test is the recording
// program and records every request that reaches its window, and reads the
// history the scheduler keeps of them; and Ormidal.exe as Windows restarts it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "harness.h"
#include "history.h"
#include "local_time.h"
#include "power_plan.h"
#include "recorder_protocol.h"
#include "restart.h"
#include "schedule_check.h"

namespace {

using namespace std::chrono_literals;

using e2e::LocalNow;
using e2e::Seconds;

int SecondOfDay(const SYSTEMTIME& t) { return (t.wHour * 60 + t.wMinute) * 60 + t.wSecond; }
int SecondOfDay(ormidal::FileTime p) {
  ormidal::CalendarRecord r;
  ormidal::FileTimeToRecord(p, r);
  return (r.hour * 60 + r.minute) * 60 + r.second;
}

class SchedulerRun {
 public:
  SchedulerRun(const std::string& name, const std::string& line)
      : folder_(name) {
    e2e::WriteFileBytes(folder_.Path() / "schedule.log", line);
  }
  void Start(const std::string& windowName, const char* program = "Ormidal.exe") {
    ASSERT_TRUE(process.Start("\"" + e2e::ProgramPath(program) + "\" /w " + windowName +
                              " /dir \"" + folder_.Windows() + "\""));
  }
  std::filesystem::path HistoryPath() const { return folder_.Path() / ormidal::kHistoryFileName; }
  std::filesystem::path SchedulePath() const { return folder_.Path() / "schedule.log"; }
  ormidal::HistoryContents History() const {
    return ormidal::ReadHistory(e2e::ReadFileBytes(HistoryPath()));
  }
  HWND Dialog() const {
    return e2e::WaitProcessWindow(process.Id(), "#32770", "Schedule Lumora Recordings...");
  }
  e2e::Process process;

 private:
  e2e::TempFolder folder_;
};

std::string Line(const std::string& name, ormidal::FileTime start, ormidal::FileTime end,
                 const std::string& pos = "100,100,600,500") {
  return name + " URL: http://tv/live START: " + ormidal::FileTimeToText(start) +
         " END: " + ormidal::FileTimeToText(end) + " REPEAT: Once PROG: Player WND: " + pos +
         "\r\n";
}

// One start request as UTF-16 when the window opens and one stop when it closes.
void ExpectStartAndStop(const char* program) {
  e2e::RecordingProgram recorder("Lumora");
  const ormidal::FileTime start = LocalNow() + Seconds(4);
  SchedulerRun run("ormidal_utf16", Line("Show", start, start + Seconds(2)));
  run.Start("Lumora", program);
  ASSERT_TRUE(recorder.WaitCount(true, 1, 15s));
  ASSERT_TRUE(recorder.WaitCount(false, 1, 10s));
  const auto requests = recorder.Requests();
  ASSERT_EQ(requests.size(), 2u);
  const auto& s = requests[0];
  ASSERT_TRUE(s.start);
  EXPECT_EQ(s.wParam, ormidal::kStartRequestCode);
  EXPECT_EQ(s.dwData, ormidal::kStartRequestData);
  EXPECT_EQ(s.bytes, e2e::Utf16Bytes("Show pos: 100,100,600,500 url: http://tv/live pro: player sec: 2"));
  EXPECT_EQ(SecondOfDay(s.at), SecondOfDay(start));
  const auto& t = requests[1];
  EXPECT_FALSE(t.start);
  EXPECT_EQ(t.wParam, ormidal::kStopRequestCode);
  EXPECT_EQ(t.lParam, LPARAM{ormidal::kStopRequestCode});
  EXPECT_EQ(SecondOfDay(t.at), SecondOfDay(start + Seconds(2)));
  EXPECT_TRUE(run.process.Running());
}

TEST(RecorderLink, OneStartAsUtf16WhenTheWindowOpensAndOneStopWhenItCloses) {
  ExpectStartAndStop("Ormidal.exe");
}

#if defined(_WIN64)
// This test is a 64-bit recording program: the shipped 32-bit scheduler must
// send it the very bytes the 64-bit one sends.
TEST(RecorderLink, The32BitSchedulerSendsA64BitRecorderTheSameBytes) {
  if (std::getenv("WINE_RUNS_X86") == nullptr) GTEST_SKIP() << "32-bit programs do not run here";
  ExpectStartAndStop("..\\x86\\Ormidal.exe");
}
#endif

TEST(RecorderLink, TheAudioRecorderGetsEightBitTextAndNeedsNoPosition) {
  e2e::RecordingProgram recorder("Sonvee");
  const ormidal::FileTime start = LocalNow() + Seconds(3);
  SchedulerRun run("ormidal_8bit", Line("Radio", start, start + Seconds(1), ""));
  run.Start("Sonvee");
  ASSERT_TRUE(recorder.WaitCount(false, 1, 15s));
  const auto requests = recorder.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].bytes, "Radio pos:  url: http://tv/live pro: player sec: 1");
}

TEST(RecorderLink, AMissingRecordingWindowCancelsTheRecording) {
  e2e::RecordingProgram recorder("Lumora");
  const ormidal::FileTime start = LocalNow() + Seconds(2);
  SchedulerRun run("ormidal_missing", Line("Show", start, start + Seconds(2)));
  run.Start("Vantor");
  HWND box = e2e::WaitMessageBox(run.process.Id(), "Scheduler message", 15s);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(e2e::MessageBoxText(box), "No recording program is running. Recording canceled.");
  e2e::PressButton(box, IDOK);
  // Past the end of the window nothing has reached any recording program.
  EXPECT_FALSE(e2e::WaitFor([&] { return !recorder.Requests().empty(); }, 4s));
}

TEST(RecorderLink, AWindowAlreadyOpenAtStartUpStartsAtOnce) {
  e2e::RecordingProgram recorder("Lumora");
  const ormidal::FileTime now = LocalNow();
  SchedulerRun run("ormidal_open", Line("Late", now - Seconds(60), now + Seconds(30)));
  const auto launched = std::chrono::steady_clock::now();
  run.Start("Lumora");
  ASSERT_TRUE(recorder.WaitCount(true, 1, 10s));
  EXPECT_LT(std::chrono::steady_clock::now() - launched, 5s);
  // The entry's own length goes out, not the part that is left.
  EXPECT_EQ(recorder.Requests()[0].bytes,
            e2e::Utf16Bytes("Late pos: 100,100,600,500 url: http://tv/live pro: player sec: 90"));
}

TEST(RecorderLink, AnExplorerWindowOfTheSameTitleAboveTheRecorderGetsNothing) {
  auto recorder = std::make_unique<e2e::RecordingProgram>("Lumora");
  e2e::RecordingProgram folder("Lumora", "CabinetWClass");  // Explorer on a folder "Lumora"
  const auto folderOnTop = [&] {
    SetWindowPos(folder.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return FindWindowA(nullptr, "Lumora") == folder.Handle();
  };
  ASSERT_TRUE(folderOnTop());
  const ormidal::FileTime start = LocalNow() + Seconds(4);
  SchedulerRun run("ormidal_explorer", Line("Show", start, start + Seconds(3)));
  run.Start("Lumora");
  ASSERT_TRUE(recorder->WaitCount(true, 1, 15s));
  ASSERT_TRUE(folderOnTop());  // the start restored the recorder, which raised it
  ASSERT_TRUE(recorder->WaitCount(false, 1, 10s));
  EXPECT_EQ(recorder->Requests().size(), 2u);
  EXPECT_TRUE(folder.Requests().empty());
  recorder.reset();
  DWORD code = 1;
  EXPECT_TRUE(run.process.WaitExit(code, 5s)) << "the folder kept it running";
}

// The running recording's stop goes out while nobody answers the refusal.
TEST(RecorderLink, ARunningRecordingStopsWhileTheRefusedPositionIsUnanswered) {
  e2e::RecordingProgram recorder("Lumora");
  const ormidal::FileTime now = LocalNow();
  const ormidal::FileTime end = now + Seconds(8);
  SchedulerRun run("ormidal_refused", Line("Running", now - Seconds(60), end) +
                                          Line("Bad", now + Seconds(4), end, "0,0,0,0"));
  run.Start("Lumora");
  const HWND box = e2e::WaitMessageBox(run.process.Id(), "Scheduler message", 15s);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(e2e::MessageBoxText(box), "Error in window position. Cannot continue");
  ASSERT_TRUE(recorder.WaitCount(false, 1, 15s));
  EXPECT_EQ(SecondOfDay(recorder.Requests().back().at), SecondOfDay(end));
  e2e::PressButton(box, IDOK);
}

// A program that holds the schedule for seconds as the scheduler reads it (a
// backup tool, a sync client) only delays the enable.
TEST(RecorderLink, AScheduleHeldForSecondsAtEnableOnlyDelaysIt) {
  e2e::RecordingProgram recorder("Lumora");
  const ormidal::FileTime now = LocalNow();
  SchedulerRun run("ormidal_held", Line("Held", now - Seconds(60), now + Seconds(60)));
  fw::ScopedHandle held(CreateFileW(run.SchedulePath().c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  run.Start("Lumora");
  ASSERT_NE(run.Dialog(), nullptr);  // its first tick, which enables, has come
  auto toldOrStarted = [&] {
    return recorder.Count(true) > 0 ||
           !e2e::MessageBoxTexts(run.process.Id(), "Scheduler message").empty();
  };
  EXPECT_FALSE(e2e::WaitFor(toldOrStarted, 3s));
  held.Close();
  ASSERT_TRUE(recorder.WaitCount(true, 1, 10s));
  EXPECT_TRUE(e2e::MessageBoxTexts(run.process.Id(), "Scheduler message").empty());
  EXPECT_TRUE(run.process.Running());
}

using ormidal::HistoryCause;
using ormidal::HistoryEvent;
using ormidal::HistoryKind;

// The program's own name: the caption of the notices that do not wait for an answer.
constexpr char kNoticeCaption[] = "Ormidal";
constexpr char kHistoryFailure[] = "Cannot write the scheduler history ";

HistoryEvent Event(HistoryKind kind, HistoryCause cause = HistoryCause::kNone) {
  HistoryEvent event;
  event.kind = kind;
  event.cause = cause;
  return event;
}

HistoryEvent Sent(HistoryKind kind, const std::string& name, ormidal::FileTime window,
                  ormidal::FileTime at, uint32_t seconds = 0) {
  HistoryEvent event = Event(kind);
  event.name = name;
  event.window = window;
  event.time = at;
  event.seconds = seconds;
  return event;
}

// The events as the test can foresee them: an event of the scheduler's own
// at an unknown second, a request at its due second and sent within it.
std::vector<HistoryEvent> Foreseeable(std::vector<HistoryEvent> events) {
  for (HistoryEvent& event : events) {
    const bool request =
        event.kind == HistoryKind::kStartSent || event.kind == HistoryKind::kStopSent;
    if (!request) event.time = 0;
    EXPECT_LT(event.ms, 1000u) << event.name;
    event.ms = 0;
  }
  return events;
}

std::vector<HistoryKind> Kinds(const std::vector<HistoryEvent>& events) {
  std::vector<HistoryKind> kinds;
  for (const HistoryEvent& event : events) kinds.push_back(event.kind);
  return kinds;
}

TEST(History, ARunWithTwoWindowsWritesWhatWasSentInOrderAndWhyItEnded) {
  e2e::RecordingProgram recorder("Lumora");
  const ormidal::FileTime a = LocalNow() + Seconds(4);
  const ormidal::FileTime b = a + Seconds(1);
  SchedulerRun run("ormidal_history",
                   Line("Alpha", a, a + Seconds(2)) + Line("Beta", b, b + Seconds(2)));
  run.Start("Lumora");
  // This Wine ignores the resume of every wake timer: the user is told once, in
  // the notification area's balloons (no box), the two pieces one after the other.
  const std::vector<std::string> pieces = ormidal::NoticePieces(ormidal::kNoResumeNotice, 255);
  std::vector<std::string> seen;
  EXPECT_TRUE(e2e::WaitFor(
      [&] {
        for (const std::string& text : e2e::BalloonTexts()) {
          if (std::find(seen.begin(), seen.end(), text) == seen.end()) seen.push_back(text);
        }
        return seen.size() >= 2;
      },
      30s));
  EXPECT_EQ(seen, pieces);
  ASSERT_TRUE(recorder.WaitCount(false, 2, 15s));
  EXPECT_EQ(e2e::MessageBoxTexts(run.process.Id(), kNoticeCaption), std::vector<std::string>{});
  const HWND dialog = run.Dialog();
  ASSERT_NE(dialog, nullptr);
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  DWORD code = 1;
  ASSERT_TRUE(run.process.WaitExit(code, 10s));

  HistoryEvent enabled = Event(HistoryKind::kEnabled);
  enabled.count = 2;
  HistoryEvent noWake = Event(HistoryKind::kPowerUnavailable, HistoryCause::kWake);
  noWake.text = ormidal::kNoResumeNotice;
  const ormidal::HistoryContents history = run.History();
  EXPECT_EQ(history.damaged, 0u);
  EXPECT_EQ(Foreseeable(history.events),
            (std::vector<HistoryEvent>{
                Event(HistoryKind::kStarted), enabled, noWake,
                Sent(HistoryKind::kStartSent, "Alpha", a, a, 2),
                Sent(HistoryKind::kStartSent, "Beta", b, b, 2),
                Sent(HistoryKind::kStopSent, "Alpha", a, a + Seconds(2)),
                Sent(HistoryKind::kStopSent, "Beta", b, b + Seconds(2)),
                Event(HistoryKind::kEnded, HistoryCause::kDialogClosed)}))
      << e2e::ReadFileBytes(run.HistoryPath());
}

TEST(History, AHistoryHeldWithoutWriteSharingDelaysNoRequestAndIsToldOnce) {
  e2e::RecordingProgram recorder("Lumora");
  const ormidal::FileTime start = LocalNow() + Seconds(4);
  SchedulerRun run("ormidal_history_held", Line("Show", start, start + Seconds(3)));
  fw::ScopedHandle held(CreateFileW(run.HistoryPath().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  run.Start("Lumora");
  ASSERT_TRUE(recorder.WaitCount(true, 1, 15s));
  EXPECT_EQ(SecondOfDay(recorder.Requests()[0].at), SecondOfDay(start));
  const auto failures = [&] {
    int count = 0;
    for (const std::string& text : e2e::MessageBoxTexts(run.process.Id(), kNoticeCaption)) {
      if (text.rfind(kHistoryFailure, 0) == 0) ++count;
    }
    return count;
  };
  EXPECT_TRUE(e2e::WaitFor([&] { return failures() == 1; }, 5s));
  EXPECT_EQ(e2e::ReadFileBytes(run.HistoryPath()), "");

  held.Close();
  ASSERT_TRUE(recorder.WaitCount(false, 1, 10s));
  EXPECT_EQ(SecondOfDay(recorder.Requests()[1].at), SecondOfDay(start + Seconds(3)));
  // The lines that waited go out with the stop's.
  EXPECT_TRUE(e2e::WaitFor([&] { return run.History().events.size() >= 5; }, 5s));
  EXPECT_EQ(Kinds(run.History().events),
            (std::vector<HistoryKind>{HistoryKind::kStarted, HistoryKind::kEnabled,
                                      HistoryKind::kPowerUnavailable, HistoryKind::kStartSent,
                                      HistoryKind::kStopSent}))
      << e2e::ReadFileBytes(run.HistoryPath());
  EXPECT_EQ(failures(), 1);
  EXPECT_TRUE(run.process.Running());
}

TEST(History, OthersReadTheHistoryWhileTheSchedulerWritesIt) {
  e2e::RecordingProgram recorder("Lumora");
  const ormidal::FileTime start = LocalNow() + Seconds(3600);
  SchedulerRun run("ormidal_history_read", Line("Later", start, start + Seconds(60)));
  run.Start("Lumora");
  const HWND dialog = run.Dialog();
  ASSERT_NE(dialog, nullptr);
  // As Notepad and ormidal-check open it.
  fw::ScopedHandle reader;
  ASSERT_TRUE(e2e::WaitFor([&] {
    reader = fw::ScopedHandle(CreateFileW(run.HistoryPath().c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(reader);
  }));
  const auto read = [&] {
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    SetFilePointer(reader.Get(), 0, nullptr, FILE_BEGIN);
    while (ReadFile(reader.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
      bytes.append(buffer, got);
    }
    return bytes;
  };
  constexpr int kDisable = 1009, kEnable = 1006;
  ASSERT_TRUE(e2e::WaitFor([&] { return read().find("\tenabled\t") != std::string::npos; }));
  e2e::Click(dialog, kDisable);
  ASSERT_TRUE(e2e::WaitFor([&] { return read().find("\tdisabled\t") != std::string::npos; }));
  e2e::Click(dialog, kEnable);
  std::string bytes;
  ASSERT_TRUE(e2e::WaitFor([&] {
    bytes = read();
    const std::size_t disabled = bytes.find("\tdisabled\tby=user");
    return disabled != std::string::npos && bytes.find("\tenabled\t", disabled) != std::string::npos;
  })) << bytes;
  // Whole lines only, though the reader holds the file throughout.
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  EXPECT_EQ(ormidal::ReadHistory(bytes).damaged, 0u);
  EXPECT_EQ(ormidal::ReadHistory(bytes).events.front().kind, HistoryKind::kStarted);
  for (const std::string& text : e2e::MessageBoxTexts(run.process.Id(), kNoticeCaption)) {
    EXPECT_NE(text.rfind(kHistoryFailure, 0), 0u) << text;
  }
}

TEST(History, AResumeFromSleepReachesTheEngine) {
  e2e::RecordingProgram recorder("Lumora");
  // Within a minute: the wake for it is due, as after a wake from sleep.
  const ormidal::FileTime start = LocalNow() + Seconds(40);
  SchedulerRun run("ormidal_history_resume", Line("Night", start, start + Seconds(60)));
  run.Start("Lumora");
  ASSERT_NE(run.Dialog(), nullptr);
  const HWND main = e2e::FindProcessWindow(run.process.Id(), nullptr, "Schedule Lumora Recordings");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(e2e::WaitFor([&] {
    return run.History().events.size() >= 3;  // started, enabled, the wake not available
  }));
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutA(main, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0,
                                  SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  HistoryEvent woken = Sent(HistoryKind::kWoken, "Night", start, 0);
  EXPECT_TRUE(e2e::WaitFor([&] {
    const std::vector<HistoryEvent> events = Foreseeable(run.History().events);
    return std::find(events.begin(), events.end(), woken) != events.end();
  })) << e2e::ReadFileBytes(run.HistoryPath());
}

TEST(Restart, WindowsRestartsTheSchedulerWhichBringsBackTheRecorderAndTheOpenWindow) {
  ASSERT_EQ(FindWindowA(nullptr, "Lumora"), nullptr) << "a stray recording window";
  const ormidal::FileTime now = LocalNow();
  SchedulerRun run("ormidal_restart", Line("Gone", now - Seconds(400), now - Seconds(300)) +
                                          Line("Night", now - Seconds(60), now + Seconds(20)));
  // The last line before the restart; since then one window came and went.
  e2e::WriteFileBytes(run.HistoryPath(), ormidal::HistoryLine(ormidal::NewHistoryEvent(
                                             HistoryKind::kStarted, now - Seconds(600))));
  const auto output = run.HistoryPath().parent_path() / "standin.txt";
  ASSERT_TRUE(SetEnvironmentVariableW(L"RECORDER_STANDIN_OUTPUT", output.wstring().c_str()));
  // What the scheduler registers, made by the same function from the same options.
  ormidal::Options options;
  options.windowName = "Lumora";
  options.settingsFolder = run.HistoryPath().parent_path().string();
  const std::string standin = e2e::ProgramPath("recorder-standin.exe");
  const auto line = ormidal::MakeRestartCommandLine(
      options, e2e::Widen(standin), [](std::string_view t) { return e2e::Widen(std::string(t)); });
  ASSERT_TRUE(run.process.Start(
      L"\"" + e2e::Widen(e2e::ProgramPath("Ormidal.exe")) + L"\" " + line.arguments, {}));
  HWND window = nullptr;
  ASSERT_TRUE(e2e::WaitFor([&] { return (window = FindWindowA(nullptr, "Lumora")) != nullptr; },
                           30s));
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  const fw::ScopedHandle program(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
  SetEnvironmentVariableW(L"RECORDER_STANDIN_OUTPUT", nullptr);
  const bool stopped = e2e::WaitFor(
      [&] { return e2e::ReadFileBytes(output).find(" stop request") != std::string::npos; }, 40s);
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(program.Get(), 9000) != WAIT_OBJECT_0) TerminateProcess(program.Get(), 9);
  ASSERT_TRUE(stopped);
  DWORD code = 1;
  EXPECT_TRUE(run.process.WaitExit(code, 10s));  // its recording program has gone
  EXPECT_NE(e2e::ReadFileBytes(output).find("received 1 start and 1 stop requests"),
            std::string::npos);
  const std::string history = e2e::ReadFileBytes(run.HistoryPath());
  EXPECT_NE(history.find("\tstarted\thow=restart\r\n"), std::string::npos) << history;
  EXPECT_NE(history.find("\tmissed\twhile=restart\tname=Gone\t"), std::string::npos) << history;
  const auto events = ormidal::ReadHistory(history).events;
  EXPECT_EQ(std::count_if(events.begin(), events.end(), [&](const HistoryEvent& e) {
              return e.kind == HistoryKind::kRecorderStarted && e.text == standin;
            }), 1);
}

// Exit codes 1 and 0 as no scheduler or one runs for the folder; then the
// dialog closed while a start lies ahead.
TEST(Restart, TheCheckTellsWhenNoSchedulerRunsForTheFolder) {
  e2e::RecordingProgram recorder("Lumora");
  const ormidal::FileTime start = LocalNow() + Seconds(3600);
  SchedulerRun run("ormidal_check_running", Line("Later", start, start + Seconds(60)));
  const std::string schedule = "\"" + run.SchedulePath().string() + "\"";
  const auto folder = run.SchedulePath().parent_path();
  EXPECT_EQ(e2e::RunCheck(schedule, folder / "alone"), 1u);
  const std::string output = e2e::ReadFileBytes(folder / "alone");
  EXPECT_NE(output.find(ormidal::kNoSchedulerProblem), std::string::npos) << output;
  run.Start("Lumora");
  // Once enabled (started, enabled): the check reads the schedule after the scheduler has.
  ASSERT_TRUE(e2e::WaitFor([&] { return run.History().events.size() >= 2; }));
  EXPECT_EQ(e2e::RunCheck(schedule, folder / "beside"), 0u)
      << e2e::ReadFileBytes(folder / "beside");
  PostMessageA(run.Dialog(), WM_CLOSE, 0, 0);
  DWORD code = 1;
  ASSERT_TRUE(run.process.WaitExit(code, 10s));
  const std::string history = e2e::ReadFileBytes(run.HistoryPath());
  EXPECT_TRUE(history.ends_with("\tended\twhy=dialog-closed\tnext=" +
                                ormidal::FileTimeToText(start) + "\r\n")) << history;
}

}  // namespace
