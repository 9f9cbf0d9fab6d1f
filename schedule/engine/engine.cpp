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
// Windows tells the windows of a resume a moment after the wake, when the
// engine's first pass may already have seen the jump: a jump waits this many
// passes for the notice before it counts as a change of the clock.
constexpr int kResumeNoticePasses = 30;
// The end waits no longer for a request that is being sent to a hung window.
constexpr auto kEndSendLimit = std::chrono::seconds(1);

FileTime WholeSecond(FileTime time) { return time - time % kTicksPerSecond; }

void CopySlots(const ActiveSlots& from, ActiveSlots& to) {
  for (std::size_t i = 0; i < kSlotCount; ++i) to.activeSlot[i].store(from.activeSlot[i].load());
  to.served = from.served;
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
// window has just opened, so the line is to be started. A window the line
// has served is not started again, however the clock moves, nor one that
// opens while the line's own recording before it runs: a line that recorded
// twice at once would have the first one's stop end the second. overlap gets
// that recording's end when the window opened before it.
bool ArmLine(LineValues& values, const CalendarRecord& now, ActiveSlots& slots, std::size_t i,
             std::optional<FileTime>* overlap = nullptr) {
  if (!WindowOpen(values, now)) {
    slots.activeSlot[i].store(0);
    return false;
  }
  const ServedWindow& served = slots.served[i];
  if (served.start == values.startTime && served.end == values.endTime) {
    slots.activeSlot[i].store(1);
    return false;
  }
  if (overlap != nullptr && values.startTime < served.end) *overlap = served.end;
  FileTime present = 0;
  RecordToFileTime(now, present);
  if (present < served.end) {
    slots.activeSlot[i].store(1);
    return false;
  }
  // Where nothing was served (the plain pass keeps no record), once per opening.
  return slots.activeSlot[i].exchange(1) == 0 || served.start != 0;
}

// A line whose window has just opened joins the decision; false when its
// position is refused, which stops the engine at once: the pass ends there.
bool Open(PassDecision& pass, std::size_t line, const LineValues& values, bool audioMode) {
  pass.opened.push_back({line, values});
  if (WindowPositionAccepted(values.timePos, audioMode)) return true;
  pass.refusedPosition = line;
  return false;
}

// A line's step within a pass's decision: a line it starts serves that window.
void Decide(PassDecision& pass, std::size_t line, LineValues& values, const CalendarRecord& now,
            ActiveSlots& slots, bool audioMode) {
  std::optional<FileTime> overlap;
  const bool start = ArmLine(values, now, slots, line, &overlap);
  if (overlap) pass.ownOverlaps.push_back({line, values.startTime, values.endTime, *overlap});
  if (!start) return;
  slots.served[line] = {values.startTime, values.endTime};
  Open(pass, line, values, audioMode);
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

std::optional<FileTime> NextPassChange(std::string_view copy, const CalendarRecord& now,
                                       const ActiveSlots& slots) {
  FileTime present = 0;
  if (!RecordToFileTime(now, present)) return std::nullopt;
  std::optional<FileTime> next;
  auto consider = [&](FileTime second) {
    if (second > present && (!next || second < *next)) next = second;
  };
  ForEachPassLine(copy, [] { return false; },
                  [&](std::size_t i, LineValues& values, const Extraction& x) {
                    if (x.kind != LineKind::kEntry) return;
                    if (const auto line = NextWindowChange(values, now)) consider(*line);
                    // A window that waits for the line's own recording starts at its end.
                    if (i < kSlotCount) consider(slots.served[i].end);
                  });
  return next;
}

bool ParseSchedules(std::string_view copy, const CalendarRecord& now, ActiveSlots& slots,
                    const std::function<bool()>& stop,
                    const std::function<void(std::size_t, LineValues&)>& startSchedule) {
  bool readError = false;
  ForEachPassLine(copy, stop, [&](std::size_t i, LineValues& values, const Extraction& x) {
    readError = readError || x.readError;
    if (x.kind == LineKind::kEntry && ArmLine(values, now, slots, i)) {
      startSchedule(i, values);
    }
  });
  return readError;
}

PassDecision DecidePass(std::string_view copy, const CalendarRecord& now, ActiveSlots& slots,
                        bool audioMode, const std::function<bool()>& stop) {
  PassDecision pass;
  ForEachPassLine(copy, [&] { return pass.refusedPosition.has_value() || stop(); },
                  [&](std::size_t i, LineValues& values, const Extraction& x) {
                    pass.readError = pass.readError || x.readError;
                    if (x.kind == LineKind::kEntry) Decide(pass, i, values, now, slots, audioMode);
                  });
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
      if (!pass.refusedPosition) Decide(pass, lines[k].line, lines[k].values, at, slots, audioMode);
    }
    if (!visit(second, pass) || pass.StopsEngine()) return;
    for (const std::size_t k : changing) {
      std::optional<FileTime> next = NextWindowChange(lines[k].values, at);
      // A window that waits for the line's own recording starts at its end.
      const FileTime busyUntil = slots.served[lines[k].line].end;
      if (busyUntil > second && (!next || busyUntil < *next)) next = busyUntil;
      if (next) due.push({*next, k});
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
  if (running_) {
    stoppedSince_ = LocalNow(system_);
    stoppedWhy_ = HistoryCause::kWhileDisabled;
  }
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
  if (ended_.load()) return;
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

void Engine::End() {
  ended_.store(true);
  {
    std::lock_guard<std::mutex> lock(passMutex_);
    StopLocked();
  }
  std::unique_lock<std::shared_timed_mutex> noneSending(sending_, std::defer_lock);
  if (noneSending.try_lock_for(kEndSendLimit)) noneSending.unlock();
}

void Engine::MissedSince(FileTime since, HistoryCause why) {
  std::lock_guard<std::mutex> lock(passMutex_);
  if (running_) return;
  stoppedSince_ = since;
  stoppedWhy_ = why;
}

std::optional<FileTime> Engine::NextStartRequest() {
  std::lock_guard<std::mutex> lock(powerMutex_);
  if (!next_) return std::nullopt;
  return next_->start;
}

void Engine::CheckSchedule(uint32_t generation, std::shared_ptr<const std::string> copy) {
  std::unique_ptr<Waiter> waiter = system_.NewWaiter();
  CalendarRecord last;  // the time of the pass before
  bool first = true;
  // Scratch for the predictions, which run outside the pass lock.
  auto gapSlots = std::make_unique<ActiveSlots>();
  auto nextSlots = std::make_unique<ActiveSlots>();
  // Windows missed over a jump of the clock that no resume notice has explained yet.
  std::vector<HistoryEvent> unexplained;
  int noticeWait = 0;
  auto tell = [&](std::vector<HistoryEvent>& missed, HistoryCause why) {
    for (HistoryEvent& event : missed) {
      event.cause = why;
      Record(std::move(event));
    }
    missed.clear();
  };
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
    const bool notice = resumed_.exchange(false);
    bool resumed = notice;
    {
      std::lock_guard<std::mutex> lock(passMutex_);
      if (Stopped(generation)) break;
      now = system_.LocalTime();
      RecordToFileTime(now, present);
      if (first) {
        // Windows that came and went while the scheduler was disabled.
        if (FileTimeToRecord(stoppedSince_, last)) gapFrom = last;
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
        sameUntil =
            NextPassChange(*copy, now, slots_).value_or(std::numeric_limits<FileTime>::max());
      }
      if (pass.readError) {
        flags_.readError.store(1);
        stopped = true;
        stoppedAt = StopLocked();
      }
      // Timers start only once the pass has decided that the engine goes on.
      for (const OpenedLine& opened : pass.opened) {
        if (Stopped(generation) || pass.StopsEngine()) break;
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
    if (pass.refusedPosition) {
      // The engine stops once the message is answered: until then the Timers
      // of running recordings send their stops when due, and nothing new starts.
      host_.SchedulerMessage(kPositionErrorMessage, kMessageOk);
      std::lock_guard<std::mutex> lock(passMutex_);
      if (flags_.generation.load() == generation) {
        stopped = true;
        stoppedAt = StopLocked();
      }
    }
    if (stopped) {
      const char* why = pass.refusedPosition ? kPositionErrorMessage
                        : pass.readError     ? kReadErrorMessage
                                             : kCannotSetUpMessage;
      AfterStop(true, HistoryCause::kByEngine, why);
      ShowStopped(stoppedAt);
    }
    if (pass.readError) {
      host_.SchedulerMessage(kReadErrorMessage, kMessageOk);
      flags_.readError.store(0);
    }
    if (cannotSetUp) ui_.PlainMessage(kCannotSetUpMessage);
    if (Stopped(generation)) break;
    // A resume notice explains a jump seen before it, or the one it comes with.
    if (notice) tell(unexplained, HistoryCause::kAsleep);
    if (gapFrom) {
      if (first) gapSlots->Clear();  // nothing ran while disabled
      std::vector<HistoryEvent> missed = Missed(*copy, *gapFrom, present, *gapSlots);
      if (first || notice) {
        tell(missed, first ? stoppedWhy_ : HistoryCause::kAsleep);
      } else if (!missed.empty()) {
        unexplained.insert(unexplained.end(), missed.begin(), missed.end());
        noticeWait = kResumeNoticePasses;
      }
    }
    if (!unexplained.empty() && noticeWait-- <= 0) tell(unexplained, HistoryCause::kClockChange);
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
  // Stopped before any notice came: the clock changed, unless the program ends.
  if (!ended_.load()) tell(unexplained, HistoryCause::kClockChange);
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

std::vector<HistoryEvent> Engine::Missed(std::string_view copy, const CalendarRecord& from,
                                         FileTime now, ActiveSlots& slots) const {
  std::vector<HistoryEvent> missed;
  FileTime start = 0;
  if (history_ == nullptr || !RecordToFileTime(from, start) || start >= now) return missed;
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
                     missed.push_back(EntryEvent(HistoryKind::kMissed, now,
                                                 opened.values.timeName,
                                                 opened.values.startTime));
                   }
                 }
                 return !pass.StopsEngine();
               });
  return missed;
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
  const PowerApplied applied = applier_->Apply(PlanPower(inputs), options_.audioMode);
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
  for (const std::string& notice : applied.notices) tell(HistoryCause::kWake, notice);
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

bool Engine::StartRequest(uint32_t generation, const std::shared_ptr<ScheduleEntry>& entry,
                          int32_t request, FileTime due) {
  entry->task.store(request);
  // The request travels with the task, so a quick stop cannot replace a start not yet taken.
  const bool started = system_.StartThread([this, generation, entry, request, due] {
    RequestOutcome outcome = RequestOutcome::kNotAsked;
    {
      // Asked and sent under the lock, so that no end falls between the two.
      std::shared_lock<std::shared_timed_mutex> sending(sending_);
      if (!ended_.load() && (request == kTaskStop || !Stopped(generation))) {
        outcome = recorder_.ControlRecorder(entry, request);
      } else {
        entry->task.store(0);
      }
    }
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
        // A disable may have come while it waited.
        if (Stopped(generation)) {
          settle();
          return;
        }
        started = true;
        if (!StartRequest(generation, entry, kTaskStart, WholeSecond(now))) {
          settle();
          CannotSetUp(generation);
          return;
        }
      }
    }
    if (started && now >= entry->endTime) {
      if (!StartRequest(generation, entry, kTaskStop, WholeSecond(now))) {
        settle();
        CannotSetUp(generation);
      }
      return;
    }
    waiter->Wait();
  }
}

}  // namespace ormidal
