// The dialogs' flows, apart from their windows: what each user action asks,
// what it does to the scheduler, and what it leaves for the window to do.
// The Win32 dialogs read their controls, call these and show the outcome.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"
#include "schedule_edit.h"
#include "scheduler_switch.h"

namespace ormidal {

// What the Scheduled Events list asks of the dialog that owns it.
class ListOwner {
 public:
  virtual ~ListOwner() = default;
  // Set by a Change until the next save: Delete then asks no question.
  virtual bool ChangePending() const = 0;
  // Change chose this entry. The owner closes the list, so the list is gone
  // when this returns.
  virtual void ChangeTo(const CurrentEntry& entry) = 0;
  // The list's close: the owner may offer to enable the scheduler, then
  // destroys the list.
  virtual void CloseEventsList() = 0;
};

// What the Schedule Recordings dialog keeps between its flows.
struct ListFlags {
  bool changePending = false;   // a Change was taken and not saved yet
  bool enableDeclined = false;  // a save's enable question was answered No
};

// What is left for the dialog once a flow has decided.
struct ListStep {
  bool closeList = false;    // destroy the Scheduled Events list
  bool focusEnable = false;  // then give the Enable button the focus
  bool operator==(const ListStep&) const = default;
};

// Save Schedule once its line is stored and the list shows it: the
// scheduler is disabled and the user asked whether to enable it now. Yes
// enables it and closes the list; No keeps it disabled, and the list's close
// then asks nothing.
ListStep EnableAfterSave(ListFlags& flags, SchedulerSwitch& scheduler, SchedulerHost& host);

// The Enable button: a stopped scheduler is enabled; a running one is
// stopped when the user says so.
void EnableButton(SchedulerSwitch& scheduler, SchedulerHost& host);

// The close of an open list: a scheduler stopped meanwhile is offered again,
// unless a save's question was just answered No.
ListStep CloseEventsList(bool listOpen, ListFlags& flags, SchedulerSwitch& scheduler,
                         SchedulerHost& host);

// Change has handed the dialog an entry to show: the scheduler stops, and
// Delete asks nothing until the next save.
void TakeChange(ListFlags& flags, SchedulerSwitch& scheduler);

// The list's Change on the selected rows: the topmost goes to the owner, or
// the user is told why none does.
void ChangeEvent(const ScheduleList& shown, const std::vector<std::size_t>& selected,
                 ListOwner& owner, SchedulerHost& host);

// The list's Delete on the selected rows: the questions, the disable and the
// rewrite. The rows of the file as it is afterwards go to showRows before the
// user is told how it went.
void DeleteEvents(const ScheduleFolder& folder, const ScheduleList& shown,
                  const std::vector<std::size_t>& selected, const ListOwner& owner,
                  SchedulerSwitch& scheduler, SchedulerHost& host,
                  const std::function<void(ScheduleList)>& showRows);

// One tick of the main window's clock, the first once the dialog exists: the
// first enables the scheduler unless start-up has stopped it, and a running
// scheduler gets its status line ("" for none).
struct ClockTickStep {
  bool enabled = false;
  std::string status;
};
ClockTickStep ClockTick(bool firstTick, SchedulerSwitch& scheduler);

// Flags of the session's end (WM_ENDSESSION's lParam), as Windows numbers them.
constexpr uint32_t kEndSessionCloseApp = 0x00000001;
constexpr uint32_t kEndSessionLogoff = 0x80000000;

// Why the end of the Windows session ends the scheduler: a sign-out, a close
// by the Restart Manager (an install, such as an update's, replaces files
// and may restart Windows), else a shutdown or a restart, which Windows does
// not tell apart.
HistoryCause EndSessionCause(uint32_t flags);

// One ShellExecute "open": the program (or the file itself) and its parameters.
struct ShellOpen {
  std::string file;
  std::string parameters;
  bool operator==(const ShellOpen&) const = default;
};

// The ways to open a text file for the user (the schedule, the history), in
// the order they are tried: WordPad, as always; Windows 11 has none from 24H2
// on, so then Notepad, which every Windows has (when the Windows folder is
// known); then whatever the file's type is set to open with.
std::vector<ShellOpen> TextFileOpeners(std::string_view path, std::string_view windowsFolder);

// Tries each way until the shell starts one (open returns true); when none
// does, tells the user with the path.
void OpenTextFile(std::string_view path, std::string_view windowsFolder,
                  const std::function<bool(const ShellOpen&)>& open, SchedulerHost& host);

}  // namespace ormidal
