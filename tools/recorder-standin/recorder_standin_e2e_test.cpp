// recorder-standin.exe under Wine: it answers and prints the requests that
// a scheduler sends to its window. The test plays the scheduler.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

namespace {

std::string gStandinPath;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The stand-in with its output in a file; ended by handle whatever happens.
class Standin {
 public:
  explicit Standin(const std::string& arguments)
      : output_(std::filesystem::temp_directory_path() /
                ("standin_" + std::to_string(GetCurrentProcessId()) + "_" +
                 std::to_string(++instances_) + ".txt")) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(output_.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
    std::string line = "\"" + gStandinPath + "\" " + arguments;
    started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                              nullptr, nullptr, &startup, &info_) != FALSE;
    CloseHandle(file);
  }
  ~Standin() {
    if (started_) {
      if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 5000);
      CloseHandle(info_.hProcess);
      CloseHandle(info_.hThread);
    }
    std::error_code ignored;
    std::filesystem::remove(output_, ignored);
  }
  bool Started() const { return started_; }
  bool Ended(DWORD timeoutMs) { return WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0; }
  std::string Output() const {
    std::ifstream in(output_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  // Each stand-in writes a file of its own: an ended one may still hold its file for a moment.
  static inline int instances_ = 0;
  std::filesystem::path output_;
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

HWND WaitWindow(const char* title) {
  HWND window = nullptr;
  WaitFor([&] { return (window = FindWindowA(nullptr, title)) != nullptr; }, std::chrono::seconds(10));
  return window;
}

LRESULT SendStart(HWND window, const std::string& bytes) {
  COPYDATASTRUCT data{0, static_cast<DWORD>(bytes.size()), const_cast<char*>(bytes.data())};
  return SendMessageA(window, WM_COPYDATA, 707, reinterpret_cast<LPARAM>(&data));
}

std::string Utf16(const std::string& text) {
  std::string bytes;
  for (char c : text) bytes += {c, '\0'};
  return bytes;
}

TEST(RecorderStandin, AnswersPrintsAndPlacesItselfForAUtf16StartAndAStop) {
  Standin standin("\"Lumora standin test\"");
  ASSERT_TRUE(standin.Started());
  HWND window = WaitWindow("Lumora standin test");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendStart(window, Utf16("Late show pos: 50,60,450,360 url: http://tv/a b pro: player sec: 90")),
            TRUE);
  RECT placed{};
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left, 50);
  EXPECT_EQ(placed.top, 60);
  EXPECT_EQ(placed.right, 450);
  EXPECT_EQ(placed.bottom, 360);
  EXPECT_EQ(SendMessageA(window, RegisterWindowMessageA("Fendrel schedule"), 7, 7), 1);
  // Neither a stop with other parameters nor an unknown copy is a request.
  EXPECT_EQ(SendMessageA(window, RegisterWindowMessageA("Fendrel schedule"), 7, 8), 0);
  EXPECT_EQ(SendStart(window, Utf16("not a start request")), FALSE);
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(standin.Ended(10000));
  const std::string output = standin.Output();
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
  ASSERT_TRUE(standin.Ended(10000));
  EXPECT_NE(standin.Output().find("file \"Radio\", position \"\", URL \"http://radio\", program "
                                  "\"player\", seconds 4294967295 (57 bytes, 8-bit)"),
            std::string::npos)
      << standin.Output();
}

TEST(RecorderStandin, StartsTheGivenCommandAndEndsItWithItself) {
  // cmd.exe stands for the scheduler: it would wait forever for input.
  Standin standin("\"Lumora standin timer\" /seconds 1 /start \"cmd.exe /k\"");
  ASSERT_TRUE(standin.Started());
  ASSERT_TRUE(standin.Ended(15000));
  const std::string output = standin.Output();
  EXPECT_NE(output.find("started cmd.exe /k (process "), std::string::npos) << output;
  EXPECT_NE(output.find("ending after 1 s"), std::string::npos) << output;
  EXPECT_NE(output.find("ending the scheduler"), std::string::npos) << output;
}

TEST(RecorderStandin, RefusesAMalformedCommandLine) {
  Standin standin("/seconds soon");
  ASSERT_TRUE(standin.Started());
  ASSERT_TRUE(standin.Ended(10000));
  EXPECT_NE(standin.Output().find("usage: recorder-standin"), std::string::npos);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) gStandinPath = argv[1];
  // ctest names the program by its Unix path; Wine's drive Z: is the Unix root.
  if (!gStandinPath.empty() && gStandinPath[0] == '/') gStandinPath = "Z:" + gStandinPath;
  for (char& c : gStandinPath) {
    if (c == '/') c = '\\';
  }
  return RUN_ALL_TESTS();
}
