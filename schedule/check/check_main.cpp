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
  bool outUtf8 = false;
  const int code = ormidal::RunCheckProgram(
      args, ormidal::PortableFileSystem(), ormidal::LocalNow, ormidal::ActivePowerFacts,
      ormidal::SystemTextToUtf8, out, err, &outUtf8, ormidal::LocalClockChanges,
      ormidal::SchedulerRunningFor);
  ormidal::WriteStandard(stdout, out, outUtf8);
  ormidal::WriteStandard(stderr, err, false);
  return code;
}
