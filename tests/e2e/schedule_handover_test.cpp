// One Ormidal.exe per settings folder: a second start for the same folder
// hands its proposal to the running scheduler and ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "handover.h"
#include "harness.h"
#include "local_time.h"

namespace {

using namespace std::chrono_literals;

using e2e::LocalNow;
using e2e::Seconds;

constexpr int kFileName = 1018;
constexpr int kDuration = 1013;
constexpr char kMainTitle[] = "Schedule Lumora Recordings";
constexpr char kDialogTitle[] = "Schedule Lumora Recordings...";
constexpr char kCaption[] = "Scheduler message";
constexpr char kFutureLine[] =
    "Other URL: http://tv/other START: Jan 02,2040 08:00:00 PM END: Jan 02,2040 09:00:00 PM "
    "REPEAT: Once PROG: Player WND: 1,2,3,4\r\n";

std::string Command(const std::string& folder, const std::string& rest,
                    const char* program = "Ormidal.exe") {
  return "\"" + e2e::ProgramPath(program) + "\" /w Lumora /dir \"" + folder + "\" " + rest;
}

// A scheduler for its own folder, up to its dialog.
struct Scheduler {
  Scheduler(const char* folderName, const std::string& schedule, const std::string& options)
      : folder(folderName) {
    e2e::WriteFileBytes(folder.Path() / "schedule.log", schedule);
    if (!process.Start(Command(folder.Windows(), options))) return;
    main = e2e::WaitProcessWindow(process.Id(), nullptr, kMainTitle);
    dialog = e2e::WaitProcessWindow(process.Id(), "#32770", kDialogTitle);
  }
  e2e::TempFolder folder;
  e2e::Process process;
  HWND main = nullptr;
  HWND dialog = nullptr;
};

void ExpectHandOver(const char* secondProgram) {
  e2e::RecordingProgram recorder("Lumora");
  const ormidal::FileTime start = LocalNow() + Seconds(14);
  Scheduler first("ormidal_handover",
                  "Show URL: http://tv/live START: " + ormidal::FileTimeToText(start) +
                      " END: " + ormidal::FileTimeToText(start + Seconds(2)) +
                      " REPEAT: Once PROG: Player WND: 100,100,600,500\r\n",
                  "/file First /min");
  ASSERT_NE(first.dialog, nullptr);
  ASSERT_TRUE(e2e::WaitFor([&] { return IsIconic(first.main) != FALSE; }, 5s));
  Scheduler other("ormidal_handover_other", kFutureLine, "/file Other");
  ASSERT_NE(other.dialog, nullptr);

  // The same folder, written in upper case and with a trailing backslash.
  std::string same = first.folder.Windows();
  std::transform(same.begin(), same.end(), same.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  e2e::Process second;
  ASSERT_TRUE(second.Start(Command(same + "\\\\", "/file Second /fmt 2 /dur 00:00:07", secondProgram)));
  DWORD exitCode = 1;
  ASSERT_TRUE(second.WaitExit(exitCode, 5s));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(e2e::ControlText(first.dialog, kFileName), "Second");
  EXPECT_EQ(e2e::ControlText(first.dialog, kDuration), "00:00:07");
  EXPECT_FALSE(IsIconic(first.main));
  EXPECT_TRUE(IsWindowVisible(first.dialog));
  EXPECT_EQ(e2e::ControlText(other.dialog, kFileName), "Other");

  ASSERT_TRUE(recorder.WaitCount(true, 1, 20s));
  ASSERT_TRUE(recorder.WaitCount(false, 1, 10s));
  // Past the window: no second scheduler has sent a pair of its own.
  EXPECT_FALSE(recorder.WaitCount(true, 2, 2s));
  EXPECT_EQ(recorder.Count(true), 1);
  EXPECT_EQ(recorder.Count(false), 1);
  EXPECT_TRUE(first.process.Running());
  EXPECT_TRUE(other.process.Running());
}

TEST(HandOver, ASecondStartForTheFolderHandsItsProposalToTheRunningScheduler) {
  ExpectHandOver("Ormidal.exe");
}

#if defined(_WIN64)
// The claim is one for both builds: a 32-bit start hands over to a 64-bit scheduler.
TEST(HandOver, TheShipped32BitSchedulerHandsOverToA64BitOne) {
  if (std::getenv("WINE_RUNS_X86") == nullptr) GTEST_SKIP() << "32-bit programs do not run here";
  ExpectHandOver("..\\x86\\Ormidal.exe");
}
#endif

TEST(HandOver, MalformedMessagesChangeNothing) {
  e2e::RecordingProgram recorder("Lumora");
  Scheduler first("ormidal_handover_bad", kFutureLine, "/file First");
  ASSERT_NE(first.dialog, nullptr);
  HWND sender = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                nullptr);
  ASSERT_NE(sender, nullptr);
  auto send = [&](HWND from, const std::string& bytes) {
    COPYDATASTRUCT data{ormidal::kHandOverData, static_cast<DWORD>(bytes.size()),
                        const_cast<char*>(bytes.data())};
    DWORD_PTR answer = 2;
    if (SendMessageTimeoutW(first.main, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                            reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &answer) == 0) {
      return DWORD_PTR{3};
    }
    return answer;
  };
  const std::string good = ormidal::WriteProposal({"Handed", "", "", "", "0"});
  const std::string bad[] = {
      good.substr(0, 3),                                                     // too short
      good.substr(0, good.size() - 1),                                       // no terminator
      ormidal::WriteProposal({std::string(ormidal::kArgumentLimit + 1, 'x'), "", "", "", ""}),
      std::string(ormidal::kProposalLimit + 1, '\x01'),                      // too long
  };
  for (const std::string& bytes : bad) {
    EXPECT_EQ(send(sender, bytes), DWORD_PTR{FALSE}) << bytes.size() << " bytes";
  }
  EXPECT_EQ(send(nullptr, good), DWORD_PTR{FALSE}) << "no sender window";
  EXPECT_EQ(e2e::ControlText(first.dialog, kFileName), "First");
  EXPECT_TRUE(first.process.Running());
  // The same message, well-formed and from a window of this session, is taken.
  EXPECT_EQ(send(sender, good), DWORD_PTR{TRUE});
  EXPECT_EQ(e2e::ControlText(first.dialog, kFileName), "Handed");
  DestroyWindow(sender);
}

TEST(HandOver, ASecondStartThatGetsNoAnswerSaysSoAndEnds) {
  ASSERT_EQ(FindWindowA(nullptr, "Lumora"), nullptr) << "a stray recording window";
  e2e::TempFolder folder("ormidal_handover_silent");
  // Without a recording program the first one holds the claim while it waits
  // on its message, before it has a main window.
  e2e::Process first;
  ASSERT_TRUE(first.Start(Command(folder.Windows(), "/file First")));
  HWND firstBox = e2e::WaitMessageBox(first.Id(), kCaption);
  ASSERT_NE(firstBox, nullptr);
  ASSERT_EQ(e2e::MessageBoxText(firstBox), "No recording program is open.");

  e2e::Process second;
  ASSERT_TRUE(second.Start(Command(folder.Windows(), "/file Second")));
  HWND box = e2e::WaitMessageBox(second.Id(), kCaption, 15s);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(e2e::MessageBoxText(box),
            "The scheduler that is already running for these settings does not answer. Close it, "
            "then start the scheduler again.");
  e2e::PressButton(box, IDOK);
  DWORD exitCode = 1;
  ASSERT_TRUE(second.WaitExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
