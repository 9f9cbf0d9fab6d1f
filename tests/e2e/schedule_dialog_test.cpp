// The Schedule Recordings dialog of Ormidal.exe, driven by control identifier
// beside a window that stands for the recording program.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "harness.h"
#include "history.h"
#include "local_time.h"

namespace {

using namespace std::chrono_literals;

// Control identifiers of dialog 158, as a user finds them by position.
constexpr int kFileName = 1018;
constexpr int kUrl = 1019;
constexpr int kProgramName = 1021;
constexpr int kWindowPosition = 1020;
constexpr int kStartTime = 1008;
constexpr int kDuration = 1013;
constexpr int kCalendar = 1007;
constexpr int kSun = 142, kMon = 144, kWed = 134, kFri = 138, kSat = 140;
constexpr int kOnce = 146, kDaily = 148;
constexpr int kSave = 1026, kEnable = 1006, kDisable = 1009;
constexpr int kStatus = 1027, kClock = 1030;
constexpr int kClose = 2;

constexpr char kCaption[] = "Scheduler message";
constexpr char kNoMessage[] = "<no message>";
// Far in the future, so the scheduler loads it and waits; a shorter file would
// make the first tick ask for attention instead.
constexpr char kFutureLine[] =
    "Other URL: http://tv/other START: Jan 02,2040 08:00:00 PM END: Jan 02,2040 09:00:00 PM "
    "REPEAT: Once PROG: Player WND: 1,2,3,4\r\n";

// One Ormidal.exe with its own settings folder, up to its dialog.
class Scheduler {
 public:
  explicit Scheduler(const std::string& folderName, const std::string& windowName = "Lumora",
                     const std::string& scheduleFile = kFutureLine)
      : folder_(folderName), title_("Schedule " + windowName + " Recordings...") {
    Settings("Protocol: 0\r\n");
    e2e::WriteFileBytes(folder_.Path() / "schedule.log", scheduleFile);
    started_ = process.Start("\"" + e2e::ProgramPath("Ormidal.exe") + "\" /w " + windowName +
                             " /dir \"" + folder_.Windows() + "\"");
  }
  // Waits for the dialog; null when it did not come.
  HWND Dialog() {
    if (dialog_ == nullptr && started_) {
      dialog_ = e2e::WaitProcessWindow(process.Id(), "#32770", title_.c_str());
    }
    return dialog_;
  }
  // The recording program's settings, read again by every save.
  void Settings(const std::string& text) {
    e2e::WriteFileBytes(folder_.Path() / "settings.ini", text);
  }
  HWND EventsList() const { return e2e::FindProcessWindow(process.Id(), "#32770", "Scheduled Events"); }
  std::string ScheduleFile() const { return e2e::ReadFileBytes(folder_.Path() / "schedule.log"); }
  // Text of the next message box, answered with id.
  std::string Answer(int id, std::chrono::milliseconds timeout = 5s) {
    HWND box = e2e::WaitMessageBox(process.Id(), kCaption, timeout);
    if (box == nullptr) return kNoMessage;
    const std::string text = e2e::MessageBoxText(box);
    e2e::PressButton(box, id);
    e2e::WaitFor([&] { return !IsWindow(box); }, 5s);
    return text;
  }
  bool MessageShown(std::chrono::milliseconds within) const {
    return e2e::WaitFor(
        [&] { return e2e::FindProcessWindow(process.Id(), "#32770", kCaption) != nullptr; }, within);
  }
  std::string Status() { return e2e::ControlText(Dialog(), kStatus); }
  bool WaitStatus(const std::string& text, std::chrono::milliseconds timeout = 3s) {
    return e2e::WaitFor([&] { return Status() == text; }, timeout);
  }

  e2e::Process process;

  // Why the program ended, as the last line of its history says.
  ormidal::HistoryCause EndedWhy() const {
    const std::vector<ormidal::HistoryEvent> events =
        ormidal::ReadHistory(e2e::ReadFileBytes(folder_.Path() / ormidal::kHistoryFileName)).events;
    if (events.empty() || events.back().kind != ormidal::HistoryKind::kEnded) {
      return ormidal::HistoryCause::kNone;
    }
    return events.back().cause;
  }

 private:
  e2e::TempFolder folder_;
  std::string title_;
  bool started_ = false;
  HWND dialog_ = nullptr;
};

// An auto check box clicked as the user does, so the dialog's repeat rules apply.
void ClickBox(HWND dialog, int id) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

void Uncheck(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK, BST_UNCHECKED, 0); }

// Start date and time entered through the calendar and the time picker.
bool EnterStart(HWND dialog, const SYSTEMTIME& start) {
  return e2e::SetCalendarDate(GetDlgItem(dialog, kCalendar), start) &&
         e2e::SetPickerTime(GetDlgItem(dialog, kStartTime), start);
}

TEST(ScheduleDialog, SaveRefusesInTheOrderOfItsChecksAndStoresNothing) {
  e2e::RecordingProgram recorder("Lumora");
  Scheduler s("ormidal_dialog_refusals");
  HWND dialog = s.Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(e2e::ControlText(dialog, kDuration), "00:00:00");
  EXPECT_TRUE(e2e::IsChecked(dialog, kOnce));

  // Nothing else counts while the file name is empty.
  e2e::SetControlText(dialog, kWindowPosition, "");
  e2e::SetControlText(dialog, kDuration, "nonsense");
  Uncheck(dialog, kOnce);
  e2e::Click(dialog, kSave);
  EXPECT_EQ(s.Answer(IDOK), "File name not specified");

  // The position question comes before the duration, and No ends the save.
  e2e::SetControlText(dialog, kFileName, "Show");
  e2e::Click(dialog, kSave);
  EXPECT_EQ(s.Answer(IDNO),
            "Window position not specified. \t(100,100,600,500) corrdinates will be used).\n\nContinue?");
  EXPECT_FALSE(s.MessageShown(300ms)) << "No must end the save";
  e2e::Click(dialog, kSave);
  EXPECT_EQ(s.Answer(IDYES),
            "Window position not specified. \t(100,100,600,500) corrdinates will be used).\n\nContinue?");
  EXPECT_EQ(s.Answer(IDOK), "Invalid timer duration (use hh:mm:ss)");
  // Yes used the default for that save only: the box was left as the user left it.
  EXPECT_EQ(e2e::ControlText(dialog, kWindowPosition), "");

  // "Click required..." holds no comma, so it asks too, and stays after Yes.
  e2e::SetControlText(dialog, kWindowPosition, "Click required...");
  e2e::Click(dialog, kSave);
  EXPECT_EQ(s.Answer(IDYES),
            "Window position not specified. \t(100,100,600,500) corrdinates will be used).\n\nContinue?");
  EXPECT_EQ(s.Answer(IDOK), "Invalid timer duration (use hh:mm:ss)");
  EXPECT_EQ(e2e::ControlText(dialog, kWindowPosition), "Click required...");
  e2e::Click(dialog, kSave);
  EXPECT_EQ(s.Answer(IDNO),
            "Window position not specified. \t(100,100,600,500) corrdinates will be used).\n\nContinue?");

  // No repeat box is checked throughout: every duration check comes first.
  e2e::SetControlText(dialog, kWindowPosition, "10,20,630,500");
  const struct {
    const char* duration;
    const char* message;
  } cases[] = {
      {"", "Invalid timer duration (use hh:mm:ss)"},
      {"1:00:00", "Invalid timer duration (use hh:mm:ss)"},
      {"01:00:000", "Invalid timer duration (use hh:mm:ss)"},
      {"0100:000", "Invalid timer duration (use hh:mm:ss)"},
      {"00:60:00", "Invalid number of minutes (mm <= 59)"},
      {"00:00:60", "Invalid number of seconds (ss <= 59)"},
      {"00:00:00", "Timer duration is zero!!"},
      {"00:-1:00", "Start time is later then end time"},
      {"01:00:00", "Please specify the Repeat mode"},
  };
  for (const auto& c : cases) {
    e2e::SetControlText(dialog, kDuration, c.duration);
    e2e::Click(dialog, kSave);
    EXPECT_EQ(s.Answer(IDOK), c.message) << "duration \"" << c.duration << "\"";
  }

  // In DVD format the duration must match the recording time of the settings.
  s.Settings("Protocol: 2\r\nMax File Time: 3600\r\n");
  ClickBox(dialog, kOnce);
  e2e::SetControlText(dialog, kDuration, "00:30:00");
  e2e::Click(dialog, kSave);
  EXPECT_EQ(s.Answer(IDOK),
            "When DVD video format is used the recording duration must be the same as the recording "
            "time specified in Lumora Settings.");
  EXPECT_EQ(e2e::ControlText(dialog, kDuration), "01:00:00");

  // Last of all: a text holding what separates the fields of a line.
  s.Settings("Protocol: 0\r\n");
  e2e::SetControlText(dialog, kFileName, "News START: at nine");
  e2e::Click(dialog, kSave);
  EXPECT_EQ(s.Answer(IDOK),
            "The File Name contains \"START:\", which separates the fields of the scheduler file. "
            "Cannot save data.");

  EXPECT_FALSE(s.MessageShown(300ms));
  EXPECT_EQ(s.EventsList(), nullptr);
  EXPECT_EQ(s.ScheduleFile(), kFutureLine);
  EXPECT_TRUE(s.process.Running());
}

TEST(ScheduleDialog, SaveStoresTheExactLineReplacesByFileNameAndAsksToEnable) {
  e2e::RecordingProgram recorder("Lumora");
  Scheduler s("ormidal_dialog_save");
  HWND dialog = s.Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(s.WaitStatus("Scheduler is active waiting...")) << s.Status();

  // First save: appended; No leaves the list open and the scheduler off.
  e2e::SetControlText(dialog, kFileName, "Evening News");
  e2e::SetControlText(dialog, kUrl, "http://tv/live");
  e2e::SetControlText(dialog, kProgramName, "Player");
  e2e::SetControlText(dialog, kWindowPosition, "10,20,630,500");
  ASSERT_TRUE(EnterStart(dialog, e2e::SystemTimeAt(2031, 3, 14, 21, 5, 7)));
  e2e::SetControlText(dialog, kDuration, "01:30:00");
  for (int day : {kMon, kWed, kFri}) ClickBox(dialog, day);
  ASSERT_FALSE(e2e::IsChecked(dialog, kOnce));
  e2e::Click(dialog, kSave);
  EXPECT_EQ(s.Answer(IDNO), "Enable scheduler now?");
  const std::string first = std::string(kFutureLine) +
      "Evening News URL: http://tv/live START: Mar 14,2031 09:05:07 PM END: Mar 14,2031 10:35:07 PM "
      "REPEAT: Mon Wed Fri PROG: Player WND: 10,20,630,500\r\n";
  EXPECT_EQ(s.ScheduleFile(), first);
  HWND list = s.EventsList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(s.Status(), "Scheduler is disabled");
  EXPECT_FALSE(e2e::WaitFor([&] { return s.Status() != "Scheduler is disabled"; }, 1500ms))
      << "the timer wrote " << s.Status() << " while disabled";

  // Same file name while the list is open: replaced in the file and in that list.
  ASSERT_TRUE(EnterStart(dialog, e2e::SystemTimeAt(2031, 12, 31, 23, 30, 0)));
  e2e::SetControlText(dialog, kDuration, "00:45:00");
  ClickBox(dialog, kDaily);
  e2e::Click(dialog, kSave);
  ASSERT_NE(e2e::WaitMessageBox(s.process.Id(), kCaption), nullptr);
  HWND rows = GetDlgItem(list, 1004);
  EXPECT_EQ(e2e::ListViewRows(rows), 2);
  EXPECT_EQ(e2e::ListViewText(rows, 1, 2), "Dec 31,2031 11:30:00 PM");
  EXPECT_EQ(s.Answer(IDYES), "Enable scheduler now?");
  EXPECT_EQ(s.ScheduleFile(),
            kFutureLine + std::string("Evening News URL: http://tv/live START: Dec 31,2031 11:30:00 PM END: Jan 01,2032 12:15:00 AM "
            "REPEAT: Daily PROG: Player WND: 10,20,630,500\r\n"));
  EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindow(list); }, 3s)) << "Yes closes the list";
  EXPECT_TRUE(s.WaitStatus("Scheduler is active waiting...")) << s.Status();

  // Another file name is appended; without a URL the program name is not stored.
  e2e::SetControlText(dialog, kFileName, "Late Movie");
  e2e::SetControlText(dialog, kUrl, "");
  e2e::SetControlText(dialog, kWindowPosition, "");
  ASSERT_TRUE(EnterStart(dialog, e2e::SystemTimeAt(2031, 7, 4, 0, 15, 9)));
  e2e::SetControlText(dialog, kDuration, "23:59:59");
  for (int day : {kSat, kSun}) ClickBox(dialog, day);
  ASSERT_FALSE(e2e::IsChecked(dialog, kDaily));
  e2e::Click(dialog, kSave);
  EXPECT_EQ(s.Answer(IDYES),
            "Window position not specified. \t(100,100,600,500) corrdinates will be used).\n\nContinue?");
  EXPECT_EQ(s.Answer(IDNO), "Enable scheduler now?");
  EXPECT_EQ(s.ScheduleFile(),
            kFutureLine + std::string("Evening News URL: http://tv/live START: Dec 31,2031 11:30:00 PM END: Jan 01,2032 12:15:00 AM "
            "REPEAT: Daily PROG: Player WND: 10,20,630,500\r\n"
            "Late Movie URL:  START: Jul 04,2031 12:15:09 AM END: Jul 05,2031 12:15:08 AM "
            "REPEAT: Sun Sat PROG:  WND: 100,100,600,500\r\n"));
  list = s.EventsList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(s.Status(), "Scheduler is disabled");

  // After No, closing the list asks nothing.
  e2e::Click(list, IDCANCEL);
  EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindow(list); }, 3s));
  EXPECT_FALSE(s.MessageShown(300ms));
  EXPECT_EQ(s.Status(), "Scheduler is disabled");
}

// The clock text for a local time, by the 12-hour rule.
std::string Clock(const SYSTEMTIME& t) {
  const int hour = t.wHour % 12 == 0 ? 12 : t.wHour % 12;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d %s", hour, t.wMinute, t.wSecond,
                t.wHour < 12 ? "AM" : "PM");
  return text;
}

// Whether the clock shows the local time of one of the last few seconds.
bool ClockIsRecent(const std::string& shown) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME f;
  SystemTimeToFileTime(&now, &f);
  ULARGE_INTEGER at{};
  at.LowPart = f.dwLowDateTime;
  at.HighPart = f.dwHighDateTime;
  for (int back = 0; back <= 3; ++back) {
    ULARGE_INTEGER earlier = at;
    earlier.QuadPart -= static_cast<ULONGLONG>(back) * 10000000ULL;
    FILETIME e{earlier.LowPart, earlier.HighPart};
    SYSTEMTIME t;
    FileTimeToSystemTime(&e, &t);
    if (Clock(t) == shown) return true;
  }
  return false;
}

using e2e::LocalNow;

// A line whose window is open now, with the given position.
std::string OpenLine(const std::string& position) {
  const ormidal::FileTime now = LocalNow();
  const ormidal::FileTime minute = 60 * ormidal::kTicksPerSecond;
  return "Now URL: http://tv/live START: " + ormidal::FileTimeToText(now - minute) +
         " END: " + ormidal::FileTimeToText(now + 10 * minute) +
         " REPEAT: Once PROG: Player WND: " + position + "\r\n";
}

TEST(ScheduleDialog, ClockAndStatusLineFollowTheScheduler) {
  e2e::RecordingProgram recorder("Lumora");
  // A recording whose window is open now keeps one line counting.
  Scheduler s("ormidal_dialog_status", "Lumora", OpenLine("100,100,600,500"));
  HWND dialog = s.Dialog();
  ASSERT_NE(dialog, nullptr);

  std::string clock;
  ASSERT_TRUE(e2e::WaitFor([&] { return !(clock = e2e::ControlText(dialog, kClock)).empty(); }, 3s));
  EXPECT_TRUE(ClockIsRecent(clock)) << clock;
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::ControlText(dialog, kClock) != clock; }, 3s)) << "ticks";
  clock = e2e::ControlText(dialog, kClock);
  EXPECT_TRUE(ClockIsRecent(clock)) << clock;

  EXPECT_TRUE(s.WaitStatus("Scheduler is active counting...", 5s)) << s.Status();
  EXPECT_TRUE(recorder.WaitCount(true, 1, 5s));

  e2e::Click(dialog, kDisable);
  EXPECT_TRUE(s.WaitStatus("Scheduler is disabled")) << s.Status();
  EXPECT_FALSE(e2e::WaitFor([&] { return s.Status() != "Scheduler is disabled"; }, 1500ms))
      << "the timer wrote " << s.Status() << " while disabled";

  e2e::Click(dialog, kEnable);
  EXPECT_FALSE(s.MessageShown(300ms)) << "Enable while disabled asks nothing";
  EXPECT_TRUE(s.WaitStatus("Scheduler is active counting...", 5s)) << s.Status();

  // Enable while active offers to stop; No keeps it running.
  e2e::Click(dialog, kEnable);
  EXPECT_EQ(s.Answer(IDNO), "Scheduler is currently active. Would you like to stop the scheduler now?");
  EXPECT_FALSE(e2e::WaitFor([&] { return s.Status() != "Scheduler is active counting..."; }, 1200ms))
      << s.Status();
  e2e::Click(dialog, kEnable);
  EXPECT_EQ(s.Answer(IDYES), "Scheduler is currently active. Would you like to stop the scheduler now?");
  EXPECT_TRUE(s.WaitStatus("Scheduler is disabled")) << s.Status();
}

TEST(ScheduleDialog, AnEngineStoppedByARejectedPositionShowsDisabledAndEnableAsksNothing) {
  e2e::RecordingProgram recorder("Lumora");
  Scheduler s("ormidal_dialog_position", "Lumora", OpenLine("600,100,100,500"));
  ASSERT_NE(s.Dialog(), nullptr);
  EXPECT_EQ(s.Answer(IDOK, 10s), "Error in window position. Cannot continue");
  EXPECT_TRUE(s.WaitStatus("Scheduler is disabled")) << s.Status();
  EXPECT_FALSE(e2e::WaitFor([&] { return s.Status() != "Scheduler is disabled"; }, 1500ms))
      << "the timer wrote " << s.Status() << " while stopped";
  // Enable starts it again at once, and it meets the same line.
  e2e::Click(s.Dialog(), kEnable);
  EXPECT_EQ(s.Answer(IDOK), "Error in window position. Cannot continue");
  EXPECT_EQ(recorder.Count(true), 0);
}

TEST(ScheduleDialog, ClosingTheMainWindowWhileARecordingRunsEndsWithCodeZero) {
  e2e::RecordingProgram recorder("Lumora");
  Scheduler s("ormidal_dialog_main_close", "Lumora", OpenLine("100,100,600,500"));
  ASSERT_NE(s.Dialog(), nullptr);
  ASSERT_TRUE(recorder.WaitCount(true, 1, 10s));
  HWND main = e2e::FindProcessWindow(s.process.Id(), nullptr, "Schedule Lumora Recordings");
  ASSERT_NE(main, nullptr);
  PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD code = 1;
  ASSERT_TRUE(s.process.WaitExit(code, 5s));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(recorder.Count(false), 0);
  EXPECT_EQ(s.EndedWhy(), ormidal::HistoryCause::kMainWindowClosed);
}

TEST(ScheduleDialog, WindowsEndingWhileARecordingRunsIsRecordedAndEndsWithinTheBound) {
  e2e::RecordingProgram recorder("Lumora");
  Scheduler s("ormidal_dialog_shutdown", "Lumora", OpenLine("100,100,600,500"));
  ASSERT_TRUE(recorder.WaitCount(true, 1, 10s));
  HWND main = e2e::FindProcessWindow(s.process.Id(), nullptr, "Schedule Lumora Recordings");
  DWORD_PTR agreed = FALSE;  // Windows asks first; the scheduler never holds a shutdown up
  SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &agreed);
  EXPECT_EQ(agreed, DWORD_PTR{TRUE});
  PostMessageA(main, WM_ENDSESSION, TRUE, 0);
  DWORD code = 1;
  ASSERT_TRUE(s.process.WaitExit(code, 3s));  // the history's 2 s bound, and a margin
  EXPECT_EQ(recorder.Count(false), 0);
  EXPECT_EQ(s.EndedWhy(), ormidal::HistoryCause::kWindowsShutdown);
}

TEST(ScheduleDialog, TheProgramEndsWithCodeZeroWhenTheRecorderGoesOrTheDialogCloses) {
  // Independent schedulers side by side: one watches its own recording window.
  e2e::RecordingProgram lumora("Lumora");
  auto vantor = std::make_unique<e2e::RecordingProgram>("Vantor");
  Scheduler watched("ormidal_dialog_watch", "Vantor");
  Scheduler closed("ormidal_dialog_close");
  Scheduler escaped("ormidal_dialog_escape");
  Scheduler systemClosed("ormidal_dialog_sysclose");
  ASSERT_NE(watched.Dialog(), nullptr);
  ASSERT_NE(closed.Dialog(), nullptr);
  ASSERT_NE(escaped.Dialog(), nullptr);
  ASSERT_NE(systemClosed.Dialog(), nullptr);

  PostMessageA(vantor->Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(e2e::WaitFor([&] { return FindWindowA(nullptr, "Vantor") == nullptr; }, 3s));
  const auto gone = std::chrono::steady_clock::now();
  DWORD code = 1;
  ASSERT_TRUE(watched.process.WaitExit(code, 5s));
  EXPECT_LE(std::chrono::steady_clock::now() - gone, 2s);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(watched.EndedWhy(), ormidal::HistoryCause::kRecordingProgramGone);
  EXPECT_TRUE(closed.process.Running()) << "its recording window is still there";

  e2e::Click(closed.Dialog(), kClose);
  code = 1;
  ASSERT_TRUE(closed.process.WaitExit(code, 3s));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(closed.EndedWhy(), ormidal::HistoryCause::kDialogClosed);

  // Escape reaches the dialog through the message loop, as a key press does.
  PostMessageA(GetDlgItem(escaped.Dialog(), kFileName), WM_KEYDOWN, VK_ESCAPE, 0);
  code = 1;
  ASSERT_TRUE(escaped.process.WaitExit(code, 3s));
  EXPECT_EQ(code, 0u);

  PostMessageA(systemClosed.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
  code = 1;
  ASSERT_TRUE(systemClosed.process.WaitExit(code, 3s));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(systemClosed.EndedWhy(), ormidal::HistoryCause::kDialogClosed);
}

}  // namespace
