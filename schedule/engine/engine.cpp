#include "engine.h"

#include <new>
#include <queue>
#include <vector>

#include "text.h"

namespace ormidal {
namespace {

constexpr char kDisabledStatus[] = "Scheduler is disabled";
constexpr char kCannotSetUp[] = "Cannot setup the timer";
// A stop that cannot go out holds the starts after it no longer than this.
constexpr auto kStopFirstLimit = std::chrono::seconds(1);

constexpr FileTime kTicksPerDay = 86400 * kTicksPerSecond;
// A pass wakes just after a whole second; which millisecond does not matter,
// as every written time is a whole second.
constexpr FileTime kPassDelay = kTicksPerSecond / 1000;

void ToLowerAscii(std::string& text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

// Each line a pass reads, the first 200 of the copy, until stop says so.
void ForEachPassLine(std::string_view copy, const std::function<bool()>& stop,
                     const std::function<void(std::size_t, LineValues&, const Extraction&)>& f) {
  LineReader reader(copy);
  std::string_view line;
  LineValues values;
  for (std::size_t i = 0; i < kSlotCount && !stop() && reader.Next(line); ++i) {
    f(i, values, ExtractEntryLine(line, values));
  }
}

// One line's step of a pass: its slot follows its window; true when the
// window has just opened, so the line is to be started.
bool ArmLine(LineValues& values, const CalendarRecord& now, std::atomic<int32_t>& slot) {
  if (!WindowOpen(values, now)) {
    slot.store(0);
    return false;
  }
  if (slot.load() != 0) return false;
  slot.store(1);
  return true;
}

// A line whose window has just opened joins the decision; false when its
// position is refused, which stops the engine at once: the pass ends there.
bool Open(PassDecision& pass, std::size_t line, const LineValues& values, bool audioMode) {
  pass.opened.push_back({line, values});
  if (WindowPositionAccepted(values.timePos, audioMode)) return true;
  pass.refusedPosition = line;
  return false;
}

}  // namespace

bool ReadWindowPosition(std::string_view timePos, ScheduleEntry& e) {
  e.timePos.clear();
  e.posLeft = e.posTop = e.posRight = e.posBottom = 0;
  if (timePos.find(',') != std::string_view::npos) {
    e.timePos = fw::Clip(timePos, kEntryPositionLimit);
    e.posLeft = fw::ReadDecimal(e.timePos);
    int32_t* next[] = {&e.posTop, &e.posRight, &e.posBottom};
    std::size_t at = 0;
    for (int32_t* value : next) {
      at = e.timePos.find(',', at);
      if (at == std::string::npos) break;
      ++at;
      *value = fw::ReadDecimalAt(e.timePos, at);
    }
  }
  return e.posRight > e.posLeft && e.posBottom > e.posTop;
}

bool WindowPositionAccepted(std::string_view timePos, bool audioMode) {
  ScheduleEntry scratch;
  return ReadWindowPosition(timePos, scratch) || audioMode;
}

WindowFault WrittenWindowFault(FileTime start, FileTime end) {
  if (start == 0) return WindowFault::kStartUnreadable;
  if (end == 0) return WindowFault::kEndUnreadable;
  if (end <= start) return WindowFault::kEndNotAfterStart;
  if (end - start > kLongestWindow) return WindowFault::kTooLong;
  return WindowFault::kNone;
}

bool WindowOpen(LineValues& values, const CalendarRecord& now) {
  FileTime present = 0;
  RecordToFileTime(now, present);
  values.startTime = GetFileTime(values.timeStart);
  values.endTime = GetFileTime(values.timeEnd);
  // Decided on the written times: an unreadable one reads as the year 1601,
  // which the repeat rule would move onto today.
  const bool due = WrittenWindowFault(values.startTime, values.endTime) == WindowFault::kNone;
  ApplyRepeat(values, now);
  return due && present >= values.startTime && present < values.endTime;
}

std::optional<FileTime> NextWindowChange(LineValues& values, const CalendarRecord& now) {
  FileTime present = 0;
  if (!RecordToFileTime(now, present)) return std::nullopt;
  const FileTime written[] = {GetFileTime(values.timeStart), GetFileTime(values.timeEnd)};
  if (WrittenWindowFault(written[0], written[1]) != WindowFault::kNone) return std::nullopt;
  WindowOpen(values, now);
  std::optional<FileTime> next;
  auto consider = [&](FileTime second) {
    if (second > present && (!next || second < *next)) next = second;
  };
  // The repeat rule moves a window only at a midnight, or as now passes its written times.
  for (const FileTime second : written) consider(second);
  consider(values.startTime);
  consider(values.endTime);
  if (!values.once) consider((present / kTicksPerDay + 1) * kTicksPerDay);
  return next;
}

bool ParseSchedules(std::string_view copy, const CalendarRecord& now, ActiveSlots& slots,
                    const std::function<bool()>& stop,
                    const std::function<void(std::size_t, LineValues&)>& startSchedule) {
  bool readError = false;
  ForEachPassLine(copy, stop, [&](std::size_t i, LineValues& values, const Extraction& x) {
    readError = readError || x.readError;
    if (x.kind == LineKind::kEntry && ArmLine(values, now, slots.activeSlot[i])) {
      startSchedule(i, values);
    }
  });
  return readError;
}

PassDecision DecidePass(std::string_view copy, const CalendarRecord& now, ActiveSlots& slots,
                        bool audioMode, const std::function<bool()>& stop) {
  PassDecision pass;
  pass.readError = ParseSchedules(
      copy, now, slots, [&] { return pass.refusedPosition.has_value() || stop(); },
      [&](std::size_t line, LineValues& values) { Open(pass, line, values, audioMode); });
  return pass;
}

void FollowPasses(std::string_view copy, const CalendarRecord& now, FileTime until,
                  bool audioMode, ActiveSlots& slots,
                  const std::function<bool(FileTime, const PassDecision&)>& visit) {
  FileTime present = 0;
  if (!RecordToFileTime(now, present)) return;
  const FileTime first = present - present % kTicksPerSecond;
  const PassDecision firstPass = DecidePass(copy, now, slots, audioMode, [] { return false; });
  // Only a first pass can find a read error, and the engine then stops.
  if (!visit(first, firstPass) || firstPass.StopsEngine()) return;
  std::vector<OpenedLine> lines;
  ForEachPassLine(copy, [] { return false; },
                  [&](std::size_t i, LineValues& values, const Extraction& x) {
                    if (x.kind == LineKind::kEntry) lines.push_back({i, values});
                  });
  using Due = std::pair<FileTime, std::size_t>;  // a second, a place in lines
  std::priority_queue<Due, std::vector<Due>, std::greater<Due>> due;
  // The first pass may have run at the whole second itself.
  for (std::size_t k = 0; k < lines.size(); ++k) due.push({first + kTicksPerSecond, k});
  std::vector<std::size_t> changing;
  while (!due.empty() && due.top().first < until) {
    const FileTime second = due.top().first;
    CalendarRecord at;
    if (!FileTimeToRecord(second + kPassDelay, at)) return;
    // The lines left out decide as at the pass before.
    PassDecision pass;
    changing.clear();
    for (; !due.empty() && due.top().first == second; due.pop()) {
      const std::size_t k = due.top().second;
      changing.push_back(k);
      if (!pass.refusedPosition && ArmLine(lines[k].values, at, slots.activeSlot[lines[k].line])) {
        Open(pass, lines[k].line, lines[k].values, audioMode);
      }
    }
    if (!visit(second, pass) || pass.StopsEngine()) return;
    for (const std::size_t k : changing) {
      if (const auto next = NextWindowChange(lines[k].values, at)) due.push({*next, k});
    }
  }
}

Engine::Engine(EngineSystem& system, SchedulerHost& host, FileSystem& files, EngineUi& ui,
               RecorderLink& recorder, const Options& options)
    : system_(system), host_(host), files_(files), ui_(ui), recorder_(recorder), options_(options) {}

bool Engine::Stopped(uint32_t generation) const {
  return flags_.stopRequested.load() != 0 || flags_.generation.load() != generation;
}

uint32_t Engine::StopLocked() {
  flags_.stopRequested.store(1);
  flags_.schedulerActive.store(0);
  const uint32_t generation = flags_.generation.load() + 1;
  flags_.generation.store(generation);
  slots_.Clear();
  return generation;
}

void Engine::ShowStopped(uint32_t stoppedAt) {
  // An enable since then has written its own status.
  if (flags_.generation.load() == stoppedAt) ui_.SetStatus(kDisabledStatus);
}

void Engine::CannotSetUp(uint32_t generation) {
  bool stopped = false;
  uint32_t stoppedAt = 0;
  {
    std::lock_guard<std::mutex> lock(passMutex_);
    if (flags_.generation.load() == generation) {
      stopped = true;
      stoppedAt = StopLocked();
    }
  }
  if (stopped) ShowStopped(stoppedAt);
  ui_.PlainMessage(kCannotSetUp);
}

void Engine::EnableScheduler(const std::string& schedulePath) {
  uint32_t generation = 0;
  {
    std::lock_guard<std::mutex> lock(passMutex_);
    generation = flags_.generation.load() + 1;
    flags_.generation.store(generation);
    flags_.stopRequested.store(0);
    flags_.schedulerActive.store(1);
  }
  auto copy = std::make_shared<std::string>();
  const LoadResult loaded = LoadScheduleFile(schedulePath, *copy, files_, host_);
  if (loaded == LoadResult::kEnded) return;
  if (loaded == LoadResult::kLoaded) {
    ui_.SetStatus("Scheduler is active");
    std::shared_ptr<const std::string> shared = std::move(copy);
    if (system_.StartThread([this, generation, shared] { CheckSchedule(generation, shared); })) {
      ui_.FocusEnableButton();
      return;
    }
    ui_.FocusDisableButton();
    CannotSetUp(generation);
    return;
  }
  ui_.SetStatus(kDisabledStatus);
  flags_.schedulerActive.store(0);
  ui_.FocusDisableButton();
}

void Engine::DisableScheduler() {
  {
    std::lock_guard<std::mutex> lock(passMutex_);
    StopLocked();
  }
  ui_.SetStatus(kDisabledStatus);
}

void Engine::CheckSchedule(uint32_t generation, std::shared_ptr<const std::string> copy) {
  std::unique_ptr<Waiter> waiter = system_.NewWaiter();
  while (!Stopped(generation)) {
    PassDecision pass;
    bool cannotSetUp = false;
    bool stopped = false;
    uint32_t stoppedAt = 0;
    {
      std::lock_guard<std::mutex> lock(passMutex_);
      if (Stopped(generation)) break;
      pass = DecidePass(*copy, system_.LocalTime(), slots_, options_.audioMode,
                        [&] { return Stopped(generation); });
      if (pass.readError) flags_.readError.store(1);
      if (pass.StopsEngine()) {
        stopped = true;
        stoppedAt = StopLocked();
      }
      // Timers start only once the pass has decided that the engine goes on.
      for (const OpenedLine& opened : pass.opened) {
        if (Stopped(generation)) break;
        const auto entry = StartSchedule(opened.values, cannotSetUp);
        if (entry == nullptr) continue;
        if (!system_.StartThread([this, generation, entry] { Timer(generation, entry); })) {
          cannotSetUp = stopped = true;
          stoppedAt = StopLocked();
        }
      }
    }
    // Messages wait for the user: never while holding the pass lock.
    if (stopped) ShowStopped(stoppedAt);
    if (pass.refusedPosition) host_.SchedulerMessage(kPositionErrorMessage, kMessageOk);
    if (pass.readError) {
      host_.SchedulerMessage(kReadErrorMessage, kMessageOk);
      flags_.readError.store(0);
    }
    if (cannotSetUp) ui_.PlainMessage(kCannotSetUp);
    if (Stopped(generation)) break;
    waiter->Wait();
  }
}

std::shared_ptr<ScheduleEntry> Engine::StartSchedule(const LineValues& values, bool& cannotSetUp) {
  std::shared_ptr<ScheduleEntry> entry;
  try {
    entry = std::make_shared<ScheduleEntry>();
  } catch (const std::bad_alloc&) {
    cannotSetUp = true;
    return nullptr;
  }
  entry->startTime = values.startTime;
  entry->endTime = values.endTime;
  entry->once = values.once;
  entry->daily = values.daily;
  entry->dayOfWeek = values.dayOfWeek;
  entry->timeUrl = values.timeUrl;
  entry->timeName = values.timeName;
  entry->timeProg = values.timeProg;
  ToLowerAscii(entry->timeProg);
  // DecidePass has already refused a position the engine cannot use.
  ReadWindowPosition(values.timePos, *entry);
  return entry;
}

bool Engine::StartRequest(const std::shared_ptr<ScheduleEntry>& entry, int32_t request) {
  entry->task.store(request);
  // The request travels with the task, so a quick stop cannot replace a start not yet taken.
  return system_.StartThread([this, entry, request] {
    recorder_.ControlRecorder(entry, request);
    if (request == kTaskStop) StopSettled(entry->endTime);
  });
}

void Engine::WaitForStopsDueBy(FileTime now) {
  std::unique_lock<std::mutex> lock(stopsMutex_);
  stopsSettled_.wait_for(lock, kStopFirstLimit,
                         [&] { return stopsOwed_.empty() || *stopsOwed_.begin() > now; });
}

void Engine::StopOwed(FileTime end) {
  std::lock_guard<std::mutex> lock(stopsMutex_);
  stopsOwed_.insert(end);
}

void Engine::StopSettled(FileTime end) {
  {
    std::lock_guard<std::mutex> lock(stopsMutex_);
    const auto owed = stopsOwed_.find(end);
    if (owed != stopsOwed_.end()) stopsOwed_.erase(owed);
  }
  stopsSettled_.notify_all();
}

void Engine::Timer(uint32_t generation, std::shared_ptr<ScheduleEntry> entry) {
  std::unique_ptr<Waiter> waiter = system_.NewWaiter();
  ui_.FillFromEntry(*entry);
  bool started = false;
  // Once started, the recording owes a stop until it is sent or will never be.
  auto settle = [&] {
    if (started) StopSettled(entry->endTime);
  };
  for (;;) {
    if (Stopped(generation) || entry->failed.load() != 0) {
      settle();
      return;
    }
    FileTime now = 0;
    RecordToFileTime(system_.LocalTime(), now);
    if (!started) {
      // A window that closed before this Timer could see it open is over.
      if (now >= entry->endTime) return;
      if (now >= entry->startTime) {
        WaitForStopsDueBy(now);
        started = true;
        StopOwed(entry->endTime);
        if (!StartRequest(entry, kTaskStart)) {
          settle();
          CannotSetUp(generation);
          return;
        }
      }
    }
    if (started && now >= entry->endTime) {
      if (!StartRequest(entry, kTaskStop)) {
        settle();
        CannotSetUp(generation);
      }
      return;
    }
    waiter->Wait();
  }
}

}  // namespace ormidal
