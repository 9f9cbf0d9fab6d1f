// The command line of ormidal-check.
#include "schedule_check.h"

namespace ormidal {
namespace {

constexpr char kUsage[] =
    "usage: ormidal-check [--now \"Dec 08,2026 07:00:00 PM\"] [--days N] [--audio] [--json] "
    "SCHEDULE_FILE\n";

bool ReadDays(const std::string& text, int& days) {
  if (text.empty() || text.size() > 3 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  days = std::stoi(text);
  return days >= 1 && days <= kCheckDaysLimit;
}

}  // namespace

int RunCheckProgram(const std::vector<std::string>& args, FileSystem& files,
                    const std::function<CalendarRecord()>& localNow, std::string& out,
                    std::string& err) {
  auto fail = [&](const std::string& message) {
    err += "ormidal-check: " + message + "\n" + kUsage;
    return 2;
  };
  CheckOptions options;
  bool json = false;
  bool nowGiven = false;
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
    } else if (arg.size() > 1 && arg[0] == '-') {
      return fail("unknown option \"" + arg + "\"");
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.size() != 1) return fail("name one schedule file");
  std::string contents;
  if (!files.Read(paths[0], contents)) return fail("cannot read \"" + paths[0] + "\"");
  if (!nowGiven) options.now = localNow();
  const CheckReport report = RunScheduleCheck(contents, options);
  out += json ? CheckReportJson(report) : CheckReportText(report);
  return report.problems.empty() ? 0 : 1;
}

}  // namespace ormidal
