#include "timer_dlg_logic.h"

#include "text.h"

namespace ormidal {
namespace {

constexpr char kInvalidDuration[] = "Invalid timer duration (use hh:mm:ss)";
constexpr FileTime kTicksPerDay = 24 * 3600 * kTicksPerSecond;

// Whether a window of this length opens again, on its next day, before it
// has ended: a line would then overlap itself.
bool RepeatsBeforeItEnds(const RepeatChoice& repeat, FileTime length) {
  if (repeat.once) return false;
  if (repeat.daily) return length > kTicksPerDay;
  for (std::size_t day = 0; day < kWeekDays; ++day) {
    if (!repeat.days[day]) continue;
    std::size_t next = 1;
    while (next < kWeekDays && !repeat.days[(day + next) % kWeekDays]) ++next;
    if (length > next * kTicksPerDay) return true;
  }
  return false;
}

}  // namespace

std::string CheckDuration(std::string_view text, DurationParts& parts) {
  text = text.substr(0, kDurationBoxLimit);
  const std::size_t first = text.find(':');
  if (text.empty() || first == std::string_view::npos || text.size() != 8) return kInvalidDuration;
  const std::size_t second = text.find(':', first + 1);
  if (second == std::string_view::npos) return kInvalidDuration;
  parts.hours = fw::ReadDecimal(text);
  parts.minutes = fw::ReadDecimalAt(text, first + 1);
  if (parts.minutes > 59) return "Invalid number of minutes (mm <= 59)";
  parts.seconds = fw::ReadDecimalAt(text, second + 1);
  if (parts.seconds > 59) return "Invalid number of seconds (ss <= 59)";
  if (parts.hours == 0 && parts.minutes == 0 && parts.seconds == 0) return "Timer duration is zero!!";
  return {};
}

std::optional<ScheduleList> SaveEntry(DialogValues& values, Options& options, CurrentEntry& current,
                                      FileSystem& files, SchedulerHost& host) {
  EntryInput input;
  input.fileName = values.fileName;
  if (input.fileName.empty()) {
    host.SchedulerMessage("File name not specified", kMessageOk);
    return std::nullopt;
  }
  input.url = values.url;
  input.programName = values.programName;
  input.audioMode = options.audioMode;
  if (!options.audioMode) {
    if (values.windowPosition.empty() || !fw::Contains(values.windowPosition, ",")) {
      if (host.SchedulerMessage(kWindowPositionQuestion, kMessageYesNo) != kAnswerYes) {
        return std::nullopt;
      }
      values.windowPosition = kDefaultWindowPosition;
    }
    input.windowPosition = values.windowPosition;
  }
  input.repeat = values.repeat;
  input.start = values.date;
  input.start.hour = values.timeOfDay.hour;
  input.start.minute = values.timeOfDay.minute;
  input.start.second = values.timeOfDay.second;
  input.start.milliseconds = 0;

  DurationParts parts;
  const std::string durationProblem = CheckDuration(values.duration, parts);
  if (!durationProblem.empty()) {
    host.SchedulerMessage(durationProblem, kMessageOk);
    return std::nullopt;
  }
  input.hours = parts.hours;
  input.minutes = parts.minutes;
  input.seconds = parts.seconds;

  PendingSave pending;
  const ComposeResult composed = ComposeEntryLine(input, pending);
  current.startTime = composed.startTime;
  current.endTime = composed.endTime;
  if (composed.outcome != ComposeOutcome::kComposed) {
    host.SchedulerMessage(std::string(RefusalMessage(composed.outcome)), kMessageOk);
    return std::nullopt;
  }
  if (RepeatsBeforeItEnds(values.repeat, composed.endTime - composed.startTime)) {
    host.SchedulerMessage(kRepeatTooLongMessage, kMessageOk);
    return std::nullopt;
  }
  LoadSettings(options, files, host);
  if (!DurationMatchesSettings(options, values.duration, host)) return std::nullopt;
  EditOutcome stored = SaveEntryLine({options.settingsFolder, files}, pending);
  if (!stored.message.empty()) {
    host.SchedulerMessage(stored.message, kMessageOk);
    return std::nullopt;
  }
  return std::move(stored.rows);
}

std::string PositionBoxText(std::string_view url, std::string_view position) {
  if (fw::Contains(url, "|") && fw::Contains(url, ",")) return kClickRequired;
  return std::string(position);
}

RepeatChoice RepeatBoxesFromText(std::string_view timeDay) {
  RepeatChoice boxes;
  if (fw::Contains(timeDay, "Once")) {
    boxes.once = true;
  } else if (fw::Contains(timeDay, "Daily")) {
    boxes.daily = true;
  } else {
    for (std::size_t d = 0; d < kWeekDays; ++d) boxes.days[d] = fw::Contains(timeDay, kDayNames[d]);
  }
  return boxes;
}

void ApplyRepeatClick(RepeatChoice& boxes, RepeatBox clicked) {
  if (clicked != RepeatBox::kOnce) boxes.once = false;
  if (clicked != RepeatBox::kDaily) boxes.daily = false;
  if (clicked != RepeatBox::kDay) boxes.days = {};
}

}  // namespace ormidal
