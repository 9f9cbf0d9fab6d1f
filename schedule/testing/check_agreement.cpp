#include "check_agreement.h"

#include <algorithm>
#include <mutex>
#include <tuple>
#include <vector>

#include "calendar.h"
#include "engine_test_support.h"
#include "schedule_check.h"

namespace ormidal {
namespace {

constexpr FileTime kSecond = kTicksPerSecond;
constexpr FileTime kDay = 86400 * kSecond;
constexpr char kPath[] = "C:\\Settings\\schedule.log";

class Choices {
 public:
  explicit Choices(std::string_view bytes) : bytes_(bytes) {}
  unsigned Next(unsigned range) {
    const unsigned byte = at_ < bytes_.size() ? static_cast<unsigned char>(bytes_[at_++]) : 0;
    return byte % range;
  }
  unsigned Wide(unsigned range) { return (Next(256) << 8 | Next(256)) % range; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

std::string RepeatText(Choices& c) {
  switch (c.Next(6)) {
    case 0:
      return "Once";
    case 1:
      return "Daily";
    case 2:
      return "";
    case 3:
      return "Sun Daily";
    case 4:
      return "every day";  // no keyword: once
  }
  std::string days;
  const unsigned mask = 1 + c.Next(127);
  for (unsigned d = 0; d < 7; ++d) {
    if (mask & (1u << d)) days.append(days.empty() ? "" : " ").append(kDayNames[d]);
  }
  return days;
}

std::string EntryLine(Choices& c, FileTime present, int seconds) {
  const std::string name = "Show" + std::to_string(c.Next(6));
  FileTime start = present;
  switch (c.Next(4)) {
    case 1:
      start = (present / kDay + 1) * kDay;
      break;  // the next midnight
    case 2:
      start = present - kDay * (1 + c.Next(14));
      break;  // written days ago
    case 3:
      start = present + c.Wide(static_cast<unsigned>(seconds)) * kSecond;
      break;
  }
  start = start + c.Next(21) * kSecond - 10 * kSecond;
  FileTime end = start;
  switch (c.Next(6)) {
    case 0:
      end += (1 + c.Next(10)) * kSecond;
      break;
    case 1:
      end += 60 * (1 + c.Next(240)) * kSecond;
      break;
    case 2:
      break;  // no length at all
    case 3:
      end -= 60 * (1 + c.Next(10)) * kSecond;
      break;
    case 4:
      end += kDay + c.Next(3600) * kSecond;
      break;
    case 5:
      end += (1800 + 3600 * c.Next(3)) * kSecond;
      break;
  }
  std::string startText = FileTimeToText(start);
  std::string endText = FileTimeToText(end);
  const std::string repeat = RepeatText(c);
  const unsigned position = c.Next(16);
  const std::string pos = position == 0 ? "0,0,0,0" : position == 1 ? "" : "100,100,600,500";
  const std::string url = " URL: http://tv/" + name;
  switch (c.Next(32)) {
    case 0:
      startText.replace(0, 3, "Jxn");
      break;
    case 1:
      endText = "Feb 30,2026 10:00:00 PM";
      break;
    case 2:
      return name + " START: " + startText + url + " END: " + endText + " REPEAT: " + repeat +
             " PROG: Player WND: " + pos;
    case 3:
      return name + url + " START: " + startText + " END: " + endText + " REPEAT: " + repeat +
             " PROG: Player";
    case 4:
      return name + url + " START: " + startText + " END: " + endText +
             " PROG: Player REPEAT: " + repeat + " WND: " + pos;
  }
  return name + url + " START: " + startText + " END: " + endText + " REPEAT: " + repeat +
         " PROG: Player WND: " + pos;
}

struct Sent {
  FileTime at;
  int32_t request;
  std::string name;
  FileTime start, end;
  bool operator<(const Sent& o) const {
    return std::tie(at, request, name, start, end) <
           std::tie(o.at, o.request, o.name, o.start, o.end);
  }
  bool operator==(const Sent& o) const {
    return std::tie(at, request, name, start, end) ==
           std::tie(o.at, o.request, o.name, o.start, o.end);
  }
};

std::string Describe(const Sent& s) {
  return std::string(s.request == kTaskStart ? "start " : "stop ") + s.name + " at " +
         FileTimeToText(s.at) + " for " + FileTimeToText(s.start) + " to " + FileTimeToText(s.end);
}

class SentRecorder final : public RecorderLink {
 public:
  explicit SentRecorder(SimulatedSystem& sim) : sim_(sim) {}
  RequestOutcome ControlRecorder(const std::shared_ptr<ScheduleEntry>& entry,
                                 int32_t request) override {
    entry->task.store(0);
    std::lock_guard<std::mutex> lock(mutex_);
    sent.push_back({sim_.Now(), request, entry->timeName, entry->startTime, entry->endTime});
    return RequestOutcome::kSent;
  }
  std::vector<Sent> sent;

 private:
  SimulatedSystem& sim_;
  std::mutex mutex_;
};

}  // namespace

AgreementCase GenerateCase(std::string_view choices, int seconds) {
  Choices c(choices);
  AgreementCase result;
  result.seconds = seconds;
  FileTime present = PointOf(Calendar(2026, 1, static_cast<int>(4 + c.Next(7))));
  // A run shorter than a day still crosses a midnight.
  present = seconds < 86400
                ? present + kDay - (1 + c.Wide(static_cast<unsigned>(seconds))) * kSecond
                : present + c.Wide(86400) * kSecond;
  FileTimeToRecord(present, result.now);
  result.audioMode = c.Next(8) == 0;
  if (c.Next(16) == 0) {
    // Lines past the 200th are never read.
    for (unsigned i = 0; i < 190 + c.Next(20); ++i) result.schedule += "-\r\n";
  }
  const unsigned lines = 1 + c.Next(8);
  for (unsigned i = 0; i < lines; ++i) {
    if (c.Next(16) == 0) result.schedule += "\r\n";
    result.schedule += EntryLine(c, present, seconds);
    const bool last = i + 1 == lines;
    if (!last || c.Next(8) != 0) result.schedule += c.Next(8) == 0 ? "\n" : "\r\n";
  }
  return result;
}

std::string CompareWithEngine(const AgreementCase& agreementCase, std::size_t* requests) {
  SimulatedSystem sim(agreementCase.now);
  CheckOptions options;
  options.now = sim.LocalTime();  // as the engine's first pass reads it
  options.days = (agreementCase.seconds + 86399) / 86400;
  options.audioMode = agreementCase.audioMode;
  const CheckReport report = RunScheduleCheck(agreementCase.schedule, options);
  const FileTime limit = report.from + static_cast<FileTime>(agreementCase.seconds) * kSecond;

  std::vector<Sent> predicted;
  for (const CheckedLine& line : report.lines) {
    for (const PredictedStart& s : line.starts) {
      if (s.request >= limit) continue;
      predicted.push_back({s.request, kTaskStart, line.name, s.start, s.end});
      // The second at which the engine stops may or may not see a stop request go out.
      if (s.end < limit && (!report.stopped || s.end < *report.stopped)) {
        predicted.push_back({s.end, kTaskStop, line.name, s.start, s.end});
      }
    }
  }

  MapFiles files;
  files.files[kPath] = agreementCase.schedule;
  FakeHost host;
  RecordingUi ui;
  SentRecorder recorder(sim);
  Options engineOptions;
  engineOptions.audioMode = agreementCase.audioMode;
  std::string differences;
  {
    Engine engine(sim, host, files, ui, recorder, engineOptions);
    engine.EnableScheduler(kPath);
    const bool ran = sim.Settle() && sim.Advance(agreementCase.seconds - 1);
    engine.DisableScheduler();
    if (!ran || !sim.Advance(1) || sim.ThreadsRunning() != 0) differences += "the engine hung\n";
  }
  std::vector<Sent> sent;
  for (const Sent& s : recorder.sent) {
    if (s.request == kTaskStart || !report.stopped || s.at != *report.stopped) sent.push_back(s);
  }
  if (requests != nullptr) *requests = recorder.sent.size();
  std::sort(predicted.begin(), predicted.end());
  std::sort(sent.begin(), sent.end());
  std::vector<Sent> onlyPredicted;
  std::vector<Sent> onlySent;
  std::set_difference(predicted.begin(), predicted.end(), sent.begin(), sent.end(),
                      std::back_inserter(onlyPredicted));
  std::set_difference(sent.begin(), sent.end(), predicted.begin(), predicted.end(),
                      std::back_inserter(onlySent));
  for (const Sent& s : onlyPredicted) differences += "predicted, not sent: " + Describe(s) + "\n";
  for (const Sent& s : onlySent) differences += "sent, not predicted: " + Describe(s) + "\n";
  const bool stopsLater = report.stopped && *report.stopped >= limit;
  const std::vector<std::string> messages =
      stopsLater ? std::vector<std::string>() : report.messages;
  if (host.Messages() != messages) {
    differences += "the engine showed " + std::to_string(host.Messages().size()) +
                   " messages, the check predicted " + std::to_string(messages.size()) + "\n";
  }
  return differences;
}

}  // namespace ormidal
