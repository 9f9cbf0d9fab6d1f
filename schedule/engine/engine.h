// The scheduler engine: enable and disable, the once-a-second scheduling
// pass over the schedule copy, and one Timer per opened window that asks the
// recording program to start and, when the window closes, to stop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history_writer.h"
#include "host.h"
#include "options.h"
#include "power_plan.h"
#include "repeat_rules.h"
#include "schedule_entry.h"
#include "schedule_file.h"

namespace ormidal {

// What the user is shown when the engine stops itself.
constexpr char kPositionErrorMessage[] = "Error in window position. Cannot continue";
constexpr char kReadErrorMessage[] = "Error reading scheduler file";
constexpr char kNoRecorderMessage[] = "No recording program is running. Recording canceled.";
constexpr char kCannotSetUpMessage[] = "Cannot setup the timer";

// The one-second wait of one thread: returns just after the next whole
// second of the local clock.
class Waiter {
 public:
  virtual ~Waiter() = default;
  virtual void Wait() = 0;
};

// Clock, waits and threads: GetLocalTime, multimedia timers and runtime
// threads on Windows; a simulated clock in tests.
class EngineSystem {
 public:
  virtual ~EngineSystem() = default;
  virtual CalendarRecord LocalTime() = 0;
  virtual std::unique_ptr<Waiter> NewWaiter() = 0;
  // Runs body on a new thread that is never joined; false when no thread
  // could be started.
  virtual bool StartThread(std::function<void()> body) = 0;
};

// What the engine shows in the Schedule Recordings dialog.
class EngineUi {
 public:
  virtual ~EngineUi() = default;
  virtual void SetStatus(const std::string& text) = 0;
  virtual void FocusEnableButton() = 0;
  virtual void FocusDisableButton() = 0;
  // Called on the entry's Timer thread when it begins.
  virtual void FillFromEntry(const ScheduleEntry& entry) = 0;
  // A plain OK box outside the scheduler's message style. Status and boxes
  // may come from engine threads, never while the engine holds its lock.
  virtual void PlainMessage(const std::string& text) = 0;
  // Tells the user something without waiting for an answer: the caller,
  // often a pass or a request, goes on at once.
  virtual void Notice(const std::string& text) = 0;
};

enum class RequestOutcome {
  kSent,
  kNoRecorder,  // no recording program's window: nothing was sent
  kNotAsked,    // the entry had failed before: nothing more is sent for it
};

// Carries out one start or stop request of an entry on the request's own
// thread, which shares the entry with its Timer. It shows nothing: the
// engine tells the user once the outcome is in the history.
class RecorderLink {
 public:
  virtual ~RecorderLink() = default;
  virtual RequestOutcome ControlRecorder(const std::shared_ptr<ScheduleEntry>& entry,
                                         int32_t request) = 0;
};

// What the engine reaches beside the recording program; either may be absent.
struct EngineServices {
  PowerSystem* power = nullptr;   // waking the computer and keeping it awake
  HistoryLog* history = nullptr;  // what was sent, what failed, what was missed
};

struct EngineFlags {
  std::atomic<int32_t> schedulerActive{1};
  std::atomic<int32_t> stopRequested{0};
  std::atomic<int32_t> readError{0};
  // Every enable and every stop starts a new generation; threads of an older one end.
  std::atomic<uint32_t> generation{0};
};

// The system's local time as a file time.
FileTime LocalNow(EngineSystem& system);

// Reads the window position numbers of a line into the entry; false when the
// position would be refused outside audio mode.
bool ReadWindowPosition(std::string_view timePos, ScheduleEntry& entry);

// Whether StartSchedule takes a line with this window position; a refusal
// stops the whole engine.
bool WindowPositionAccepted(std::string_view timePos, bool audioMode);

// The length a start request tells for this entry: its end minus its start,
// in whole seconds, within what " sec: " can carry.
uint32_t WindowSeconds(const EntryValues& entry);

// The longest window a start request can tell: its " sec: " is an unsigned
// 32-bit number of seconds.
constexpr FileTime kLongestWindow = FileTime{UINT32_MAX} * kTicksPerSecond;

// Why a line with these written start and end is never due, whatever the
// time and its repeat rule.
enum class WindowFault { kNone, kStartUnreadable, kEndUnreadable, kEndNotAfterStart, kTooLong };
WindowFault WrittenWindowFault(FileTime start, FileTime end);

// The decision for one entry line at now: its start and end are read, its
// repeat rule applied (values then hold the resulting window), and the result
// tells whether now lies in that window.
bool WindowOpen(LineValues& values, const CalendarRecord& now);

// The first whole second after now at which WindowOpen may decide otherwise
// for this line: its window's start or end, moved or as written, or the next
// midnight unless it runs once. None when it is never due. Between two such
// seconds every pass decides for the line as the one before.
std::optional<FileTime> NextWindowChange(LineValues& values, const CalendarRecord& now);

// The first whole second after now at which a pass over copy may decide
// otherwise than the pass at now (with these slots); none when no line's
// window ever changes.
std::optional<FileTime> NextPassChange(std::string_view copy, const CalendarRecord& now,
                                       const ActiveSlots& slots);

// One pass over the schedule copy at the present time now: every entry line
// among the first 200 is given its repeat rule and window test; a line whose
// window is open and has not started yet is handed to startSchedule with its
// position in the file (from 0), once the line's own window before it has
// ended. stop is asked before every line. Returns true when a line's repeat
// field was malformed.
bool ParseSchedules(std::string_view copy, const CalendarRecord& now, ActiveSlots& slots,
                    const std::function<bool()>& stop,
                    const std::function<void(std::size_t line, LineValues&)>& startSchedule);

struct OpenedLine {
  std::size_t line = 0;  // position in the file, from 0
  LineValues values;
};

// A line's window that opens before the line's own window before it has
// ended: it waits for that end, when it starts if it is still open.
struct OwnOverlap {
  std::size_t line = 0;
  FileTime start = 0, end = 0;  // the window that waits
  FileTime previousEnd = 0;
};

// What one pass decides, before any thread is started: the lines whose window
// has just opened, and whether the engine stops after the pass. When it
// stops, none of the opened lines is started.
struct PassDecision {
  std::vector<OpenedLine> opened;
  std::optional<std::size_t> refusedPosition;  // the line that ended the pass
  bool readError = false;
  std::vector<OwnOverlap> ownOverlaps;  // started late, or waiting
  bool StopsEngine() const { return refusedPosition.has_value() || readError; }
};

PassDecision DecidePass(std::string_view copy, const CalendarRecord& now, ActiveSlots& slots,
                        bool audioMode, const std::function<bool()>& stop);

// The passes from now on, up to until (not included), that can decide
// otherwise than the one before: the first at now over the whole copy, then
// one just after each second at which a line's window can change or its own
// recording ends, over those lines. visit gets each one's second and decision and
// returns false to end them; a pass that stops the engine is the last.
// Used by ormidal-check, and for the engine's next start.
void FollowPasses(std::string_view copy, const CalendarRecord& now, FileTime until,
                  bool audioMode, ActiveSlots& slots,
                  const std::function<bool(FileTime second, const PassDecision& pass)>& visit);

// The engine's state changes only through its own operations; the user
// interface reads it.
class Engine {
 public:
  Engine(EngineSystem& system, SchedulerHost& host, FileSystem& files, EngineUi& ui,
         RecorderLink& recorder, const Options& options, EngineServices services = {});
  // UI thread only. why: who disabled it, for the history.
  void EnableScheduler(const std::string& schedulePath);
  void DisableScheduler(HistoryCause why = HistoryCause::kByUser);
  // Any thread: the computer has just resumed from sleep. The next pass sets
  // the wake and the keep-awake hold anew and tells what was missed.
  void Resumed();
  // The program ends: the engine stops for good and no request goes out from
  // now on, not even one already decided. Returns once no request is being
  // sent, or after a bound when one hangs; the history is not told.
  void End();
  // UI thread, before the first enable: the scheduler was not running since
  // then, and the windows that came and went meanwhile were missed for why.
  void MissedSince(FileTime since, HistoryCause why);
  // The second of the next start request, where the engine keeps one (with a
  // power system, while enabled).
  std::optional<FileTime> NextStartRequest();

  // Clear whenever the engine has stopped, whatever stopped it.
  bool SchedulerActive() const { return flags_.schedulerActive.load() != 0; }
  bool StopRequested() const { return flags_.stopRequested.load() != 0; }
  bool AnySlotArmed() const { return slots_.Any(); }

 private:
  bool Stopped(uint32_t generation) const;
  // What DisableScheduler and every stop of the engine's own share; under
  // passMutex_. Returns the generation the engine stops at.
  uint32_t StopLocked();
  // After a stop, outside the pass lock: the hold is released, the wake
  // cancelled, and the history told why (text: the engine's own reason).
  void AfterStop(bool wasRunning, HistoryCause why, const std::string& text);
  // Tells a stop of the engine's own in the status line, outside the lock.
  void ShowStopped(uint32_t stoppedAt);
  // A thread that could not start: the engine of that generation stops and the user is told.
  void CannotSetUp(uint32_t generation);
  void CheckSchedule(uint32_t generation, std::shared_ptr<const std::string> copy);
  // The entry for a line whose window has opened; none when it cannot be
  // made, and cannotSetUp is then set.
  std::shared_ptr<ScheduleEntry> StartSchedule(const LineValues& values, bool& cannotSetUp);
  void Timer(uint32_t generation, std::shared_ptr<ScheduleEntry> entry);
  // Hands the request due at that second to a thread of its own; false
  // when none could be started, which the history is told. A start goes out
  // only while its generation runs, nothing after the end.
  bool StartRequest(uint32_t generation, const std::shared_ptr<ScheduleEntry>& entry,
                    int32_t request, FileTime due);
  void RecordRequest(const ScheduleEntry& entry, int32_t request, RequestOutcome outcome,
                     FileTime due, FileTime sent, const std::string& told);
  // Stops go out before starts: a start waits (bounded) until no recording
  // that ends by now still has its stop to send.
  void WaitForStopsDueBy(FileTime now);
  void StopOwed(FileTime end, const std::string& name);
  void StopSettled(FileTime end, const std::string& name);

  // Wake and keep-awake: only where there is a power system.
  // The pass's own view of the next start the engine will send.
  std::optional<NextStart> FindNextStart(std::string_view copy, const CalendarRecord& now,
                                         ActiveSlots& slots) const;
  // The windows that opened and closed between from and now, while nothing
  // ran to start them, as missed events without their cause; the first pass
  // at from is what already ran.
  std::vector<HistoryEvent> Missed(std::string_view copy, const CalendarRecord& from,
                                   FileTime now, ActiveSlots& slots) const;
  void ApplyPower(uint32_t generation, FileTime now, bool resumed);
  void Record(HistoryEvent event);

  EngineSystem& system_;
  SchedulerHost& host_;
  FileSystem& files_;
  EngineUi& ui_;
  RecorderLink& recorder_;
  const Options& options_;
  HistoryLog* const history_;
  std::optional<PowerApplier> applier_;
  EngineFlags flags_;
  ActiveSlots slots_;
  // One pass at a time; enable, disable and stops change generation and slots under it.
  std::mutex passMutex_;
  bool running_ = false;      // a pass of the current generation runs
  FileTime stoppedSince_ = 0;  // when it last stopped, for what was missed meanwhile
  HistoryCause stoppedWhy_ = HistoryCause::kWhileDisabled;
  // The ends and names of opened windows whose stop has not gone out yet.
  std::mutex stopsMutex_;
  std::condition_variable stopsSettled_;
  std::multimap<FileTime, std::string> stopsOwed_;
  // The next start and what was applied for it, kept by the pass.
  std::mutex powerMutex_;
  std::optional<NextStart> next_;
  std::optional<NextStart> armedFor_;
  bool keepAwakeTold_ = false;
  std::atomic<bool> resumed_{false};
  // Requests hold it shared while they decide and send; the end takes it whole.
  std::shared_timed_mutex sending_;
  std::atomic<bool> ended_{false};
};

}  // namespace ormidal
