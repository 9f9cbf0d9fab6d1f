#include "options.h"

#include <algorithm>

#include "text.h"

namespace ormidal {

void CmdLineInfo::CollectParameter(const std::string& text, bool flag, bool last) {
  if (parameterTable.entries.size() < kParameterSlots) {
    parameterTable.entries.push_back({fw::Clip(text, kArgumentLimit), flag, last});
  }
  ++parameterTable.count;
}

void InterpretParameters(const ParameterTable& table, Options& o, EntryFields& current) {
  const auto& e = table.entries;
  for (std::size_t i = 0; i < e.size(); ++i) {
    if (!e[i].flag) continue;
    const std::string& name = e[i].text;
    // Whatever follows is the value, even another flag, which is then also
    // examined in its own turn.
    const std::string value = i + 1 < e.size() ? e[i + 1].text : std::string();
    if (name == "w") {
      o.windowName = fw::Clip(value, kWindowNameLimit);
    } else if (name == "file") {
      current.timeName = fw::Clip(value, kFieldLimit);
    } else if (name == "url") {
      current.timeUrl = fw::Clip(value, kFieldLimit);
    } else if (name == "pos") {
      current.timePos = fw::Clip(value, kFieldLimit);
    } else if (name == "min") {
      o.minimizeAtStart = true;
    } else if (name == "fmt") {
      o.protocol = fw::ReadDecimal(value);
    } else if (name == "dur") {
      o.durationText = fw::Clip(value, kDurationTextLimit);
    } else if (name == "dir") {
      o.settingsFolder = fw::Clip(value, kSettingsFolderLimit);
    } else if (name == "skb") {
      o.browserLaunch = fw::ReadDecimal(value);
    }
  }
  if (fw::Contains(o.windowName, "Sonvee")) o.audioMode = true;
}

std::string ModuleFolderFromPath(std::string_view path) {
  return fw::Clip(fw::FolderOfPath(path.substr(0, kModulePathLimit)), kModuleFolderLimit);
}

bool AnyRecordingProgramOpen(const std::function<bool(const char*)>& windowExists) {
  for (const char* title : kRecordingProgramTitles) {
    if (windowExists(title)) return true;
  }
  return false;
}

bool LoadSettings(Options& o, FileSystem& files, SchedulerHost& host) {
  if (o.audioMode) return true;
  o.protocol = 0;
  o.maxFileTime = 0;
  std::string contents;
  if (!files.Read(SettingsPath(o.settingsFolder), contents)) {
    host.SchedulerMessage("Cannot read settings", kMessageOk);
    return false;
  }
  // Read as a text stream reads it: CR LF is one line break, and a line is
  // taken in pieces of at most 999 characters, of which only one that
  // reaches the line break counts.
  std::string text;
  text.reserve(contents.size());
  for (std::size_t i = 0; i < contents.size(); ++i) {
    if (contents[i] == '\r' && i + 1 < contents.size() && contents[i + 1] == '\n') continue;
    text += contents[i];
  }
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t lf = text.find('\n', pos);
    const std::size_t pieceEnd = std::min(lf == std::string::npos ? text.size() : lf + 1,
                                          pos + kSettingsLineLimit);
    const std::string_view piece = std::string_view(text).substr(pos, pieceEnd - pos);
    pos = pieceEnd;
    if (piece.empty() || piece.back() != '\n') continue;
    const std::string_view line = piece.substr(0, piece.size() - 1);
    constexpr std::string_view kProtocol = "Protocol: ";
    constexpr std::string_view kMaxFileTime = "Max File Time: ";
    if (const std::size_t at = line.find(kProtocol); at != std::string_view::npos) {
      o.protocol = fw::ReadDecimal(line.substr(at + kProtocol.size()));
    } else if (const std::size_t at2 = line.find(kMaxFileTime); at2 != std::string_view::npos) {
      o.maxFileTime = fw::ReadDecimal(line.substr(at2 + kMaxFileTime.size()));
    }
  }
  o.maxFileTimeText = SecondsToDuration(static_cast<uint32_t>(o.maxFileTime));
  return true;
}

bool DurationMatchesSettings(const Options& o, std::string& durationBox, SchedulerHost& host) {
  if (o.protocol != 2 || o.maxFileTime <= 0) return true;
  if (fw::Clip(durationBox, kDurationTextLimit) == o.maxFileTimeText) return true;
  host.SchedulerMessage(
      "When DVD video format is used the recording duration must be the same as the recording "
      "time specified in " +
          o.windowName + " Settings.",
      kMessageOk);
  durationBox = o.maxFileTimeText;
  return false;
}

}  // namespace ormidal
