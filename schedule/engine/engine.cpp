#include "engine.h"

#include <algorithm>
#include <limits>
#include <new>
#include <queue>
#include <utility>
#include <vector>

#include "text.h"

namespace ormidal {
namespace {

constexpr char kDisabledStatus[] = "Scheduler is disabled";
// A stop that cannot go out holds the starts after it no longer than this.
constexpr auto kStopFirstLimit = std::chrono::seconds(1);

constexpr FileTime kTicksPerDay = 86400 * kTicksPerSecond;
// A pass wakes just after a whole second; which millisecond does not matter,
// as every written time is a whole second.
constexpr FileTime kPassDelay = kTicksPerSecond / 1000;
// Between two passes the clock moves one second; a pass that finds it moved
// back, or on by more than this, knows the computer slept or the clock changed.
constexpr FileTime kClockJump = 10 * kTicksPerSecond;
constexpr FileTime kTicksPerMs = kTicksPerSecond / 1000;

FileTime WholeSecond(FileTime time) { return time - time % kTicksPerSecond; }

void CopySlots(const ActiveSlots& from, ActiveSlots& to) {
  for (std::size_t i = 0; i < kSlotCount; ++i) to.activeSlot[i].store(from.activeSlot[i].load());
}

HistoryEvent EntryEvent(HistoryKind kind, FileTime time, const std::string& name, FileTime window) {
  HistoryEvent event = NewHistoryEvent(kind, time);
  event.name = name;
  event.window = window;
  return event;
}

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

FileTime LocalNow(EngineSystem& system) {
  FileTime now = 0;
  RecordToFileTime(system.LocalTime(), now);
  return now;
}

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

uint32_t WindowSeconds(const EntryValues& entry) {
  const int64_t length = TimeDifference(entry.endTime, entry.startTime) / int64_t{kTicksPerSecond};
  return static_cast<uint32_t>(std::clamp<int64_t>(length, 0, UINT32_MAX));
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

std::optional<FileTime> NextPassChange(std::string_view copy, const CalendarRecord& now) {
  std::optional<FileTime> next;
  ForEachPassLine(copy, [] { return false; },
                  [&](std::size_t, LineValues& values, const Extraction& x) {
                    if (x.kind != LineKind::kEntry) return;
                    const auto line = NextWindowChange(values, now);
                    if (line && (!next || *line < *next)) next = line;
                  });
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
               RecorderLink& recorder, const Options& options, EngineServices services)
    : system_(system),
      host_(host),
      files_(files),
      ui_(ui),
      recorder_(recorder),
      options_(options),
      history_(services.history) {
  if (services.power != nullptr) applier_.emplace(*services.power);
  stoppedSince_ = LocalNow(system_);
}

void Engine::Record(HistoryEvent event) {
  if (history_ != nullptr) history_->Record(std::move(event));
}

bool Engine::Stopped(uint32_t generation) const {
  return flags_.stopRequested.load() != 0 || flags_.generation.load() != generation;
}

uint32_t Engine::StopLocked() {
  flags_.stopRequested.store(1);
  flags_.schedulerActive.store(0);
  const uint32_t generation = flags_.generation.load() + 1;
  flags_.generation.store(generation);
  slots_.Clear();
  if (running_) stoppedSince_ = LocalNow(system_);
  running_ = false;
  return generation;
}

void Engine::AfterStop(bool wasRunning, HistoryCause why, const std::string& text) {
  if (applier_) {
    std::lock_guard<std::mutex> lock(powerMutex_);
    next_.reset();
    armedFor_.reset();
    applier_->Apply({});
  }
  if (!wasRunning) return;
  HistoryEvent event = NewHistoryEvent(HistoryKind::kDisabled, LocalNow(system_));
  event.cause = why;
  event.text = text;
  Record(std::move(event));
}

void Engine::ShowStopped(uint32_t stoppedAt) {
  // An enable since then has written its own status.
  if (flags_.generation.load() == stoppedAt) ui_.SetStatus(kDisabledStatus);
}

void Engine::CannotSetUp(uint32_t generation) {
  bool stopped = false;
  bool wasRunning = false;
  uint32_t stoppedAt = 0;
  {
    std::lock_guard<std::mutex> lock(passMutex_);
    if (flags_.generation.load() == generation) {
      stopped = true;
      wasRunning = running_;
      stoppedAt = StopLocked();
    }
  }
  if (stopped) {
    AfterStop(wasRunning, HistoryCause::kByEngine, kCannotSetUpMessage);
    ShowStopped(stoppedAt);
  }
  ui_.PlainMessage(kCannotSetUpMessage);
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
    HistoryEvent enabled = NewHistoryEvent(HistoryKind::kEnabled, LocalNow(system_));
    ForEachPassLine(*shared, [] { return false; },
                    [&](std::size_t, LineValues&, const Extraction& x) {
                      enabled.count += x.kind == LineKind::kEntry;
                    });
    {
      std::lock_guard<std::mutex> lock(passMutex_);
      running_ = flags_.generation.load() == generation;
    }
    Record(std::move(enabled));
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
  AfterStop(false, HistoryCause::kNone, {});
  ui_.FocusDisableButton();
}

void Engine::DisableScheduler(HistoryCause why) {
  bool wasRunning = false;
  {
    std::lock_guard<std::mutex> lock(passMutex_);
    wasRunning = running_;
    StopLocked();
  }
  AfterStop(wasRunning, why, {});
  ui_.SetStatus(kDisabledStatus);
}

void Engine::Resumed() { resumed_.store(true); }

void Engine::CheckSchedule(uint32_t generation, std::shared_ptr<const std::string> copy) {
  std::unique_ptr<Waiter> waiter = system_.NewWaiter();
  CalendarRecord last;  // the time of the pass before
  bool first = true;
  // Scratch for the predictions, which run outside the pass lock.
  auto gapSlots = std::make_unique<ActiveSlots>();
  auto nextSlots = std::make_unique<ActiveSlots>();
  // Until this second every pass decides as the last full one did: nothing
  // opens or closes, so the copy is not read again.
  FileTime sameUntil = 0;
  while (!Stopped(generation)) {
    PassDecision pass;
    bool cannotSetUp = false;
    bool stopped = false;
    uint32_t stoppedAt = 0;
    CalendarRecord now;
    FileTime present = 0;
    // What missed windows are looked for since, and the slots as they were then.
    std::optional<CalendarRecord> gapFrom;
    HistoryCause gapCause = HistoryCause::kAsleep;
    bool resumed = resumed_.exchange(false);
    {
      std::lock_guard<std::mutex> lock(passMutex_);
      if (Stopped(generation)) break;
      now = system_.LocalTime();
      RecordToFileTime(now, present);
      if (first) {
        // Windows that came and went while the scheduler was disabled.
        if (FileTimeToRecord(stoppedSince_, last)) gapFrom = last;
        gapCause = HistoryCause::kWhileDisabled;
      } else {
        FileTime before = 0;
        RecordToFileTime(last, before);
        resumed = resumed || present < before || present > before + kClockJump;
        if (resumed) gapFrom = last;
        CopySlots(slots_, *gapSlots);
      }
      if (first || resumed || present >= sameUntil) {
        pass = DecidePass(*copy, now, slots_, options_.audioMode,
                          [&] { return Stopped(generation); });
        sameUntil = NextPassChange(*copy, now).value_or(std::numeric_limits<FileTime>::max());
      }
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
        // Owed from now on, so that the computer is kept awake before its Timer runs.
        StopOwed(entry->endTime, entry->timeName);
        if (!system_.StartThread([this, generation, entry] { Timer(generation, entry); })) {
          StopSettled(entry->endTime, entry->timeName);
          cannotSetUp = stopped = true;
          stoppedAt = StopLocked();
        }
      }
      CopySlots(slots_, *nextSlots);
    }
    // Messages wait for the user: never while holding the pass lock.
    if (stopped) {
      const char* why = pass.refusedPosition ? kPositionErrorMessage
                        : pass.readError     ? kReadErrorMessage
                                             : kCannotSetUpMessage;
      AfterStop(true, HistoryCause::kByEngine, why);
      ShowStopped(stoppedAt);
    }
    if (pass.refusedPosition) host_.SchedulerMessage(kPositionErrorMessage, kMessageOk);
    if (pass.readError) {
      host_.SchedulerMessage(kReadErrorMessage, kMessageOk);
      flags_.readError.store(0);
    }
    if (cannotSetUp) ui_.PlainMessage(kCannotSetUpMessage);
    if (Stopped(generation)) break;
    if (gapFrom) {
      if (first) gapSlots->Clear();  // nothing ran while disabled
      TellMissed(*copy, *gapFrom, present, *gapSlots, gapCause);
    }
    if (applier_) {
      // The next start changes only when a window opens, or when time jumps.
      if (first || resumed || !pass.opened.empty()) {
        auto next = FindNextStart(*copy, now, *nextSlots);
        std::lock_guard<std::mutex> lock(powerMutex_);
        next_ = std::move(next);
      }
      ApplyPower(generation, present, resumed && !first);
    }
    last = now;
    first = false;
    waiter->Wait();
  }
}

std::optional<NextStart> Engine::FindNextStart(std::string_view copy, const CalendarRecord& now,
                                               ActiveSlots& slots) const {
  FileTime present = 0;
  if (!RecordToFileTime(now, present)) return std::nullopt;
  const FileTime horizon = present + FileTime{kWakeHorizonDays} * kTicksPerDay;
  std::optional<NextStart> next;
  FollowPasses(copy, now, horizon, options_.audioMode, slots,
               [&](FileTime second, const PassDecision& pass) {
                 // A pass that stops the engine starts nothing.
                 if (pass.StopsEngine()) return false;
                 for (const OpenedLine& opened : pass.opened) {
                   if (!next || opened.values.endTime > next->recording.end) {
                     next = NextStart{second, {opened.values.timeName, opened.values.endTime}, true};
                   }
                 }
                 return !next.has_value();
               });
  return next;
}

void Engine::TellMissed(std::string_view copy, const CalendarRecord& from, FileTime now,
                        ActiveSlots& slots, HistoryCause why) {
  if (history_ == nullptr) return;
  FileTime start = 0;
  if (!RecordToFileTime(from, start) || start >= now) return;
  const FileTime horizon = FileTime{kWakeHorizonDays} * kTicksPerDay;
  CalendarRecord since = from;
  if (now - start > horizon) FileTimeToRecord(now - horizon, since);
  bool firstPass = true;
  FollowPasses(copy, since, WholeSecond(now), options_.audioMode, slots,
               [&](FileTime, const PassDecision& pass) {
                 // The first pass is the one that ran at from.
                 if (!std::exchange(firstPass, false) && !pass.StopsEngine()) {
                   for (const OpenedLine& opened : pass.opened) {
                     if (opened.values.endTime > now) continue;  // this pass starts it
                     HistoryEvent missed = EntryEvent(HistoryKind::kMissed, now,
                                                      opened.values.timeName,
                                                      opened.values.startTime);
                     missed.cause = why;
                     Record(std::move(missed));
                   }
                 }
                 return !pass.StopsEngine();
               });
}

void Engine::ApplyPower(uint32_t generation, FileTime now, bool resumed) {
  std::lock_guard<std::mutex> lock(powerMutex_);
  // A stop has released everything, or is about to.
  if (Stopped(generation)) return;
  if (resumed) {
    if (armedFor_ && now + kTicksPerSecond * 5 >= WakeTimeFor(armedFor_->start) &&
        now <= armedFor_->recording.end) {
      Record(EntryEvent(HistoryKind::kWoken, now, armedFor_->recording.name, armedFor_->start));
    }
    applier_->Forget();
  }
  PowerInputs inputs{now, true, next_, {}, options_.audioMode};
  {
    std::lock_guard<std::mutex> owed(stopsMutex_);
    for (const auto& [end, name] : stopsOwed_) inputs.open.push_back({name, end});
  }
  const PowerApplied applied = applier_->Apply(PlanPower(inputs));
  if (applied.armed) {
    auto armed = *applied.armed == WakeResult::kFailed ? std::nullopt : next_;
    // Armed again after a resume for the same start, or for one whose lead
    // has begun (the timer goes off at once): nothing to tell.
    if (armed && WakeTimeFor(armed->start) > now &&
        (!armedFor_ || armedFor_->start != armed->start ||
         armedFor_->recording.name != armed->recording.name)) {
      Record(EntryEvent(HistoryKind::kWakeArmed, now, armed->recording.name, armed->start));
    }
    armedFor_ = std::move(armed);
  }
  auto tell = [&](HistoryCause what, const std::string& text) {
    HistoryEvent unavailable = NewHistoryEvent(HistoryKind::kPowerUnavailable, now);
    unavailable.cause = what;
    unavailable.text = text;
    Record(std::move(unavailable));
    ui_.Notice(text);
  };
  if (applied.notice) tell(HistoryCause::kWake, *applied.notice);
  if (applied.held == AwakeResult::kFailed && !std::exchange(keepAwakeTold_, true)) {
    tell(HistoryCause::kKeepAwake, kKeepAwakeFailedNotice);
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

bool Engine::StartRequest(const std::shared_ptr<ScheduleEntry>& entry, int32_t request,
                          FileTime due) {
  entry->task.store(request);
  // The request travels with the task, so a quick stop cannot replace a start not yet taken.
  const bool started = system_.StartThread([this, entry, request, due] {
    const RequestOutcome outcome = recorder_.ControlRecorder(entry, request);
    const FileTime sent = LocalNow(system_);
    if (request == kTaskStop) StopSettled(entry->endTime, entry->timeName);
    const bool tell = request == kTaskStart && outcome == RequestOutcome::kNoRecorder;
    RecordRequest(*entry, request, outcome, due, sent, tell ? kNoRecorderMessage : "");
    // Told after the history holds it: nobody may be there to answer.
    if (tell) host_.SchedulerMessage(kNoRecorderMessage, kMessageOk);
  });
  if (!started) {
    RecordRequest(*entry, request, RequestOutcome::kNoRecorder, due, due, kCannotSetUpMessage);
  }
  return started;
}

void Engine::RecordRequest(const ScheduleEntry& entry, int32_t request, RequestOutcome outcome,
                           FileTime due, FileTime sent, const std::string& told) {
  const bool start = request == kTaskStart;
  HistoryEvent event;
  switch (outcome) {
    case RequestOutcome::kNotAsked:
      return;  // its failure is in the history already
    case RequestOutcome::kSent:
      event = EntryEvent(start ? HistoryKind::kStartSent : HistoryKind::kStopSent, due,
                         entry.timeName, entry.startTime);
      if (start) event.seconds = WindowSeconds(entry);
      event.ms = static_cast<uint32_t>(sent > due ? (sent - due) / kTicksPerMs : 0);
      break;
    case RequestOutcome::kNoRecorder:
      event = EntryEvent(HistoryKind::kNotSent, due, entry.timeName, entry.startTime);
      event.cause = start ? HistoryCause::kStartRequest : HistoryCause::kStopRequest;
      event.text = told;
      break;
  }
  Record(std::move(event));
}

void Engine::WaitForStopsDueBy(FileTime now) {
  std::unique_lock<std::mutex> lock(stopsMutex_);
  stopsSettled_.wait_for(lock, kStopFirstLimit,
                         [&] { return stopsOwed_.empty() || stopsOwed_.begin()->first > now; });
}

void Engine::StopOwed(FileTime end, const std::string& name) {
  std::lock_guard<std::mutex> lock(stopsMutex_);
  stopsOwed_.emplace(end, name);
}

void Engine::StopSettled(FileTime end, const std::string& name) {
  {
    std::lock_guard<std::mutex> lock(stopsMutex_);
    const auto [first, last] = stopsOwed_.equal_range(end);
    const auto owed = std::find_if(first, last, [&](const auto& o) { return o.second == name; });
    if (owed != last) stopsOwed_.erase(owed);
  }
  stopsSettled_.notify_all();
}

void Engine::Timer(uint32_t generation, std::shared_ptr<ScheduleEntry> entry) {
  std::unique_ptr<Waiter> waiter = system_.NewWaiter();
  ui_.FillFromEntry(*entry);
  bool started = false;
  // From its pass on, the entry owes a stop until it is sent or will never be.
  auto settle = [&] { StopSettled(entry->endTime, entry->timeName); };
  for (;;) {
    if (Stopped(generation) || entry->failed.load() != 0) {
      settle();
      return;
    }
    const FileTime now = LocalNow(system_);
    if (!started) {
      // A window that closed before this Timer could see it open is over.
      if (now >= entry->endTime) {
        settle();
        return;
      }
      if (now >= entry->startTime) {
        WaitForStopsDueBy(now);
        started = true;
        if (!StartRequest(entry, kTaskStart, WholeSecond(now))) {
          settle();
          CannotSetUp(generation);
          return;
        }
      }
    }
    if (started && now >= entry->endTime) {
      if (!StartRequest(entry, kTaskStop, WholeSecond(now))) {
        settle();
        CannotSetUp(generation);
      }
      return;
    }
    waiter->Wait();
  }
}

}  // namespace ormidal
