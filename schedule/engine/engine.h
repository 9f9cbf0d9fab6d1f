// The scheduler engine: enable and disable, the once-a-second scheduling
// pass over the schedule copy, and one Timer per opened window that asks the
// recording program to start and, when the window closes, to stop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"
#include "options.h"
#include "repeat_rules.h"
#include "schedule_entry.h"
#include "schedule_file.h"

namespace ormidal {

// What the user is shown when the engine stops itself.
constexpr char kPositionErrorMessage[] = "Error in window position. Cannot continue";
constexpr char kReadErrorMessage[] = "Error reading scheduler file";

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
};

// Carries out one start or stop request of an entry on the request's own
// thread, which shares the entry with its Timer.
class RecorderLink {
 public:
  virtual ~RecorderLink() = default;
  virtual void ControlRecorder(const std::shared_ptr<ScheduleEntry>& entry, int32_t request) = 0;
};

struct EngineFlags {
  std::atomic<int32_t> schedulerActive{1};
  std::atomic<int32_t> stopRequested{0};
  std::atomic<int32_t> readError{0};
  // Every enable and every stop starts a new generation; threads of an older one end.
  std::atomic<uint32_t> generation{0};
};

// Reads the window position numbers of a line into the entry; false when the
// position would be refused outside audio mode.
bool ReadWindowPosition(std::string_view timePos, ScheduleEntry& entry);

// Whether StartSchedule takes a line with this window position; a refusal
// stops the whole engine.
bool WindowPositionAccepted(std::string_view timePos, bool audioMode);

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

// One pass over the schedule copy at the present time now: every entry line
// among the first 200 is given its repeat rule and window test; a line whose
// window has just opened is handed to startSchedule with its position in the
// file (from 0). stop is asked before every line. Returns true when a line's
// repeat field was malformed.
bool ParseSchedules(std::string_view copy, const CalendarRecord& now, ActiveSlots& slots,
                    const std::function<bool()>& stop,
                    const std::function<void(std::size_t line, LineValues&)>& startSchedule);

struct OpenedLine {
  std::size_t line = 0;  // position in the file, from 0
  LineValues values;
};

// What one pass decides, before any thread is started: the lines whose window
// has just opened, and whether the engine stops after the pass. When it
// stops, none of the opened lines is started.
struct PassDecision {
  std::vector<OpenedLine> opened;
  std::optional<std::size_t> refusedPosition;  // the line that ended the pass
  bool readError = false;
  bool StopsEngine() const { return refusedPosition.has_value() || readError; }
};

PassDecision DecidePass(std::string_view copy, const CalendarRecord& now, ActiveSlots& slots,
                        bool audioMode, const std::function<bool()>& stop);

// The passes from now on, up to until (not included), that can decide
// otherwise than the one before: the first at now over the whole copy, then
// one just after each second at which a line's window can change, over the
// lines whose window can. visit gets each one's second and decision and
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
         RecorderLink& recorder, const Options& options);

  // UI thread only.
  void EnableScheduler(const std::string& schedulePath);
  void DisableScheduler();

  // Clear whenever the engine has stopped, whatever stopped it.
  bool SchedulerActive() const { return flags_.schedulerActive.load() != 0; }
  bool StopRequested() const { return flags_.stopRequested.load() != 0; }
  bool AnySlotArmed() const { return slots_.Any(); }

 private:
  bool Stopped(uint32_t generation) const;
  // What DisableScheduler and every stop of the engine's own share; under
  // passMutex_. Returns the generation the engine stops at.
  uint32_t StopLocked();
  // Tells a stop of the engine's own in the status line, outside the lock.
  void ShowStopped(uint32_t stoppedAt);
  // A thread that could not start: the engine of that generation stops and the user is told.
  void CannotSetUp(uint32_t generation);
  void CheckSchedule(uint32_t generation, std::shared_ptr<const std::string> copy);
  // The entry for a line whose window has opened; none when it cannot be
  // made, and cannotSetUp is then set.
  std::shared_ptr<ScheduleEntry> StartSchedule(const LineValues& values, bool& cannotSetUp);
  void Timer(uint32_t generation, std::shared_ptr<ScheduleEntry> entry);
  bool StartRequest(const std::shared_ptr<ScheduleEntry>& entry, int32_t request);
  // Stops go out before starts: a start waits (bounded) until no recording
  // that ends by now still has its stop to send.
  void WaitForStopsDueBy(FileTime now);
  void StopOwed(FileTime end);
  void StopSettled(FileTime end);

  EngineSystem& system_;
  SchedulerHost& host_;
  FileSystem& files_;
  EngineUi& ui_;
  RecorderLink& recorder_;
  const Options& options_;
  EngineFlags flags_;
  ActiveSlots slots_;
  // One pass at a time; enable, disable and stops change generation and slots under it.
  std::mutex passMutex_;
  // The ends of started recordings whose stop has not gone out yet.
  std::mutex stopsMutex_;
  std::condition_variable stopsSettled_;
  std::multiset<FileTime> stopsOwed_;
};

}  // namespace ormidal
