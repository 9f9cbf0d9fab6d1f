#include "schedule_file.h"

#include "text.h"

namespace ormidal {
namespace {

constexpr std::size_t npos = std::string_view::npos;

std::string FolderFile(std::string_view folder, const char* name) {
  return fw::Clip(folder, kScheduleFolderLimit) + "\\" + name;
}

std::string Field(std::string_view line, std::size_t from, std::size_t to) {
  return fw::Clip(line.substr(from, to - from), kFieldLimit);
}

}  // namespace

std::string SchedulePath(std::string_view folder) { return FolderFile(folder, "schedule.log"); }
std::string TemporaryPath(std::string_view folder) { return FolderFile(folder, "s1.txt"); }
std::string SettingsPath(std::string_view folder) { return FolderFile(folder, "settings.ini"); }

Extraction ExtractEntryLine(std::string_view line, EntryFields& f, OutOfOrder outOfOrder) {
  f = EntryFields{};
  Extraction result;
  const std::size_t url = line.find(kUrlSeparator);
  const std::size_t start = line.find(kStartSeparator);
  const std::size_t end = line.find(kEndSeparator);
  const std::size_t repeat = line.find(kRepeatSeparator);
  const std::size_t prog = line.find(kProgSeparator);
  const std::size_t wnd = line.find(kWndSeparator);
  bool damaged = false;

  // The text between separator a (found at pos) and the first b after it.
  auto between = [&](std::size_t pos, std::string_view a, std::string_view b, std::string& out) {
    const std::size_t from = pos + a.size();
    const std::size_t to = line.find(b, from);
    if (to == npos) {
      damaged = true;
      return;
    }
    out = Field(line, from, to);
  };

  if (url != npos) f.timeName = Field(line, 0, url);
  if (url != npos && start != npos) between(url, kUrlSeparator, kStartSeparator, f.timeUrl);
  if (start != npos && end != npos) between(start, kStartSeparator, kEndSeparator, f.timeStart);
  if (end != npos && repeat != npos) between(end, kEndSeparator, kRepeatSeparator, f.timeEnd);
  if (repeat != npos && prog != npos) {
    const std::size_t from = repeat + kRepeatSeparator.size();
    const std::size_t to = line.find(kProgSeparator, from);
    if (to == npos) {
      result.readError = true;
    } else {
      f.timeDay = Field(line, from, to);
    }
  }
  if (prog == npos || wnd == npos) return result;
  between(prog, kProgSeparator, kWndSeparator, f.timeProg);
  std::string_view rest = line.substr(wnd + kWndSeparator.size());
  rest = rest.substr(0, rest.find('\r'));
  f.timePos = fw::Clip(rest, kFieldLimit);

  if (damaged && outOfOrder == OutOfOrder::kSkipLine) return result;
  result.kind = LineKind::kEntry;
  return result;
}

bool LineReader::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  const std::size_t lf = text_.find('\n', pos_);
  const std::size_t end = lf == npos ? text_.size() : lf;
  line = text_.substr(pos_, end - pos_);
  pos_ = lf == npos ? text_.size() : lf + 1;
  return true;
}

LoadResult LoadScheduleFile(const std::string& path, std::string& copy, FileSystem& files,
                            SchedulerHost& host) {
  std::string contents;
  if (files.ReadOrCreate(path, contents) == FileSystem::Open::kFailed) {
    host.SchedulerMessage(
        "Cannot open scheduler file. Please open the scheduler from the recording program. "
        "Cannot continue.",
        kMessageOk);
    host.EndProcess(HistoryCause::kCannotOpenSchedule);
    return LoadResult::kEnded;
  }
  if (TooShortToSchedule(contents)) {
    host.SchedulerMessage(kNoRecordingsMessage, kMessageOk);
    return LoadResult::kTooShort;
  }
  copy = std::move(contents);
  return LoadResult::kLoaded;
}

}  // namespace ormidal
