// recorder-standin.exe under Wine: it answers and prints the requests that
// a scheduler sends to its window. The test plays the scheduler.
#include <gtest/gtest.h>

#include <string>

#include "harness.h"
#include "recorder_protocol.h"

namespace {

using namespace std::chrono_literals;

// The stand-in with its output in a file of its own (an ended one may still
// hold its file for a moment); ended by handle whatever happens.
class Standin {
 public:
  explicit Standin(const std::string& arguments) : folder_("standin") {
    e2e::StartOptions quiet;
    quiet.output = Output();
    quiet.noWindow = true;
    started_ = process_.Start("\"" + e2e::ProgramPath("recorder-standin.exe") + "\" " + arguments, quiet);
  }
  bool Started() const { return started_; }
  bool Ended(std::chrono::milliseconds timeout) {
    DWORD code = 0;
    return process_.WaitExit(code, timeout);
  }
  std::string Text() const { return e2e::ReadFileBytes(Output()); }

 private:
  std::filesystem::path Output() const { return folder_.Path() / "output.txt"; }
  e2e::TempFolder folder_;
  e2e::Process process_;
  bool started_ = false;
};

HWND WaitWindow(const char* title) {
  HWND window = nullptr;
  e2e::WaitFor([&] { return (window = FindWindowA(nullptr, title)) != nullptr; });
  return window;
}

LRESULT SendStart(HWND window, const std::string& bytes) {
  COPYDATASTRUCT data{ormidal::kStartRequestData, static_cast<DWORD>(bytes.size()),
                      const_cast<char*>(bytes.data())};
  return SendMessageA(window, WM_COPYDATA, ormidal::kStartRequestCode,
                      reinterpret_cast<LPARAM>(&data));
}

TEST(RecorderStandin, AnswersPrintsAndPlacesItselfForAUtf16StartAndAStop) {
  Standin standin("\"Lumora standin test\"");
  ASSERT_TRUE(standin.Started());
  HWND window = WaitWindow("Lumora standin test");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendStart(window, e2e::Utf16Bytes("Late show pos: 50,60,450,360 url: http://tv/a b pro: player sec: 90")),
            TRUE);
  RECT placed{};
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left, 50);
  EXPECT_EQ(placed.top, 60);
  EXPECT_EQ(placed.right, 450);
  EXPECT_EQ(placed.bottom, 360);
  const UINT stop = RegisterWindowMessageA(ormidal::kStopMessageName);
  const WPARAM code = ormidal::kStopRequestCode;
  EXPECT_EQ(SendMessageA(window, stop, code, code), 1);
  // Neither a stop with other parameters nor an unknown copy is a request.
  EXPECT_EQ(SendMessageA(window, stop, code, code + 1), 0);
  EXPECT_EQ(SendStart(window, e2e::Utf16Bytes("not a start request")), FALSE);
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(standin.Ended(10s));
  const std::string output = standin.Text();
  EXPECT_NE(output.find("start request: file \"Late show\", position \"50,60,450,360\", URL "
                        "\"http://tv/a b\", program \"player\", seconds 90 (134 bytes, UTF-16)"),
            std::string::npos)
      << output;
  EXPECT_NE(output.find(" stop request\r\n"), std::string::npos) << output;
  EXPECT_NE(output.find("start request not understood"), std::string::npos) << output;
  EXPECT_NE(output.find("received 2 start and 1 stop requests"), std::string::npos) << output;
}

TEST(RecorderStandin, TheAudioRecorderReadsEightBitText) {
  Standin standin("\"Sonvee standin test\"");
  ASSERT_TRUE(standin.Started());
  HWND window = WaitWindow("Sonvee standin test");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendStart(window, "Radio pos:  url: http://radio pro: player sec: 4294967295"), TRUE);
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(standin.Ended(10s));
  EXPECT_NE(standin.Text().find("file \"Radio\", position \"\", URL \"http://radio\", program "
                                  "\"player\", seconds 4294967295 (57 bytes, 8-bit)"),
            std::string::npos)
      << standin.Text();
}

TEST(RecorderStandin, StartsTheGivenCommandAndEndsItWithItself) {
  // cmd.exe stands for the scheduler: it would wait forever for input.
  Standin standin("\"Lumora standin timer\" /seconds 1 /start \"cmd.exe /k\"");
  ASSERT_TRUE(standin.Started());
  ASSERT_TRUE(standin.Ended(15s));
  const std::string output = standin.Text();
  EXPECT_NE(output.find("started cmd.exe /k (process "), std::string::npos) << output;
  EXPECT_NE(output.find("ending after 1 s"), std::string::npos) << output;
  EXPECT_NE(output.find("ending the scheduler"), std::string::npos) << output;
}

TEST(RecorderStandin, RefusesAMalformedCommandLine) {
  Standin standin("/seconds soon");
  ASSERT_TRUE(standin.Started());
  ASSERT_TRUE(standin.Ended(10s));
  EXPECT_NE(standin.Text().find("usage: recorder-standin"), std::string::npos);
}

}  // namespace
