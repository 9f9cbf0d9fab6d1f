#include "restart.h"

#include <gtest/gtest.h>

#include <tuple>

namespace ormidal {
namespace {

using namespace std::chrono_literals;

std::wstring Wide(std::string_view text) { return std::wstring(text.begin(), text.end()); }
std::string Bytes(std::wstring_view text) { return std::string(text.begin(), text.end()); }

// The restart line, read back by the scheduler's own walk of its command line.
TEST(RestartCommandLine, ReadsBackAsTheOptionsWithinWindowsLimit) {
  struct Case {
    std::string w, dir;
    int32_t fmt, skb;
    std::wstring path;
    bool withoutPath, registered;
  };
  for (const Case& c : std::vector<Case>{
           {"Lumora", "C:\\Settings", 0, 0, L"C:\\L\\Lumora.exe", false, true},
           {"Lumora 9 \"Pro\"", "C:\\My Settings\\", 2, 1, L"C:\\Program Files\\L.exe", false, true},
           {"-Vantor", "/x", -3, 0, L"C:\\a\\\\b\\\"c", false, true},
           {"", "", 0, 0, L"", false, true},
           // Windows counts the terminator: 1023 characters are the most.
           {"Lumora", std::string(990, 'd'), 0, 0, L"C:\\p.exe", false, true},
           {"Lumora", std::string(991, 'd'), 0, 0, L"C:\\p.exe", true, true},
           {std::string(255, 'w'), std::string(999, 'd'), 0, 0, L"C:\\p.exe", true, false}}) {
    Options given;
    given.windowName = c.w;
    given.settingsFolder = c.dir;
    given.protocol = c.fmt;
    given.browserLaunch = c.skb;
    given.minimizeAtStart = c.skb != 0;
    given.durationText = "01:00:00";  // the proposal's: left out
    const RestartCommandLine line = MakeRestartCommandLine(given, c.path, Wide);
    const std::string label = Bytes(line.arguments.substr(0, 60)) + "|" + std::to_string(c.dir.size());
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
    EXPECT_EQ(std::tie(read.windowName, read.settingsFolder, read.protocol, read.browserLaunch,
                       read.minimizeAtStart, read.durationText),
              std::make_tuple(c.w, c.dir, c.fmt, c.skb, given.minimizeAtStart, std::string()))
        << label;
    EXPECT_EQ(RestartOptionOf(whole), c.withoutPath ? L"" : c.path) << label;
  }
  EXPECT_EQ(RestartOptionOf(L"Ormidal.exe /w Lumora /dir C:\\S"), std::nullopt);
}

class ScriptedRecorder final : public RecorderStarter {
 public:
  bool WindowOpen() override { return openBefore || (started && after && now - *started >= *after); }
  std::string Start(const std::wstring& path) override {
    paths.push_back(path);
    if (failure.empty()) started = now;
    return failure;
  }
  std::chrono::milliseconds SinceStart() override { return now; }
  void Wait(std::chrono::milliseconds time) override { now += time; }

  bool openBefore = false;
  std::optional<std::chrono::milliseconds> after, started;  // its window after its start
  std::string failure;
  std::chrono::milliseconds now{0};
  std::vector<std::wstring> paths;
};

TEST(RestartStartUp, StartsTheRecordingProgramOnlyAfterARestartWithoutItsWindow) {
  const std::wstring path = L"C:\\L\\Lumora.exe";
  const std::string notStarted = "not-sent\trequest=start-recorder\twhy=";
  struct Case {
    std::optional<std::wstring> restart;
    bool openBefore;
    std::optional<std::chrono::milliseconds> after;
    std::string failure, line;  // the history's line after its time; empty: none
    std::chrono::milliseconds waited;
  };
  for (const Case& c : std::vector<Case>{
           {std::nullopt, false, 0ms, "", "", 0ms},  // a start by the user
           {path, true, 0ms, "", "", 0ms},           // the program already runs
           {path, false, 0ms, "", "recorder-started\tms=0\tpath=C:\\\\L\\\\Lumora.exe", 0ms},
           {path, false, 30'100ms, "", "recorder-started\tms=30250\tpath=C:\\\\L\\\\Lumora.exe",
            30'250ms},
           {path, false, std::nullopt, "",
            notStarted + "C:\\\\L\\\\Lumora.exe started, but its window did not appear within 120 s",
            120'000ms},
           {path, false, 0ms, "error 2", notStarted + "cannot start C:\\\\L\\\\Lumora.exe: error 2", 0ms},
           {L"", false, 0ms, "", notStarted + "the restart command line names no recording program",
            0ms}}) {
    ScriptedRecorder recorder;
    recorder.openBefore = c.openBefore;
    recorder.after = c.after;
    recorder.failure = c.failure;
    const auto event = BringBackRecorder(c.restart, recorder, GetFileTime("Dec 08,2026 03:00:00 AM"),
                                         [](std::wstring_view p) { return Bytes(p); });
    const std::string label = c.line.empty() ? "none" : c.line;
    EXPECT_EQ(event ? HistoryLine(*event) : "",
              c.line.empty() ? "" : "Dec 08,2026 03:00:00 AM\t" + c.line + "\r\n");
    EXPECT_EQ(recorder.now, c.waited) << label;
    EXPECT_EQ(recorder.paths.size(), c.restart && !c.restart->empty() && !c.openBefore) << label;
  }
}

TEST(RestartStartUp, MissedSinceTheHistorysLastLineAndTheNextStartAClosedDialogLeaves) {
  const FileTime t = GetFileTime("Dec 08,2026 03:00:00 AM");
  EXPECT_EQ(LastHistoryTime("damaged\r\n", "Dec 08,2026 03:00:00 AM\tstarted\r\n"), t);
  EXPECT_EQ(LastHistoryTime("", ""), std::nullopt);
  EXPECT_EQ(NextStartLeft(t, t + kNextStartToldWithin), t + kNextStartToldWithin);
  EXPECT_EQ(NextStartLeft(t, t + kNextStartToldWithin + 1), std::nullopt);
}

}  // namespace
}  // namespace ormidal
