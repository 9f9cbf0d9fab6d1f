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
  const std::string d990(990, 'd'), d991(991, 'd'), d999(999, 'd'), w255(255, 'w');
  for (const auto& [w, dir, fmt, path, withoutPath, registered] :
       std::vector<std::tuple<std::string, std::string, int32_t, std::wstring, bool, bool>>{
           {"Lumora 9 \"Pro\"", "C:\\My Settings\\", 2, L"C:\\Program Files\\L.exe", false, true},
           {"-Vantor", "/x", -3, L"C:\\a\\\\b\\\"c", false, true},
           // Windows counts the terminator: 1023 characters are the most.
           {"Lumora", d990, 0, L"C:\\p.exe", false, true},
           {"Lumora", d991, 0, L"C:\\p.exe", true, true},
           {w255, d999, 0, L"C:\\p.exe", true, false}}) {
    Options given;
    given.windowName = w;
    given.settingsFolder = dir;
    given.durationText = "01:00:00";
    given.protocol = given.browserLaunch = fmt;
    given.minimizeAtStart = fmt != 0;
    const RestartCommandLine line = MakeRestartCommandLine(given, path, Wide);
    EXPECT_EQ(std::make_pair(line.withoutPath, !line.arguments.empty()),
              std::make_pair(withoutPath, registered)) << dir.size();
    if (!registered) continue;
    const std::wstring whole = L"\"C:\\Program Files\\Ormidal.exe\" " + line.arguments;
    CmdLineInfo walked;
    fw::WalkCommandLine<char>(Bytes(whole), walked);
    Options read;
    EntryFields proposed;
    InterpretParameters(walked.parameterTable, read, proposed);
    EXPECT_EQ(std::tie(read.windowName, read.settingsFolder, read.protocol, read.browserLaunch,
                       read.minimizeAtStart, read.durationText),
              std::make_tuple(w, dir, fmt, fmt, fmt != 0, std::string()));
    EXPECT_EQ(RestartOptionOf(whole), withoutPath ? L"" : path);
  }
}

using Ms = std::chrono::milliseconds;

class ScriptedRecorder final : public RecorderStarter {
 public:
  // before: its window is open before anything is started; after: once started.
  ScriptedRecorder(bool before, std::optional<Ms> after, std::string failure)
      : before(before), after(after), failure(std::move(failure)) {}
  bool WindowOpen() override { return before || (started && after && now - *started >= *after); }
  std::string Start(const std::wstring&) override {
    ++starts;
    if (failure.empty()) started = now;
    return failure;
  }
  Ms SinceStart() override { return now; }
  void Wait(Ms time) override { now += time; }

  const bool before;
  const std::optional<Ms> after;
  const std::string failure;
  std::optional<Ms> started;
  Ms now{0};
  int starts = 0;
};

TEST(RestartStartUp, StartsTheRecordingProgramOnlyAfterARestartWithoutItsWindow) {
  const std::wstring path = L"C:\\L\\Lumora.exe";
  const std::string no = "not-sent\trequest=start-recorder\twhy=";
  const std::string started = "recorder-started\tms=";
  using Case = std::tuple<std::optional<std::wstring>, bool, std::optional<Ms>, std::string,
                          std::string>;
  for (const auto& [restart, before, after, failure, line] : std::vector<Case>{
           {std::nullopt, false, 0ms, "", ""},  // a start by the user
           {path, true, 0ms, "", ""},           // the program already runs
           {path, false, 0ms, "", started + "0\tpath=C:\\\\L\\\\Lumora.exe"},
           {path, false, 30'100ms, "", started + "30250\tpath=C:\\\\L\\\\Lumora.exe"},
           {path, false, std::nullopt, "",
            no + "C:\\\\L\\\\Lumora.exe started, but its window did not appear within 120 s"},
           {path, false, 0ms, "error 2", no + "cannot start C:\\\\L\\\\Lumora.exe: error 2"},
           {L"", false, 0ms, "", no + "the restart command line names no recording program"}}) {
    ScriptedRecorder recorder(before, after, failure);
    const auto event =
        BringBackRecorder(restart, recorder, GetFileTime("Dec 08,2026 03:00:00 AM"), Bytes);
    EXPECT_EQ(event ? HistoryLine(*event) : "",
              line.empty() ? "" : "Dec 08,2026 03:00:00 AM\t" + line + "\r\n");
    EXPECT_LE(recorder.now, kRecorderWindowBound) << line;
    EXPECT_EQ(recorder.starts, restart && !restart->empty() && !before) << line;
  }
}

}  // namespace
}  // namespace ormidal
