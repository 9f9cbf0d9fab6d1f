// Ormidal.exe driving a recording program: this test is the recording
// program and records every request that reaches its window.
#include <gtest/gtest.h>

#include <cstdlib>

#include "harness.h"
#include "local_time.h"
#include "recorder_protocol.h"

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

}  // namespace
