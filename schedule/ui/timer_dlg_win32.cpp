// Implements TimerDlg on dialog resource 158.
#include "timer_dlg_win32.h"

#include <commctrl.h>

#include <array>
#include <vector>

#include "engine_win32.h"
#include "recorder_win32.h"
#include "resource.h"
#include "time_text_win32.h"

namespace ormidal {
namespace {

constexpr UINT_PTR kPresenceTimer = 1;
constexpr UINT kPresenceMs = 1000;
constexpr std::array<int, kWeekDays> kDayBoxes = {IDC_SUN, IDC_MON, IDC_TUE, IDC_WED,
                                                 IDC_THU, IDC_FRI, IDC_SAT};

}  // namespace

TimerDlg::TimerDlg(Context context) : context_(std::move(context)) {
  static_cast<EntryFields&>(current_) = context_.proposed;
}

// The list goes first: its window is owned by this one.
TimerDlg::~TimerDlg() { list_.reset(); }

bool TimerDlg::Create(HWND mainWindow) {
  mainWindow_ = mainWindow;
  return CreateModeless(context_.instance, IDD_TIMER_DLG, mainWindow);
}

bool TimerDlg::OnInitDialog() {
  ShowProposed();
  SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowTextA(Handle(), ("Schedule " + context_.options.windowName + " Recordings...").c_str());
  BringWindowToTop(Handle());
  SetTimer(Handle(), kPresenceTimer, kPresenceMs, nullptr);
  return true;
}

void TimerDlg::ShowProposed() {
  SetCurrentTime();
  SetText(IDC_DURATION, "00:00:00");
  SetText(IDC_URL, current_.timeUrl);
  SetText(IDC_FILE_NAME, current_.timeName);
  SetText(IDC_WINDOW_POSITION, current_.timePos);
  RepeatChoice once;
  once.once = true;
  ShowRepeat(once);
  if (context_.options.protocol == 2) SetText(IDC_DURATION, context_.options.durationText);
}

void TimerDlg::Propose(const Proposal& proposal) {
  current_ = CurrentEntry{};
  TakeProposal(proposal, context_.options, current_);
  flags_.changePending = false;
  ShowProposed();
}

std::string TimerDlg::Text(int id) const {
  HWND control = GetDlgItem(Handle(), id);
  const int length = GetWindowTextLengthA(control);
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(control, buffer.data(), length + 1);
  return buffer.data();
}

void TimerDlg::SetText(int id, const std::string& text) { SetDlgItemTextA(Handle(), id, text.c_str()); }

// The status and the clock are set every second: a control is given its text,
// and repainted, only when the text differs from what it shows.
void TimerDlg::SetStatus(const std::string& text) {
  if (Text(IDC_STATUS) != text) SetText(IDC_STATUS, text);
}

void TimerDlg::SetClock(const std::string& text) {
  if (Text(IDC_CLOCK) != text) SetText(IDC_CLOCK, text);
}

void TimerDlg::FocusButton(int id) { SetFocus(GetDlgItem(Handle(), id)); }

void TimerDlg::ShowRepeat(const RepeatChoice& boxes) {
  CheckDlgButton(Handle(), IDC_ONCE, boxes.once ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(Handle(), IDC_DAILY, boxes.daily ? BST_CHECKED : BST_UNCHECKED);
  for (std::size_t d = 0; d < kWeekDays; ++d) {
    CheckDlgButton(Handle(), kDayBoxes[d], boxes.days[d] ? BST_CHECKED : BST_UNCHECKED);
  }
}

RepeatChoice TimerDlg::ReadRepeat() const {
  RepeatChoice boxes;
  boxes.once = IsDlgButtonChecked(Handle(), IDC_ONCE) == BST_CHECKED;
  boxes.daily = IsDlgButtonChecked(Handle(), IDC_DAILY) == BST_CHECKED;
  for (std::size_t d = 0; d < kWeekDays; ++d) {
    boxes.days[d] = IsDlgButtonChecked(Handle(), kDayBoxes[d]) == BST_CHECKED;
  }
  return boxes;
}

DialogValues TimerDlg::ReadControls() const {
  DialogValues v;
  v.fileName = Text(IDC_FILE_NAME);
  v.url = Text(IDC_URL);
  v.programName = Text(IDC_PROGRAM_NAME);
  v.windowPosition = Text(IDC_WINDOW_POSITION);
  v.duration = Text(IDC_DURATION);
  SYSTEMTIME date{};
  SendDlgItemMessageA(Handle(), IDC_CALENDAR, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&date));
  SYSTEMTIME time{};
  SendDlgItemMessageA(Handle(), IDC_START_TIME, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
  v.date = FromSystemTime(date);
  v.timeOfDay = FromSystemTime(time);
  v.repeat = ReadRepeat();
  return v;
}

void TimerDlg::SetCurrentTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  SendDlgItemMessageA(Handle(), IDC_CALENDAR, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&now));
  SendDlgItemMessageA(Handle(), IDC_START_TIME, DTM_SETSYSTEMTIME, GDT_VALID,
                      reinterpret_cast<LPARAM>(&now));
}

void TimerDlg::ShowStart(FileTime start) {
  CalendarRecord r;
  if (!FileTimeToRecord(start, r)) return;
  SYSTEMTIME st = ToSystemTime(r);
  SendDlgItemMessageA(Handle(), IDC_CALENDAR, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
  SendDlgItemMessageA(Handle(), IDC_START_TIME, DTM_SETSYSTEMTIME, GDT_VALID,
                      reinterpret_cast<LPARAM>(&st));
}

void TimerDlg::FillFromCurrentEntry() {
  const CurrentEntry& e = current_;
  SetStatus("Scheduller is disabled");
  SetText(IDC_FILE_NAME, e.timeName);
  SetText(IDC_PROGRAM_NAME, e.timeProg);
  SetText(IDC_URL, e.timeUrl);
  SetText(IDC_WINDOW_POSITION, PositionBoxText(e.timeUrl, e.timePos));
  ShowStart(e.startTime);
  SetText(IDC_DURATION, DurationFromDifference(TimeDifference(e.endTime, e.startTime)));
  ShowRepeat(RepeatBoxesFromText(e.timeDay));
}

void TimerDlg::FillFromEntry(const EntryValues& e) {
  SetText(IDC_FILE_NAME, e.timeName);
  SetText(IDC_PROGRAM_NAME, e.timeProg);
  SetText(IDC_URL, e.timeUrl);
  if (!context_.options.audioMode) {
    SetText(IDC_WINDOW_POSITION, std::to_string(e.posLeft) + "," + std::to_string(e.posTop) + "," +
                                     std::to_string(e.posRight) + "," +
                                     std::to_string(e.posBottom));
  }
  if (PositionBoxText(e.timeUrl, "") == kClickRequired) SetText(IDC_WINDOW_POSITION, kClickRequired);
  ShowStart(e.startTime);
  SetText(IDC_DURATION, DurationFromDifference(TimeDifference(e.endTime, e.startTime)));
  ShowRepeat(RepeatChoice{});
}

void TimerDlg::SaveSchedule() {
  DialogValues values = ReadControls();
  std::optional<ScheduleList> stored =
      SaveEntry(values, context_.options, current_, context_.files, context_.host);
  // The default position is used for this save only: the box keeps what the
  // user typed, so the next save with it asks again.
  SetText(IDC_DURATION, values.duration);
  if (!stored) return;  // the user has been told why
  OpenEventsList(std::move(*stored));
  Apply(EnableAfterSave(flags_, context_.scheduler, context_.host));
}

void TimerDlg::ViewEventsList() {
  SetText(IDC_WINDOW_POSITION, "");
  if (list_ != nullptr) {
    SetFocus(list_->Handle());
    return;
  }
  EditOutcome read = LoadScheduleList({context_.options.settingsFolder, context_.files});
  if (!read.message.empty()) context_.host.SchedulerMessage(read.message, kMessageOk);
  OpenEventsList(read.rows ? std::move(*read.rows) : ScheduleList{});
}

void TimerDlg::OpenEventsList(ScheduleList rows) {
  if (list_ != nullptr) {
    list_->ShowRows(std::move(rows));
    SetFocus(list_->Handle());
    return;
  }
  ListDlg::Context listContext{context_.instance,      context_.options.settingsFolder,
                               context_.host,          context_.files,
                               context_.scheduler,     *this};
  list_ = std::make_unique<ListDlg>(std::move(listContext), std::move(rows));
  if (!list_->Create(Handle())) list_.reset();
}

void TimerDlg::Apply(const ListStep& step) {
  if (step.closeList) list_.reset();
  if (step.focusEnable) FocusButton(IDC_ENABLE);
}

void TimerDlg::CloseEventsList() {
  Apply(ormidal::CloseEventsList(list_ != nullptr, flags_, context_.scheduler, context_.host));
}

void TimerDlg::ChangeTo(const CurrentEntry& entry) {
  current_ = entry;
  CloseEventsList();
  TakeChange(flags_, context_.scheduler);
  FillFromCurrentEntry();
}

void TimerDlg::OnClose() { context_.host.EndProcess(HistoryCause::kDialogClosed); }

void TimerDlg::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  RepeatChoice boxes = ReadRepeat();
  switch (id) {
    case IDC_SAVE_SCHEDULE:
      SaveSchedule();
      return;
    case IDC_ENABLE:
      ormidal::EnableButton(context_.scheduler, context_.host);
      return;
    case IDC_DISABLE:
      context_.scheduler.Disable(HistoryCause::kByUser);
      return;
    case IDC_VIEW_SCHEDULER:
      ViewEventsList();
      return;
    case IDC_SET_CURRENT_TIME:
      SetCurrentTime();
      return;
    case IDC_ONCE:
      ApplyRepeatClick(boxes, RepeatBox::kOnce);
      ShowRepeat(boxes);
      return;
    case IDC_DAILY:
      ApplyRepeatClick(boxes, RepeatBox::kDaily);
      ShowRepeat(boxes);
      return;
    case IDC_TEST_URL:
      TestUrl(Text(IDC_URL), context_.options.browserLaunch, context_.mainTitle, context_.host);
      return;
    case IDC_HELP_BUTTON:
      OpenHelp(context_.recorderWindows);
      return;
    default:
      for (int box : kDayBoxes) {
        if (id == box) {
          ApplyRepeatClick(boxes, RepeatBox::kDay);
          ShowRepeat(boxes);
        }
      }
      return;  // Enter (IDOK) does nothing
  }
}

bool TimerDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kPresenceTimer && RecordingProgramGone(context_.link, context_.recorderWindows)) {
        context_.host.EndProcess(HistoryCause::kRecordingProgramGone);
      }
      result = TRUE;
      return true;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(mainWindow_, SW_MINIMIZE);
        result = TRUE;
        return true;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace ormidal
