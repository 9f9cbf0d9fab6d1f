#include "dialog_flows.h"

#include <utility>

#include "text.h"

namespace ormidal {
namespace {

constexpr std::size_t kQuotedPathLimit = 997;

bool Yes(SchedulerHost& host, const std::string& question) {
  return host.SchedulerMessage(question, kMessageYesNo) == kAnswerYes;
}

// Enabled by a flow that closes the list: the focus follows to Enable.
ListStep EnableAndClose(ListFlags& flags, SchedulerSwitch& scheduler) {
  scheduler.Enable();
  flags.enableDeclined = false;
  return {true, true};
}

}  // namespace

ListStep EnableAfterSave(ListFlags& flags, SchedulerSwitch& scheduler, SchedulerHost& host) {
  flags.changePending = false;
  scheduler.Disable(HistoryCause::kByEdit);
  if (Yes(host, "Enable scheduler now?")) return EnableAndClose(flags, scheduler);
  flags.enableDeclined = true;
  scheduler.Disable(HistoryCause::kByEdit);
  return {};
}

void EnableButton(SchedulerSwitch& scheduler, SchedulerHost& host) {
  if (!scheduler.Active()) {
    scheduler.Enable();
  } else if (Yes(host, "Scheduler is currently active. Would you like to stop the scheduler now?")) {
    scheduler.Disable(HistoryCause::kByUser);
  }
}

ListStep CloseEventsList(bool listOpen, ListFlags& flags, SchedulerSwitch& scheduler,
                         SchedulerHost& host) {
  if (!listOpen) return {};
  if (scheduler.StopRequested() && !flags.enableDeclined &&
      Yes(host, "Scheduler is disabled. Enable scheduler now?")) {
    return EnableAndClose(flags, scheduler);
  }
  flags.enableDeclined = false;
  return {true, false};
}

void TakeChange(ListFlags& flags, SchedulerSwitch& scheduler) {
  flags.changePending = true;
  scheduler.Disable(HistoryCause::kByEdit);
}

void ChangeEvent(const ScheduleList& shown, const std::vector<std::size_t>& selected,
                 ListOwner& owner, SchedulerHost& host) {
  const ChangeOutcome change = ChangeEntry(shown, selected);
  if (!change.message.empty()) host.SchedulerMessage(change.message, kMessageOk);
  if (change.entry) owner.ChangeTo(*change.entry);  // the list is gone then
}

void DeleteEvents(const ScheduleFolder& folder, const ScheduleList& shown,
                  const std::vector<std::size_t>& selected, const ListOwner& owner,
                  SchedulerSwitch& scheduler, SchedulerHost& host,
                  const std::function<void(ScheduleList)>& showRows) {
  if (shown.rows.empty()) return;
  if (selected.empty()) {
    host.SchedulerMessage("No items selected", kMessageOk);
    return;
  }
  if (!owner.ChangePending() &&
      !Yes(host, "Remove " + std::to_string(selected.size()) + " scheduled items ?")) {
    return;
  }
  // shown may be the rows that showRows replaces.
  const std::size_t listed = shown.rows.size();
  scheduler.Disable(HistoryCause::kByEdit);
  EditOutcome deleted = DeleteEntryLines(folder, shown, selected);
  if (deleted.rows) showRows(std::move(*deleted.rows));
  if (!deleted.message.empty()) {
    host.SchedulerMessage(deleted.message, kMessageOk);
  } else if (listed >= 2) {
    host.SchedulerMessage("Scheduler is now disabled. Click ENABLE to restart", kMessageOk);
  }
}

ClockTickStep ClockTick(bool firstTick, SchedulerSwitch& scheduler) {
  ClockTickStep step;
  if (firstTick) {
    if (!scheduler.Active()) return step;
    scheduler.Enable();
    step.enabled = true;
  }
  if (scheduler.Active()) {
    step.status = scheduler.Counting() ? "Scheduler is active counting..."
                                       : "Scheduler is active waiting...";
  }
  return step;
}

HistoryCause EndSessionCause(uint32_t flags) {
  if ((flags & kEndSessionLogoff) != 0) return HistoryCause::kWindowsLogoff;
  if ((flags & kEndSessionCloseApp) != 0) return HistoryCause::kWindowsRestart;
  return HistoryCause::kWindowsShutdown;
}

std::vector<ShellOpen> TextFileOpeners(std::string_view path, std::string_view windowsFolder) {
  // Quoted, so that a blank in the path does not split it.
  const std::string quoted = fw::Clip("\"" + std::string(path) + "\"", kQuotedPathLimit);
  std::vector<ShellOpen> openers{{"wordpad", quoted}};
  if (!windowsFolder.empty()) {
    std::string folder(windowsFolder);
    if (folder.back() != '\\') folder += '\\';
    openers.push_back({folder + "notepad.exe", quoted});
  }
  openers.push_back({std::string(path), ""});
  return openers;
}

void OpenTextFile(std::string_view path, std::string_view windowsFolder,
                  const std::function<bool(const ShellOpen&)>& open, SchedulerHost& host) {
  for (const ShellOpen& opener : TextFileOpeners(path, windowsFolder)) {
    if (open(opener)) return;
  }
  host.SchedulerMessage("Cannot open " + std::string(path) +
                            ": neither WordPad nor Notepad could be started, and Windows has no "
                            "program set to open this file.",
                        kMessageOk);
}

}  // namespace ormidal
