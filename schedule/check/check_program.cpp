// The command line of ormidal-check.
#include "history_check.h"
#include "schedule_check.h"

namespace ormidal {
namespace {

constexpr char kUsage[] =
    "usage: ormidal-check [--now \"Dec 08,2026 07:00:00 PM\"] [--days N] [--audio] [--json] "
    "[--history [N] | --since TIME] SCHEDULE_FILE\n";

bool ReadDays(const std::string& text, int& days) {
  if (text.empty() || text.size() > 3 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  days = std::stoi(text);
  return days >= 1 && days <= kCheckDaysLimit;
}

bool IsCount(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

int RunCheckProgram(const std::vector<std::string>& args, FileSystem& files,
                    const std::function<CalendarRecord()>& localNow,
                    const std::function<PowerFacts()>& powerFacts, const ToUtf8& toUtf8,
                    std::string& out, std::string& err, bool* outUtf8,
                    const ClockChangesReader& clockChanges,
                    const SchedulerLookup& schedulerRunning) {
  auto fail = [&](const std::string& message) {
    err += "ormidal-check: " + message + "\n" + kUsage;
    return 2;
  };
  CheckOptions options;
  bool json = false;
  bool nowGiven = false;
  bool daysGiven = false;
  HistoryQuery query;
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      out += kUsage;
      return 0;
    } else if (arg == "--audio") {
      options.audioMode = true;
    } else if (arg == "--json") {
      json = true;
      if (outUtf8 != nullptr) *outUtf8 = true;
    } else if (arg == "--now") {
      const FileTime now = hasValue ? GetFileTime(args[++i]) : 0;
      if (now == 0 || !FileTimeToRecord(now, options.now)) {
        return fail("--now needs a date and time such as \"Dec 08,2026 07:00:00 PM\"");
      }
      nowGiven = true;
    } else if (arg == "--days") {
      if (!hasValue || !ReadDays(args[++i], options.days)) {
        return fail("--days needs a whole number from 1 to " + std::to_string(kCheckDaysLimit));
      }
      daysGiven = true;
    } else if (arg == "--history") {
      query.last = kHistoryEventsShown;
      if (hasValue && IsCount(args[i + 1])) {
        const std::string& count = args[++i];
        query.last = count.size() <= 5 ? std::stoul(count) : 0;
        if (*query.last == 0) {
          return fail("--history takes a count from 1 to " + std::to_string(kHistoryEventsLimit));
        }
      }
    } else if (arg == "--since") {
      query.since = hasValue ? GetFileTime(args[++i]) : 0;
      if (*query.since == 0) {
        return fail("--since needs a date and time such as \"Dec 08,2026 07:00:00 PM\"");
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return fail("unknown option \"" + arg + "\"");
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.size() != 1) return fail("name one schedule file");
  if (query.last && query.since) return fail("--history and --since do not go together");
  if (query.since && daysGiven) return fail("--since runs up to now and takes no --days");
  if (query.last || query.since) {
    if (!nowGiven) options.now = localNow();
    query.schedulePath = paths[0];
    query.options = options;
    query.json = json;
    query.toUtf8 = toUtf8;
    std::string error;
    const int code = RunHistoryQuery(query, files, out, error);
    return code == 2 ? fail(error) : code;
  }
  std::string contents;
  if (!files.Read(paths[0], contents)) return fail("cannot read \"" + paths[0] + "\"");
  if (!nowGiven) options.now = localNow();
  options.power = powerFacts();
  if (clockChanges) {
    CalendarRecord last;
    FileTime first = 0;
    RecordToFileTime(options.now, first);
    if (FileTimeToRecord(first + static_cast<FileTime>(options.days) * 86400 * kTicksPerSecond,
                         last)) {
      options.clockChanges = clockChanges(options.now.year, last.year);
    }
  }
  if (schedulerRunning) options.schedulerRunning = schedulerRunning(paths[0]);
  const CheckReport report = RunScheduleCheck(contents, options);
  out += json ? CheckReportJson(report, toUtf8) : CheckReportText(report);
  return report.problems.empty() ? 0 : 1;
}

}  // namespace ormidal
