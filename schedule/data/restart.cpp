#include "restart.h"

#include <vector>

#include "text.h"

namespace ormidal {
namespace {

bool Marked(std::wstring_view text) {
  return !text.empty() && (text[0] == L'-' || text[0] == L'/');
}

class WideParameters final : public fw::CommandLineInfo<wchar_t> {
 public:
  void CollectParameter(const std::wstring& text, bool flag, bool) override {
    if (entries.size() < kParameterSlots) entries.push_back({fw::Clip(text, kArgumentLimit), flag});
  }
  struct Entry {
    std::wstring text;
    bool flag = false;
  };
  std::vector<Entry> entries;
};

std::wstring Wide(const char* ascii) { return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii)); }

HistoryEvent NotStarted(FileTime now, std::string why) {
  HistoryEvent event = NewHistoryEvent(HistoryKind::kNotSent, now);
  event.cause = HistoryCause::kStartRecorder;
  event.text = std::move(why);
  return event;
}

}  // namespace

std::wstring CommandLineArgument(std::wstring_view text) {
  // The walk takes one leading mark off a flag: a second one keeps the first.
  const std::wstring arg = Marked(text) ? L"-" + std::wstring(text) : std::wstring(text);
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  for (std::size_t i = 0;; ++i) {
    std::size_t slashes = 0;
    for (; i < arg.size() && arg[i] == L'\\'; ++i) ++slashes;
    if (i == arg.size()) {
      quoted.append(2 * slashes, L'\\');  // before the closing quote
      break;
    }
    if (arg[i] == L'"') {
      quoted.append(2 * slashes + 1, L'\\');
    } else {
      quoted.append(slashes, L'\\');
    }
    quoted += arg[i];
  }
  return quoted + L"\"";
}

RestartCommandLine MakeRestartCommandLine(const Options& o, std::wstring_view recorderPath,
                                          const WidenText& widen) {
  std::wstring line = L"/w " + CommandLineArgument(widen(o.windowName)) + L" /dir " +
                      CommandLineArgument(widen(o.settingsFolder));
  if (o.protocol != 0) line += L" /fmt " + CommandLineArgument(std::to_wstring(o.protocol));
  if (o.browserLaunch != 0) line += L" /skb " + CommandLineArgument(std::to_wstring(o.browserLaunch));
  if (o.minimizeAtStart) line += L" /min";
  line += L" /" + Wide(kRestartOption);
  auto fits = [](const std::wstring& text) { return text.size() < kRestartCommandLineLimit; };
  if (!recorderPath.empty()) {
    const std::wstring withPath = line + L" " + CommandLineArgument(recorderPath);
    if (fits(withPath)) return {withPath, false};
  }
  return {fits(line) ? line : std::wstring(), !recorderPath.empty()};
}

std::optional<std::wstring> RestartOptionOf(std::wstring_view commandLine) {
  WideParameters parameters;
  fw::WalkCommandLine<wchar_t>(commandLine, parameters);
  const auto& e = parameters.entries;
  std::optional<std::wstring> path;
  for (std::size_t i = 0; i < e.size(); ++i) {
    if (e[i].flag && e[i].text == Wide(kRestartOption)) {
      path = i + 1 < e.size() ? e[i + 1].text : std::wstring();
    }
  }
  return path;
}

std::optional<std::string> RecorderWindowTitle(const std::string& windowName,
                                               const std::function<bool(const char*)>& windowExists) {
  if (!windowName.empty()) {
    if (windowExists(windowName.c_str())) return windowName;
    return std::nullopt;
  }
  for (const char* title : kRecordingProgramTitles) {
    if (windowExists(title)) return title;
  }
  return std::nullopt;
}

std::optional<HistoryEvent> BringBackRecorder(const std::optional<std::wstring>& restartPath,
                                              RecorderStarter& recorder, FileTime now,
                                              const NarrowText& narrow) {
  if (!restartPath || recorder.WindowOpen()) return std::nullopt;
  if (restartPath->empty()) {
    return NotStarted(now, "the restart command line names no recording program");
  }
  const std::string path = narrow(*restartPath);
  const std::chrono::milliseconds began = recorder.SinceStart();
  const std::string failed = recorder.Start(*restartPath);
  if (!failed.empty()) return NotStarted(now, "cannot start " + path + ": " + failed);
  for (;;) {
    const std::chrono::milliseconds waited = recorder.SinceStart() - began;
    if (recorder.WindowOpen()) {
      HistoryEvent started = NewHistoryEvent(HistoryKind::kRecorderStarted, now);
      started.ms = static_cast<uint32_t>(waited.count());
      started.text = path;
      return started;
    }
    if (waited >= kRecorderWindowBound) {
      return NotStarted(now, path + " started, but its window did not appear within " +
                                 std::to_string(kRecorderWindowBound.count() / 1000) + " s");
    }
    recorder.Wait(kRecorderWindowPoll);
  }
}

std::optional<FileTime> NextStartLeft(FileTime now, std::optional<FileTime> nextStart) {
  if (!nextStart || *nextStart < now || *nextStart - now > kNextStartToldWithin) return std::nullopt;
  return nextStart;
}

std::optional<FileTime> LastHistoryTime(std::string_view history, std::string_view older) {
  for (const std::string_view contents : {history, older}) {
    const HistoryContents read = ReadHistory(contents);
    if (!read.events.empty()) return read.events.back().time;
  }
  return std::nullopt;
}

}  // namespace ormidal
