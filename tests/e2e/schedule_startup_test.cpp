// Start-up of Ormidal.exe: the recording-program check and the hidden main window.
#include <gtest/gtest.h>

#include "harness.h"
#include "recorder_protocol.h"

namespace {

using namespace std::chrono_literals;

TEST(Startup, WithoutARecordingProgramItSaysSoAndKeepsRunning) {
  ASSERT_EQ(FindWindowA(nullptr, "Lumora"), nullptr) << "a stray recording window";
  e2e::Process scheduler;
  ASSERT_TRUE(scheduler.Start("\"" + e2e::ProgramPath("Ormidal.exe") + "\" /w Lumora /dir C:\\x"));

  HWND box = e2e::WaitMessageBox(scheduler.Id(), "Scheduler message");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(e2e::MessageBoxText(box), "No recording program is open.");
  // The main window comes only after the message has been answered.
  EXPECT_EQ(e2e::FindProcessWindow(scheduler.Id(), nullptr, "Schedule Lumora Recordings"), nullptr);
  e2e::PressButton(box, IDOK);

  HWND main = e2e::WaitProcessWindow(scheduler.Id(), nullptr, "Schedule Lumora Recordings");
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindow(box); }, 5s));
  EXPECT_TRUE(scheduler.Running());
}

TEST(Startup, AScheduleFileThatCannotBeMadeEndsTheProgram) {
  e2e::RecordingProgram recorder("Lumora");
  e2e::Process scheduler;
  ASSERT_TRUE(scheduler.Start("\"" + e2e::ProgramPath("Ormidal.exe") +
                              "\" /w Lumora /dir C:\\no\\such\\folder"));
  HWND box = e2e::WaitMessageBox(scheduler.Id(), "Scheduler message");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(e2e::MessageBoxText(box),
            "Cannot open scheduler file. Please open the scheduler from the recording program. "
            "Cannot continue.");
  e2e::PressButton(box, IDOK);
  DWORD exitCode = 1;
  ASSERT_TRUE(scheduler.WaitExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
}

TEST(Startup, AnyRecordingProgramWindowIsEnoughAndTheMainWindowAnswers) {
  e2e::RecordingProgram recorder("Tessaro");
  e2e::Process scheduler;
  ASSERT_TRUE(scheduler.Start("\"" + e2e::ProgramPath("Ormidal.exe") + "\" /w Tessaro /dir C:\\x"));
  HWND main = e2e::WaitProcessWindow(scheduler.Id(), nullptr, "Schedule Tessaro Recordings");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(e2e::FindProcessWindow(scheduler.Id(), "#32770", "Scheduler message"), nullptr);

  for (const char* name : {ormidal::kStopMessageName, ormidal::kMouseClickMessageName}) {
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutA(main, RegisterWindowMessageA(name), ormidal::kStopRequestCode,
                                  ormidal::kStopRequestCode, SMTO_ABORTIFHUNG, 5000, &answer),
              0);
    EXPECT_EQ(answer, 1u) << name;
  }
}

}  // namespace
