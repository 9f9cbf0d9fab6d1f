// ormidal-check: tells, before the night, which recordings the scheduler will
// start from a schedule file, when, and which lines it never will.
#include <cstdio>
#include <string>
#include <vector>

#include "schedule_check.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string out;
  std::string err;
  const int code =
      ormidal::RunCheckProgram(args, ormidal::PortableFileSystem(), ormidal::LocalNow,
                               ormidal::ActiveWakeTimerPlan, out, err,
                               ormidal::SchedulerRunningFor);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return code;
}
