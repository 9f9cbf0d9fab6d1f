#include "text_file_open.h"

#include "text.h"

namespace ormidal {
namespace {

constexpr std::size_t kQuotedPathLimit = 997;

}  // namespace

std::vector<ShellOpen> TextFileOpeners(std::string_view path, std::string_view windowsFolder) {
  // Quoted, so that a blank in the path does not split it.
  const std::string quoted = fw::Clip("\"" + std::string(path) + "\"", kQuotedPathLimit);
  std::vector<ShellOpen> openers{{"wordpad", quoted}};
  if (!windowsFolder.empty()) {
    std::string folder(windowsFolder);
    if (folder.back() != '\\') folder += '\\';
    openers.push_back({folder + "notepad.exe", quoted});
  }
  openers.push_back({std::string(path), ""});
  return openers;
}

void OpenTextFile(std::string_view path, std::string_view windowsFolder,
                  const std::function<bool(const ShellOpen&)>& open, SchedulerHost& host) {
  for (const ShellOpen& opener : TextFileOpeners(path, windowsFolder)) {
    if (open(opener)) return;
  }
  host.SchedulerMessage("Cannot open " + std::string(path) +
                            ": neither WordPad nor Notepad could be started, and Windows has no "
                            "program set to open this file.",
                        kMessageOk);
}

}  // namespace ormidal
