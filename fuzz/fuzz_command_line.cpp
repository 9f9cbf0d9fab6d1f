// The scheduler's command line: the walk, the stored parameters and the
// options read from them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "command_line.h"
#include "fuzz_check.h"
#include "options.h"
#include "restart.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace ormidal;
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const auto arguments = fw::SplitCommandLine<char>(line);
  CmdLineInfo info;
  fw::WalkCommandLine<char>(line, info);
  const ParameterTable& table = info.parameterTable;
  FUZZ_CHECK(table.entries.size() <= kParameterSlots);
  FUZZ_CHECK(table.count == (arguments.empty() ? 0 : arguments.size() - 1));
  FUZZ_CHECK(table.entries.size() == std::min<std::size_t>(table.count, kParameterSlots));
  for (std::size_t i = 0; i < table.entries.size(); ++i) {
    const auto& e = table.entries[i];
    FUZZ_CHECK(e.text.size() <= kArgumentLimit);
    FUZZ_CHECK(e.last == (i + 1 == table.count));
    // The flag mark is gone from the text, and the rest is the argument's.
    const std::string& argument = arguments[i + 1];
    if (e.flag) {
      FUZZ_CHECK(!argument.empty() && (argument[0] == '/' || argument[0] == '-'));
      FUZZ_CHECK(argument.compare(1, e.text.size(), e.text) == 0);
    } else {
      FUZZ_CHECK(argument.compare(0, e.text.size(), e.text) == 0);
    }
  }

  Options options;
  EntryFields current;
  InterpretParameters(table, options, current);
  FUZZ_CHECK(options.windowName.size() <= kWindowNameLimit);
  FUZZ_CHECK(options.durationText.size() <= kDurationTextLimit);
  FUZZ_CHECK(options.settingsFolder.size() <= kSettingsFolderLimit);
  FUZZ_CHECK(current.timeName.size() <= kFieldLimit);
  FUZZ_CHECK(current.timeUrl.size() <= kFieldLimit);
  FUZZ_CHECK(current.timePos.size() <= kFieldLimit);
  FUZZ_CHECK(options.audioMode == (options.windowName.find("Sonvee") != std::string::npos));
  // The paths made from the folder stay within the schedule path's buffer.
  FUZZ_CHECK(SchedulePath(options.settingsFolder).size() <= kScheduleFolderLimit + 13);
  FUZZ_CHECK(ModuleFolderFromPath(arguments.empty() ? std::string() : arguments[0]).size() <=
             kModuleFolderLimit);

  // The line Windows restarts the scheduler with reads back as these options.
  const auto widen = [](std::string_view text) { return std::wstring(text.begin(), text.end()); };
  const RestartCommandLine restart = MakeRestartCommandLine(options, L"C:\\P\\r.exe", widen);
  FUZZ_CHECK(restart.arguments.size() < kRestartCommandLineLimit);
  if (!restart.arguments.empty()) {
    std::string again = "Ormidal.exe ";
    for (const wchar_t c : restart.arguments) again += static_cast<char>(c);
    CmdLineInfo walked;
    fw::WalkCommandLine<char>(again, walked);
    Options read;
    EntryFields proposed;
    InterpretParameters(walked.parameterTable, read, proposed);
    FUZZ_CHECK(read.windowName == options.windowName);
    FUZZ_CHECK(read.settingsFolder == options.settingsFolder);
    FUZZ_CHECK(read.protocol == options.protocol && read.browserLaunch == options.browserLaunch);
    FUZZ_CHECK(read.minimizeAtStart == options.minimizeAtStart);
  }
  return 0;
}
