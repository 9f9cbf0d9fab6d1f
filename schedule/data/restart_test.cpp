#include "restart.h"

#include <gtest/gtest.h>

namespace ormidal {
namespace {

std::wstring Ascii(std::string_view text) { return std::wstring(text.begin(), text.end()); }
std::string Bytes(std::wstring_view text) { return std::string(text.begin(), text.end()); }

// The restart line, read back by the scheduler's own walk of its command line.
TEST(RestartCommandLine, ReadsBackAsTheOptionsWithinWindowsLimit) {
  struct Case {
    std::string w, dir;
    int32_t fmt = 0, skb = 0;
    bool min = false;
    std::wstring path;
    bool withoutPath = false;
    bool registered = true;
  };
  const std::wstring programs = L"C:\\Program Files\\Lumora\\Lumora.exe";
  const std::vector<Case> cases = {
      {"Lumora", "C:\\Settings", 0, 0, false, L"C:\\L\\Lumora.exe"},
      {"Lumora 9 \"Pro\"", "C:\\My Settings\\", 2, 1, true, programs},
      {"-Vantor", "/x", -3, 0, false, L"C:\\a\\\\b\\\"c"},
      {"", "", 0, 0, false, L""},
      // Windows counts the terminator: 1023 characters are the most.
      {"Lumora", std::string(990, 'd'), 0, 0, false, L"C:\\p.exe"},
      {"Lumora", std::string(991, 'd'), 0, 0, false, L"C:\\p.exe", true},
      {std::string(255, 'w'), std::string(999, 'd'), 0, 0, false, L"C:\\p.exe", true, false},
  };
  for (const Case& c : cases) {
    Options given;
    given.windowName = c.w;
    given.settingsFolder = c.dir;
    given.protocol = c.fmt;
    given.browserLaunch = c.skb;
    given.minimizeAtStart = c.min;
    given.durationText = "01:00:00";  // the proposal's: left out
    const RestartCommandLine line = MakeRestartCommandLine(given, c.path, Ascii);
    const std::string label = c.w + "|" + std::to_string(c.dir.size()) + "|" + Bytes(line.arguments.substr(0, 80));
    EXPECT_EQ(line.withoutPath, c.withoutPath) << label;
    ASSERT_EQ(!line.arguments.empty(), c.registered) << label;
    if (!c.registered) continue;
    EXPECT_LT(line.arguments.size(), kRestartCommandLineLimit) << label;

    const std::wstring whole = L"\"C:\\Program Files\\Ormidal.exe\" " + line.arguments;
    CmdLineInfo walked;
    fw::WalkCommandLine<char>(Bytes(whole), walked);
    Options read;
    EntryFields proposed;
    InterpretParameters(walked.parameterTable, read, proposed);
    EXPECT_EQ(read.windowName, c.w) << label;
    EXPECT_EQ(read.settingsFolder, c.dir) << label;
    EXPECT_EQ(read.protocol, c.fmt) << label;
    EXPECT_EQ(read.browserLaunch, c.skb) << label;
    EXPECT_EQ(read.minimizeAtStart, c.min) << label;
    EXPECT_EQ(read.durationText, "") << label;
    EXPECT_EQ(RestartOptionOf(whole), c.withoutPath ? L"" : c.path) << label;
  }
  EXPECT_EQ(RestartOptionOf(L"Ormidal.exe /w Lumora /dir C:\\S"), std::nullopt);
}

class ScriptedRecorder final : public RecorderStarter {
 public:
  bool WindowOpen() override {
    return openBefore || (startedAt && windowAfter && now - *startedAt >= *windowAfter);
  }
  std::string Start(const std::wstring& path) override {
    started.push_back(path);
    if (failure.empty()) startedAt = now;
    return failure;
  }
  std::chrono::milliseconds SinceStart() override { return now; }
  void Wait(std::chrono::milliseconds time) override { now += time; }

  bool openBefore = false;
  std::optional<std::chrono::milliseconds> windowAfter;  // its start; none: never
  std::string failure;
  std::chrono::milliseconds now{0};
  std::optional<std::chrono::milliseconds> startedAt;
  std::vector<std::wstring> started;
};

TEST(RestartStartUp, StartsTheRecordingProgramOnlyAfterARestartWithoutItsWindow) {
  using namespace std::chrono_literals;
  const FileTime at = GetFileTime("Dec 08,2026 03:00:00 AM");
  const std::wstring path = L"C:\\L\\Lumora.exe";
  struct Case {
    const char* label;
    std::optional<std::wstring> restart;
    bool openBefore;
    std::optional<std::chrono::milliseconds> windowAfter;
    std::string failure;
    std::string line;  // the history's, tabs as " | "; empty: none
    std::chrono::milliseconds waited;
  };
  const std::vector<Case> cases = {
      {"a start by the user", std::nullopt, false, 0ms, "", "", 0ms},
      {"restarted beside the program", path, true, 0ms, "", "", 0ms},
      {"its window at once", path, false, 0ms, "",
       "recorder-started | ms=0 | path=C:\\\\L\\\\Lumora.exe", 0ms},
      {"its window late", path, false, 30'100ms, "",
       "recorder-started | ms=30250 | path=C:\\\\L\\\\Lumora.exe", 30'250ms},
      {"its window never", path, false, std::nullopt, "",
       "not-sent | request=start-recorder | why=C:\\\\L\\\\Lumora.exe started, but its window "
       "did not appear within 120 s",
       120'000ms},
      {"it cannot start", path, false, 0ms, "error 2",
       "not-sent | request=start-recorder | why=cannot start C:\\\\L\\\\Lumora.exe: error 2", 0ms},
      {"no path", L"", false, 0ms, "",
       "not-sent | request=start-recorder | why=the restart command line names no recording "
       "program",
       0ms},
  };
  for (const Case& c : cases) {
    ScriptedRecorder recorder;
    recorder.openBefore = c.openBefore;
    recorder.windowAfter = c.windowAfter;
    recorder.failure = c.failure;
    const std::optional<HistoryEvent> event =
        BringBackRecorder(c.restart, recorder, at, [](std::wstring_view p) { return Bytes(p); });
    std::string line;
    if (event) {
      line = HistoryLine(*event);
      EXPECT_EQ(line.substr(0, 24), "Dec 08,2026 03:00:00 AM\t") << c.label;
      line = line.substr(24, line.size() - 26);
      for (std::size_t tab; (tab = line.find('\t')) != std::string::npos;) line.replace(tab, 1, " | ");
    }
    EXPECT_EQ(line, c.line) << c.label;
    EXPECT_EQ(recorder.now, c.waited) << c.label;
    const bool starts = c.restart && !c.restart->empty() && !c.openBefore;
    EXPECT_EQ(recorder.started, starts ? std::vector<std::wstring>{path} : std::vector<std::wstring>{})
        << c.label;
  }
}

TEST(RestartStartUp, TheLastEventBeforeItAndTheNextStartAClosedDialogLeaves) {
  const FileTime t = GetFileTime("Dec 08,2026 03:00:00 AM");
  const std::string ended = "Dec 08,2026 02:59:58 AM\tended\twhy=dialog-closed\r\n";
  const std::string older = "Dec 07,2026 11:00:00 PM\tstarted\r\n";
  EXPECT_EQ(LastHistoryTime("", ""), std::nullopt);
  EXPECT_EQ(LastHistoryTime(older + ended, older), t - 2 * kTicksPerSecond);
  EXPECT_EQ(LastHistoryTime("damaged\r\n", older), t - 4 * 3600 * kTicksPerSecond);
  const FileTime day = 24 * 3600 * kTicksPerSecond;
  EXPECT_EQ(NextStartLeft(t, t + day), t + day);
  EXPECT_EQ(NextStartLeft(t, t + day + kTicksPerSecond), std::nullopt);
  EXPECT_EQ(NextStartLeft(t, std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace ormidal
