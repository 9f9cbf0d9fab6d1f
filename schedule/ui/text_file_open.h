// Opening a text file for the user (the schedule, the history). WordPad
// first, as always; Windows 11 has none from 24H2 on, so then Notepad, which
// every Windows has, then whatever the file's type is set to open with.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"

namespace ormidal {

// One ShellExecute "open": the program (or the file itself) and its parameters.
struct ShellOpen {
  std::string file;
  std::string parameters;
  bool operator==(const ShellOpen&) const = default;
};

// The ways to open the file at path, in the order they are tried; Notepad
// only when the Windows folder is known.
std::vector<ShellOpen> TextFileOpeners(std::string_view path, std::string_view windowsFolder);

// Tries each way until the shell starts one (open returns true); when none
// does, tells the user with the path.
void OpenTextFile(std::string_view path, std::string_view windowsFolder,
                  const std::function<bool(const ShellOpen&)>& open, SchedulerHost& host);

}  // namespace ormidal
