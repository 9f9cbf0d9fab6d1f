// Start-up values of the scheduler: the command-line options, the recording
// program's settings file and the settings rule applied on Save Schedule.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "host.h"
#include "schedule_file.h"

namespace ormidal {

constexpr std::size_t kParameterSlots = 20;
constexpr std::size_t kArgumentLimit = 999;
constexpr std::size_t kWindowNameLimit = 255;
constexpr std::size_t kDurationTextLimit = 19;
constexpr std::size_t kSettingsFolderLimit = 999;
constexpr std::size_t kModuleFolderLimit = 255;
constexpr std::size_t kModulePathLimit = 259;
constexpr std::size_t kSettingsLineLimit = 999;

// Titles of the recording programs' main windows, in the order start-up looks for them.
constexpr std::array<const char*, 5> kRecordingProgramTitles = {"Lumora", "Vantor", "Pellux",
                                                                "Sonvee", "Tessaro"};

struct Options {
  std::string windowName;      // "w"
  std::string settingsFolder;  // "dir"
  std::string durationText;    // "dur"
  int32_t protocol = 0;        // "fmt", and the settings file; 2 is DVD video format
  int32_t browserLaunch = 0;   // "skb"
  bool minimizeAtStart = false;  // "min"
  bool audioMode = false;      // windowName contains "Sonvee"
  std::string moduleFolder;
  int32_t maxFileTime = 0;
  std::string maxFileTimeText;
};

struct ParameterTable {
  struct Entry {
    std::string text;
    bool flag = false;
    bool last = false;
  };
  std::vector<Entry> entries;  // at most kParameterSlots
  uint32_t count = 0;          // every argument seen, also those not stored
};

class CmdLineInfo final : public fw::CommandLineInfo<char> {
 public:
  void CollectParameter(const std::string& text, bool flag, bool last) override;
  ParameterTable parameterTable;
};

// Sets the options (and the File Name, URL and position the dialog opens
// with) from the stored arguments, then audioMode.
void InterpretParameters(const ParameterTable& table, Options& options, EntryFields& current);

// Drive and folder of the program's path, without a trailing backslash.
std::string ModuleFolderFromPath(std::string_view programPath);

// True when a window with one of the recording programs' titles exists.
bool AnyRecordingProgramOpen(const std::function<bool(const char* title)>& windowExists);

// Reads "Protocol: " and "Max File Time: " from settings.ini (not in audio
// mode). False, with "Cannot read settings" shown, when it cannot be opened.
bool LoadSettings(Options& options, FileSystem& files, SchedulerHost& host);

// The settings rule of a save in DVD video format: the duration must equal
// the recording program's maximum file time. When it does not, the user is
// told, durationBox takes that time and false stops the save.
bool DurationMatchesSettings(const Options& options, std::string& durationBox,
                             SchedulerHost& host);

}  // namespace ormidal
