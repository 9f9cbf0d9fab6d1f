// The Scheduled Events list of Ormidal.exe, driven from outside as a user
// would: saves stored through it, Change, Delete, Open file, Open history, the
// close question.
#include <gtest/gtest.h>

#include <cstdlib>

#include "harness.h"  // windows.h before commctrl.h

#include <commctrl.h>

#include "local_time.h"
#include "scoped_win32.h"

namespace {

using namespace std::chrono_literals;

constexpr int kEvents = 1004;
constexpr int kChange = 40065;
constexpr int kDelete = 40060;
constexpr int kOpenFile = 40067;
constexpr int kOpenHistory = 40068;
constexpr int kFileName = 1018, kUrl = 1019, kWindowPosition = 1020, kProgramName = 1021;
constexpr int kStartTime = 1008, kDuration = 1013, kCalendar = 1007;
constexpr int kEnable = 1006, kDisable = 1009, kViewScheduler = 1015, kSave = 1026;
constexpr int kStatus = 1027;
constexpr int kSun = 142, kMon = 144, kTue = 132, kWed = 134, kThu = 136, kFri = 138, kSat = 140;
constexpr int kOnce = 146, kDaily = 148;

const std::string kAlpha =
    "Alpha URL: http://tv/a START: Mar 07,2035 09:00:00 PM END: Mar 07,2035 10:00:00 PM "
    "REPEAT: Once PROG: Player WND: 100,100,600,500\r\n";
// 25 hours long.
const std::string kBeta =
    "Beta URL: http://tv/b START: Mar 08,2035 08:00:00 AM END: Mar 09,2035 09:00:00 AM "
    "REPEAT: Mon Wed PROG: Browser WND: 10,20,300,400\r\n";
const std::string kGamma =
    "Gamma URL: http://tv/g START: Mar 09,2035 11:30:00 AM END: Mar 09,2035 12:15:30 PM "
    "REPEAT: Daily PROG: Player WND: 0,0,800,600\r\n";
const std::string kNote = "# kept by hand, not an entry\r\n";

const char* const kMessageCaption = "Scheduler message";
const char* const kOutdated =
    "The scheduler file has changed since the list was read. Nothing was deleted. Please select "
    "the items again.";
const char* const kEnableQuestion = "Scheduler is disabled. Enable scheduler now?";
const char* const kDisabledNotice = "Scheduler is now disabled. Click ENABLE to restart";

using Row = std::vector<std::string>;

// One run of Ormidal.exe over a prepared schedule file, beside a recording
// program's window.
class ListRun {
 public:
  ListRun(const std::string& name, const std::string& schedule) : folder_(name) {
    Write(schedule);
    // Present and empty: a save then reads no DVD settings and says nothing.
    e2e::WriteFileBytes(folder_.Path() / "settings.ini", "");
  }

  void Start() {
    ASSERT_TRUE(process_.Start("\"" + e2e::ProgramPath("Ormidal.exe") + "\" /w Lumora /dir \"" +
                               folder_.Windows() + "\""));
    dialog = e2e::WaitProcessWindow(Pid(), "#32770", "Schedule Lumora Recordings...");
    ASSERT_NE(dialog, nullptr);
    // The scheduler is enabled after the dialog appears; it reads the file then.
    ASSERT_TRUE(e2e::WaitFor([&] { return Status().rfind("Scheduler is active", 0) == 0; }, 10s))
        << Status();
  }

  DWORD Pid() const { return process_.Id(); }
  std::string Path() const { return folder_.Windows() + "\\schedule.log"; }
  std::filesystem::path HistoryPath() const { return folder_.Path() / "schedule-history.log"; }
  std::string File() const { return e2e::ReadFileBytes(folder_.Path() / "schedule.log"); }
  // The file as another program leaves it.
  void Write(const std::string& bytes) const {
    e2e::WriteFileBytes(folder_.Path() / "schedule.log", bytes);
  }

  HWND List() const { return e2e::FindProcessWindow(Pid(), "#32770", "Scheduled Events"); }
  // The list once its rows are in: it can be found while it is still being made.
  HWND OpenList(int button) {
    e2e::Click(dialog, button);
    const HWND list = e2e::WaitProcessWindow(Pid(), "#32770", "Scheduled Events");
    if (list != nullptr) e2e::Settle(list);
    return list;
  }
  bool ListGone() const {
    return e2e::WaitFor([&] { return List() == nullptr; }, 5s);
  }
  static HWND View(HWND list) { return GetDlgItem(list, kEvents); }
  static void Command(HWND list, int id) { PostMessageA(list, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  // A command of the dialog that shows no message, carried out before this returns.
  void Press(int id) const {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)), SMTO_NORMAL, 5000,
                        &ignored);
  }

  // The text of the next message, answered with button.
  std::string Answer(int button) const {
    HWND box = e2e::WaitMessageBox(Pid(), kMessageCaption);
    if (box == nullptr) return "<no message>";
    const std::string text = e2e::MessageBoxText(box);
    e2e::PressButton(box, button);
    e2e::WaitFor([&] { return !IsWindow(box); }, 5s);
    return text;
  }
  // No message is open once window's thread has handled what came before.
  bool NoMessage(HWND window) const {
    e2e::Settle(window);
    return e2e::FindProcessWindow(Pid(), "#32770", kMessageCaption) == nullptr;
  }

  static Row RowAt(HWND list, int row) {
    Row texts;
    for (int c = 0; c < 7; ++c) texts.push_back(e2e::ListViewText(View(list), row, c));
    return texts;
  }
  static std::vector<Row> Rows(HWND list) {
    std::vector<Row> rows;
    for (int r = 0; r < e2e::ListViewRows(View(list)); ++r) rows.push_back(RowAt(list, r));
    return rows;
  }
  std::string Status() const { return e2e::ControlText(dialog, kStatus); }

  HWND dialog = nullptr;

 private:
  e2e::TempFolder folder_;
  e2e::RecordingProgram recorder_{"Lumora"};
  e2e::Process process_;
};

void FillDialog(HWND dialog, const std::string& name, const std::string& position,
                const std::string& duration) {
  e2e::SetControlText(dialog, kFileName, name);
  e2e::SetControlText(dialog, kUrl, "http://tv/d");
  e2e::SetControlText(dialog, kProgramName, "Player");
  e2e::SetControlText(dialog, kWindowPosition, position);
  e2e::SetControlText(dialog, kDuration, duration);
  const SYSTEMTIME start = e2e::SystemTimeAt(2035, 3, 10, 19, 30, 15);
  ASSERT_TRUE(e2e::SetCalendarDate(GetDlgItem(dialog, kCalendar), start));
  ASSERT_TRUE(e2e::SetPickerTime(GetDlgItem(dialog, kStartTime), start));
}

TEST(EventsList, SavesAppendANewNameAndReplaceAnExistingOne) {
  ListRun run("ormidal_list_save", kAlpha + kNote);
  ASSERT_NO_FATAL_FAILURE(run.Start());

  // Names differ in case only: a new entry all the same.
  ASSERT_NO_FATAL_FAILURE(FillDialog(run.dialog, "alpha", "1,2,3,4", "01:15:00"));
  e2e::Click(run.dialog, kSave);
  HWND list = e2e::WaitProcessWindow(run.Pid(), "#32770", "Scheduled Events");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(run.Answer(IDNO), "Enable scheduler now?");
  const std::string appended =
      "alpha URL: http://tv/d START: Mar 10,2035 07:30:15 PM END: Mar 10,2035 08:45:15 PM "
      "REPEAT: Once PROG: Player WND: 1,2,3,4\r\n";
  EXPECT_EQ(run.File(), kAlpha + kNote + appended);
  const std::vector<Row> afterAppend = ListRun::Rows(list);
  ASSERT_EQ(afterAppend.size(), 2u);
  EXPECT_EQ(afterAppend[0], (Row{"Alpha", "http://tv/a", "Mar 07,2035 09:00:00 PM",
                                 "Mar 07,2035 10:00:00 PM", "Once", "Player", "100,100,600,500"}));
  EXPECT_EQ(afterAppend[1], (Row{"alpha", "http://tv/d", "Mar 10,2035 07:30:15 PM",
                                 "Mar 10,2035 08:45:15 PM", "Once", "Player", "1,2,3,4"}));
  // The save was answered No: this close (by Escape) asks nothing, only this once.
  PostMessageA(ListRun::View(list), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(run.ListGone());
  EXPECT_TRUE(run.NoMessage(run.dialog));
  list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  PostMessageA(list, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(run.Answer(IDNO), kEnableQuestion);
  EXPECT_TRUE(run.ListGone());

  ASSERT_NO_FATAL_FAILURE(FillDialog(run.dialog, "Alpha", "5,6,7,8", "02:00:00"));
  e2e::ClickButton(run.dialog, kDaily);
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::IsChecked(run.dialog, kDaily); }, 5s));
  e2e::Click(run.dialog, kSave);
  list = e2e::WaitProcessWindow(run.Pid(), "#32770", "Scheduled Events");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(run.Answer(IDNO), "Enable scheduler now?");
  const std::string replaced =
      "Alpha URL: http://tv/d START: Mar 10,2035 07:30:15 PM END: Mar 10,2035 09:30:15 PM "
      "REPEAT: Daily PROG: Player WND: 5,6,7,8\r\n";
  // A replace changes that one line; every other line stays as it was.
  EXPECT_EQ(run.File(), replaced + kNote + appended);
  const std::vector<Row> afterReplace = ListRun::Rows(list);
  ASSERT_EQ(afterReplace.size(), 2u);
  EXPECT_EQ(afterReplace[0], (Row{"Alpha", "http://tv/d", "Mar 10,2035 07:30:15 PM",
                                  "Mar 10,2035 09:30:15 PM", "Daily", "Player", "5,6,7,8"}));
  EXPECT_EQ(afterReplace[1], afterAppend[1]);

  // A save while the list is still open is stored into it too; answered Yes,
  // the save closes the list itself, without the close question.
  e2e::SetControlText(run.dialog, kDuration, "00:00:01");
  e2e::Click(run.dialog, kSave);
  EXPECT_EQ(run.Answer(IDYES), "Enable scheduler now?");
  EXPECT_TRUE(run.ListGone());
  EXPECT_TRUE(run.NoMessage(run.dialog));
  EXPECT_EQ(run.File(),
            "Alpha URL: http://tv/d START: Mar 10,2035 07:30:15 PM END: Mar 10,2035 07:30:16 PM "
            "REPEAT: Daily PROG: Player WND: 5,6,7,8\r\n" +
                kNote + appended);
}

TEST(EventsList, ChangeFillsTheDialogWithTheTopmostSelectedRow) {
  ListRun run("ormidal_list_change", kAlpha + kBeta + kGamma);
  ASSERT_NO_FATAL_FAILURE(run.Start());
  // With the scheduler running, the main window would overwrite the status at once.
  run.Press(kDisable);
  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(e2e::ListViewRows(ListRun::View(list)), 3);
  ASSERT_TRUE(e2e::ListViewSelect(ListRun::View(list), {1, 2}));
  ListRun::Command(list, kChange);
  // The change closes the list, which asks first.
  EXPECT_EQ(run.Answer(IDNO), kEnableQuestion);
  EXPECT_TRUE(run.ListGone());

  EXPECT_TRUE(e2e::WaitFor([&] { return run.Status() == "Scheduller is disabled"; }, 5s))
      << run.Status();
  EXPECT_EQ(e2e::ControlText(run.dialog, kFileName), "Beta");
  EXPECT_EQ(e2e::ControlText(run.dialog, kUrl), "http://tv/b");
  EXPECT_EQ(e2e::ControlText(run.dialog, kProgramName), "Browser");
  EXPECT_EQ(e2e::ControlText(run.dialog, kWindowPosition), "10,20,300,400");
  EXPECT_EQ(e2e::ControlText(run.dialog, kDuration), "25:00:00");
  SYSTEMTIME date{}, time{};
  ASSERT_TRUE(e2e::GetCalendarDate(GetDlgItem(run.dialog, kCalendar), date));
  ASSERT_TRUE(e2e::GetPickerTime(GetDlgItem(run.dialog, kStartTime), time));
  EXPECT_EQ(std::vector<int>({date.wYear, date.wMonth, date.wDay}), std::vector<int>({2035, 3, 8}));
  EXPECT_EQ(std::vector<int>({time.wHour, time.wMinute, time.wSecond}), std::vector<int>({8, 0, 0}));
  for (int box : {kOnce, kDaily, kSun, kTue, kThu, kFri, kSat}) {
    EXPECT_FALSE(e2e::IsChecked(run.dialog, box)) << box;
  }
  EXPECT_TRUE(e2e::IsChecked(run.dialog, kMon));
  EXPECT_TRUE(e2e::IsChecked(run.dialog, kWed));
  EXPECT_EQ(run.File(), kAlpha + kBeta + kGamma);

  // After a Change, Delete asks nothing before it removes the row.
  list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(e2e::ListViewSelect(ListRun::View(list), {0}));
  ListRun::Command(list, kDelete);
  EXPECT_EQ(run.Answer(IDOK), kDisabledNotice);
  EXPECT_EQ(run.File(), kBeta + kGamma);
  EXPECT_EQ(e2e::ListViewRows(ListRun::View(list)), 2);

  // A Yes to the question enables the scheduler; the fill disables it again,
  // and the status line keeps saying so.
  ASSERT_TRUE(e2e::ListViewSelect(ListRun::View(list), {1}));
  ListRun::Command(list, kChange);
  EXPECT_EQ(run.Answer(IDYES), kEnableQuestion);
  EXPECT_TRUE(run.ListGone());
  EXPECT_TRUE(e2e::WaitFor([&] { return run.Status() == "Scheduller is disabled"; }, 5s))
      << run.Status();
  EXPECT_FALSE(e2e::WaitFor([&] { return run.Status() != "Scheduller is disabled"; }, 1500ms))
      << run.Status();
  EXPECT_EQ(e2e::ControlText(run.dialog, kFileName), "Gamma");
  EXPECT_EQ(e2e::ControlText(run.dialog, kDuration), "00:45:30");
  EXPECT_TRUE(e2e::IsChecked(run.dialog, kDaily));
}

TEST(EventsList, AnEntryLongerThanADayChangedAndSavedAgainKeepsItsEnd) {
  ListRun run("ormidal_list_long", kAlpha + kBeta + kGamma);
  ASSERT_NO_FATAL_FAILURE(run.Start());
  run.Press(kDisable);
  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(e2e::ListViewSelect(ListRun::View(list), {1}));
  ListRun::Command(list, kChange);
  EXPECT_EQ(run.Answer(IDNO), kEnableQuestion);
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::ControlText(run.dialog, kFileName) == "Beta"; }, 5s));
  EXPECT_EQ(e2e::ControlText(run.dialog, kDuration), "25:00:00");
  e2e::Click(run.dialog, kSave);
  EXPECT_EQ(run.Answer(IDNO), "Enable scheduler now?");
  EXPECT_EQ(run.File(), kAlpha + kBeta + kGamma);
}

TEST(EventsList, DeleteAsksWithTheCountAndKeepsEveryOtherLine) {
  ListRun run("ormidal_list_delete", kAlpha + kNote + kBeta + kGamma);
  ASSERT_NO_FATAL_FAILURE(run.Start());
  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  HWND view = ListRun::View(list);
  ASSERT_EQ(e2e::ListViewRows(view), 3);
  const std::vector<std::pair<std::string, int>> columns = {
      {"File Name", 120}, {"URL", 170},     {"Start", 180},  {"End", 180},
      {"Repeat", 250},    {"Program", 120}, {"Window", 120}};
  for (int c = 0; c < 7; ++c) {
    EXPECT_EQ(e2e::ListViewHeading(view, c), columns[c].first);
    EXPECT_EQ(SendMessageA(view, LVM_GETCOLUMNWIDTH, c, 0), columns[c].second) << c;
  }
  EXPECT_EQ(ListRun::RowAt(list, 1), (Row{"Beta", "http://tv/b", "Mar 08,2035 08:00:00 AM",
                                          "Mar 09,2035 09:00:00 AM", "Mon Wed", "Browser",
                                          "10,20,300,400"}));

  ListRun::Command(list, kDelete);
  EXPECT_EQ(run.Answer(IDOK), "No items selected");
  ListRun::Command(list, kChange);
  EXPECT_EQ(run.Answer(IDOK), "No items selected");
  EXPECT_NE(run.List(), nullptr);

  ASSERT_TRUE(e2e::ListViewSelect(view, {0, 2}));
  ListRun::Command(list, kDelete);
  EXPECT_EQ(run.Answer(IDNO), "Remove 2 scheduled items ?");
  EXPECT_TRUE(run.NoMessage(list));
  EXPECT_EQ(e2e::ListViewRows(view), 3);
  EXPECT_EQ(run.File(), kAlpha + kNote + kBeta + kGamma);

  ListRun::Command(list, kDelete);
  EXPECT_EQ(run.Answer(IDYES), "Remove 2 scheduled items ?");
  EXPECT_EQ(run.Answer(IDOK), kDisabledNotice);
  EXPECT_EQ(run.File(), kNote + kBeta);
  ASSERT_EQ(e2e::ListViewRows(view), 1);
  EXPECT_EQ(e2e::ListViewText(view, 0, 0), "Beta");
  EXPECT_EQ(run.Status(), "Scheduler is disabled");

  // With one row listed no notice follows.
  ASSERT_TRUE(e2e::ListViewSelect(view, {0}));
  ListRun::Command(list, kDelete);
  EXPECT_EQ(run.Answer(IDYES), "Remove 1 scheduled items ?");
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::ListViewRows(view) == 0; }, 5s));
  EXPECT_TRUE(run.NoMessage(list));
  EXPECT_EQ(run.File(), kNote);

  // Without rows both commands do nothing. The delete stopped the scheduler,
  // so the close that follows them offers to start it again.
  ListRun::Command(list, kDelete);
  ListRun::Command(list, kChange);
  e2e::Click(list, IDCANCEL);
  EXPECT_EQ(run.Answer(IDYES), kEnableQuestion);
  EXPECT_TRUE(run.ListGone());
  EXPECT_TRUE(e2e::WaitFor([&] { return run.Status().rfind("Scheduler is active", 0) == 0; }, 5s))
      << run.Status();
  EXPECT_EQ(e2e::FocusedWindow(run.dialog), GetDlgItem(run.dialog, kEnable));
}

// Mouse messages over the list view at a screen point, posted as the system
// posts them, with the cursor put there as well.
void PostMouse(HWND view, POINT screen, std::initializer_list<UINT> messages) {
  SetCursorPos(screen.x, screen.y);
  POINT client = screen;
  ScreenToClient(view, &client);
  for (UINT message : messages) {
    const WPARAM keys = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK ? MK_LBUTTON
                        : message == WM_RBUTTONDOWN                             ? MK_RBUTTON
                                                                                : 0;
    PostMessageA(view, message, keys, MAKELPARAM(client.x, client.y));
  }
}

// Waits until the list view has taken everything posted to it before: a
// posted column width change must have been carried out.
bool PostedMessagesTaken(HWND view) {
  constexpr int kColumn = 6;
  const int width = static_cast<int>(SendMessageA(view, LVM_GETCOLUMNWIDTH, kColumn, 0));
  PostMessageA(view, LVM_SETCOLUMNWIDTH, kColumn, MAKELPARAM(width + 1, 0));
  return e2e::WaitFor(
      [&] { return SendMessageA(view, LVM_GETCOLUMNWIDTH, kColumn, 0) == width + 1; }, 5s);
}

bool MenuShown(DWORD pid) {
  HWND menu = e2e::FindProcessWindow(pid, "#32768", nullptr);
  return menu != nullptr && IsWindowVisible(menu);
}

TEST(EventsList, DoubleAndRightClicksActOnRowsOnly) {
  ListRun run("ormidal_list_mouse", kAlpha + kBeta + kGamma);
  ASSERT_NO_FATAL_FAILURE(run.Start());
  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  HWND view = ListRun::View(list);
  POINT beta{}, gamma{};
  ASSERT_TRUE(e2e::ListViewRowPoint(view, 1, beta));
  ASSERT_TRUE(e2e::ListViewRowPoint(view, 2, gamma));
  POINT below = gamma;
  below.y += 3 * (gamma.y - beta.y);
  const std::string before = e2e::ControlText(run.dialog, kFileName);

  // Below the last row: no change (a selected row would be taken) and no menu.
  ASSERT_TRUE(e2e::ListViewSelect(view, {0}));
  PostMouse(view, below, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
  ASSERT_TRUE(e2e::ListViewSelect(view, {0}));
  PostMouse(view, below, {WM_RBUTTONDOWN, WM_RBUTTONUP});
  ASSERT_TRUE(PostedMessagesTaken(view));
  EXPECT_FALSE(MenuShown(run.Pid()));
  EXPECT_EQ(run.List(), list);
  EXPECT_TRUE(run.NoMessage(list));
  EXPECT_EQ(e2e::ControlText(run.dialog, kFileName), before);

  // On a row the menu offers Change and Delete, and its Change takes that row.
  PostMouse(view, beta, {WM_RBUTTONDOWN, WM_RBUTTONUP});
  ASSERT_TRUE(e2e::WaitFor([&] { return MenuShown(run.Pid()); }, 5s));
  RECT menu{};
  GetWindowRect(e2e::FindProcessWindow(run.Pid(), "#32768", nullptr), &menu);
  EXPECT_LE(std::abs(menu.left - beta.x) + std::abs(menu.top - beta.y), 4);
  for (WPARAM key : {VK_DOWN, VK_RETURN}) PostMessageA(list, WM_KEYDOWN, key, 0);
  EXPECT_TRUE(run.ListGone());
  EXPECT_EQ(e2e::ControlText(run.dialog, kFileName), "Beta");

  // A double click on a row changes to that row; the fill before stopped the
  // scheduler, so the list asks on its way out.
  list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  view = ListRun::View(list);
  // Anywhere on the row, not only on its first column.
  POINT gammaStart = gamma;
  gammaStart.x += 250;
  PostMouse(view, gammaStart, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
  EXPECT_EQ(run.Answer(IDNO), kEnableQuestion);
  EXPECT_TRUE(run.ListGone());
  EXPECT_EQ(e2e::ControlText(run.dialog, kFileName), "Gamma");
}

// Waits for a WordPad window on the file of that name, then closes it.
void ExpectWordPadOn(const std::string& fileName, DWORD schedulerPid) {
  HWND pad = nullptr;
  EXPECT_TRUE(e2e::WaitFor(
      [&] {
        const std::vector<HWND> pads = e2e::WindowsWithTitlePart(fileName, schedulerPid);
        pad = pads.empty() ? nullptr : pads.front();
        return pad != nullptr;
      },
      20s))
      << fileName;
  if (pad != nullptr) {
    DWORD padId = 0;
    GetWindowThreadProcessId(pad, &padId);
    const fw::ScopedHandle padProcess(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, padId));
    PostMessageA(pad, WM_CLOSE, 0, 0);
    if (padProcess) {
      EXPECT_EQ(WaitForSingleObject(padProcess.Get(), 10000), WAIT_OBJECT_0);
      TerminateProcess(padProcess.Get(), 1);  // only when it did not close
    }
  }
}

TEST(EventsList, OpenFileShowsThePathThenOpensItInWordPad) {
  // A blank in the path must not split it. (Wine's WordPad would take an
  // unquoted path whole too, so the quotes themselves are not seen here.)
  ListRun run("ormidal list open", kAlpha);
  ASSERT_NO_FATAL_FAILURE(run.Start());
  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  ListRun::Command(list, kOpenFile);
  EXPECT_EQ(run.Answer(IDOK), run.Path());
  ExpectWordPadOn("schedule.log", run.Pid());
  EXPECT_EQ(run.File(), kAlpha);
  EXPECT_EQ(run.List(), list);
}

TEST(EventsList, OpenHistoryOpensItInWordPadOrSaysThereIsNone) {
  ListRun run("ormidal list history", kAlpha);
  ASSERT_NO_FATAL_FAILURE(run.Start());
  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::FileExists(run.HistoryPath()); }));
  ListRun::Command(list, kOpenHistory);
  ExpectWordPadOn("schedule-history.log", run.Pid());
  EXPECT_TRUE(run.NoMessage(list));

  // Deleted by the user: it is said, and nothing is opened.
  ASSERT_TRUE(DeleteFileW(run.HistoryPath().c_str()));
  ListRun::Command(list, kOpenHistory);
  EXPECT_EQ(run.Answer(IDOK), "There is no history yet: " + run.HistoryPath().string() +
                                  " does not exist. The scheduler makes it with the next event "
                                  "it records.");
  EXPECT_EQ(run.List(), list);
}

TEST(EventsList, WithoutWordPadOpenFileAndOpenHistoryOpenTheFileInNotepad) {
  const e2e::KeyAway noWordPad(HKEY_LOCAL_MACHINE,
                               "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\wordpad");
  ASSERT_TRUE(noWordPad.Gone());
  ListRun run("ormidal list notepad", kAlpha);
  ASSERT_NO_FATAL_FAILURE(run.Start());
  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::FileExists(run.HistoryPath()); }));
  ListRun::Command(list, kOpenFile);
  EXPECT_EQ(run.Answer(IDOK), run.Path());  // the path first, as always
  ExpectWordPadOn("schedule.log - Notepad", run.Pid());
  ListRun::Command(list, kOpenHistory);
  ExpectWordPadOn("schedule-history.log - Notepad", run.Pid());
}

TEST(EventsList, AFileThatCannotBeOpenedGivesNoRowsAndStoresNothing) {
  ListRun run("ormidal_list_locked", kAlpha + kBeta);
  ASSERT_NO_FATAL_FAILURE(run.Start());
  const std::string cannot = "Cannot open the scheduler file " + run.Path() + ". Cannot save data.";
  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  fw::ScopedHandle held(CreateFileA(run.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);

  // A delete that cannot read the file says so; the scheduler is stopped.
  ASSERT_TRUE(e2e::ListViewSelect(ListRun::View(list), {0}));
  ListRun::Command(list, kDelete);
  EXPECT_EQ(run.Answer(IDYES), "Remove 1 scheduled items ?");
  EXPECT_EQ(run.Answer(IDOK), "Cannot open the scheduler file " + run.Path() + ". Cannot delete data.");
  EXPECT_TRUE(e2e::WaitFor([&] { return run.Status() == "Scheduler is disabled"; }, 5s));
  EXPECT_TRUE(run.NoMessage(list));
  EXPECT_EQ(e2e::ListViewRows(ListRun::View(list)), 2);
  // Yes would make the scheduler read the held file, and that ends the program.
  e2e::Click(list, IDCANCEL);
  EXPECT_EQ(run.Answer(IDNO), kEnableQuestion);
  EXPECT_TRUE(run.ListGone());

  e2e::Click(run.dialog, kViewScheduler);
  EXPECT_EQ(run.Answer(IDOK), cannot);
  list = e2e::WaitProcessWindow(run.Pid(), "#32770", "Scheduled Events");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(e2e::ListViewRows(ListRun::View(list)), 0);
  e2e::Click(list, IDCANCEL);
  EXPECT_EQ(run.Answer(IDNO), kEnableQuestion);
  EXPECT_TRUE(run.ListGone());

  // A save that cannot store says so and asks nothing more.
  ASSERT_NO_FATAL_FAILURE(FillDialog(run.dialog, "Delta", "1,2,3,4", "00:30:00"));
  e2e::Click(run.dialog, kSave);
  EXPECT_EQ(run.Answer(IDOK), cannot);
  EXPECT_TRUE(run.NoMessage(run.dialog));
  EXPECT_EQ(run.List(), nullptr);
  held.Close();
  EXPECT_EQ(run.File(), kAlpha + kBeta);

  // A schedule file gone since start-up is made again, empty.
  ASSERT_TRUE(DeleteFileA(run.Path().c_str()));
  list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(e2e::ListViewRows(ListRun::View(list)), 0);
  EXPECT_TRUE(run.NoMessage(list));
  EXPECT_NE(GetFileAttributesA(run.Path().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(run.File(), "");
}

// The list is only a view: a save stores into what the file holds then.
TEST(EventsList, ASaveIntoTheOpenListKeepsEveryLineAsTheFileHoldsItNow) {
  ListRun run("ormidal_list_fresh", kAlpha + kBeta);
  ASSERT_NO_FATAL_FAILURE(run.Start());
  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  // Changed meanwhile, as through Open file: Beta moved, a note added on top.
  const std::string movedBeta =
      "Beta URL: http://tv/b2 START: Apr 08,2035 08:00:00 AM END: Apr 08,2035 09:00:00 AM "
      "REPEAT: Mon Wed PROG: Browser WND: 10,20,300,400\n";
  run.Write(kNote + kAlpha + movedBeta);

  ASSERT_NO_FATAL_FAILURE(FillDialog(run.dialog, "Alpha", "1,2,3,4", "00:30:00"));
  e2e::Click(run.dialog, kSave);
  EXPECT_EQ(run.Answer(IDNO), "Enable scheduler now?");
  const std::string alpha =
      "Alpha URL: http://tv/d START: Mar 10,2035 07:30:15 PM END: Mar 10,2035 08:00:15 PM "
      "REPEAT: Once PROG: Player WND: 1,2,3,4\r\n";
  EXPECT_EQ(run.File(), kNote + alpha + movedBeta);
  EXPECT_EQ(run.List(), list);
  const std::vector<Row> rows = ListRun::Rows(list);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][3], "Mar 10,2035 08:00:15 PM");
  EXPECT_EQ(rows[1][1], "http://tv/b2");
}

// Another program holds the file open: it can be read but not replaced.
TEST(EventsList, ASaveOrDeleteThatCannotWriteTheFileIsToldAndAsksNothingMore) {
  ListRun run("ormidal_list_unwritable", kAlpha + kBeta);
  ASSERT_NO_FATAL_FAILURE(run.Start());
  fw::ScopedHandle held(CreateFileA(run.Path().c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  const std::string cannot = "Cannot write the scheduler file " + run.Path() + " (";

  ASSERT_NO_FATAL_FAILURE(FillDialog(run.dialog, "Delta", "1,2,3,4", "00:30:00"));
  e2e::Click(run.dialog, kSave);
  std::string told = run.Answer(IDOK);
  EXPECT_EQ(told.rfind(cannot, 0), 0u) << told;
  EXPECT_TRUE(told.ends_with("). Cannot save data.")) << told;
  // Nothing was stored, so nothing is offered and the scheduler runs on.
  EXPECT_TRUE(run.NoMessage(run.dialog));
  EXPECT_EQ(run.List(), nullptr);
  EXPECT_EQ(run.Status().rfind("Scheduler is active", 0), 0u) << run.Status();

  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(e2e::ListViewSelect(ListRun::View(list), {0}));
  ListRun::Command(list, kDelete);
  EXPECT_EQ(run.Answer(IDYES), "Remove 1 scheduled items ?");
  told = run.Answer(IDOK);
  EXPECT_EQ(told.rfind(cannot, 0), 0u) << told;
  EXPECT_TRUE(told.ends_with("). Cannot delete data.")) << told;
  EXPECT_TRUE(run.NoMessage(list));
  EXPECT_EQ(e2e::ListViewRows(ListRun::View(list)), 2);
  held.Close();
  EXPECT_EQ(run.File(), kAlpha + kBeta);
}

TEST(EventsList, ADeleteOfRowsTheFileNoLongerHoldsIsToldAndDeletesNothing) {
  ListRun run("ormidal_list_outdated", kAlpha + kBeta);
  ASSERT_NO_FATAL_FAILURE(run.Start());
  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  HWND view = ListRun::View(list);
  run.Write(kNote + kAlpha + kBeta);
  ASSERT_TRUE(e2e::ListViewSelect(view, {1}));
  ListRun::Command(list, kDelete);
  EXPECT_EQ(run.Answer(IDYES), "Remove 1 scheduled items ?");
  EXPECT_EQ(run.Answer(IDOK), kOutdated);
  EXPECT_EQ(run.File(), kNote + kAlpha + kBeta);

  // The list now shows the file as it is, so the same choice deletes.
  ASSERT_EQ(e2e::ListViewRows(view), 2);
  ASSERT_TRUE(e2e::ListViewSelect(view, {1}));
  ListRun::Command(list, kDelete);
  EXPECT_EQ(run.Answer(IDYES), "Remove 1 scheduled items ?");
  EXPECT_EQ(run.Answer(IDOK), kDisabledNotice);
  EXPECT_EQ(run.File(), kNote + kAlpha);
}

TEST(EventsList, ACellShowsItsTextHoweverLong) {
  const std::string url = "http://tv/" + std::string(990, 'u');
  ListRun run("ormidal_list_long_url",
              "Long URL: " + url +
                  " START: Mar 07,2035 09:00:00 PM END: Mar 07,2035 10:00:00 PM REPEAT: Once "
                  "PROG: Player WND: 1,2,3,4\r\n");
  ASSERT_NO_FATAL_FAILURE(run.Start());
  HWND list = run.OpenList(kViewScheduler);
  ASSERT_NE(list, nullptr);
  // The list view draws a cell from a buffer of 260 characters.
  EXPECT_EQ(e2e::ListViewText(ListRun::View(list), 0, 1, 260), url.substr(0, 259));
  EXPECT_EQ(e2e::ListViewText(ListRun::View(list), 0, 1), url);
}

}  // namespace
