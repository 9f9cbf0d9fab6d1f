#include "history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <map>

#include "history_writer.h"
#ifdef _WIN32
#include "history_win32.h"
#endif

namespace ormidal {
namespace {

FileTime At(const char* text) { return GetFileTime(text); }

HistoryEvent Event(HistoryKind kind, const char* when, HistoryCause cause = HistoryCause::kNone) {
  HistoryEvent e = NewHistoryEvent(kind, At(when));
  e.cause = cause;
  return e;
}

HistoryEvent Start(const std::string& name, const char* window, uint32_t ms = 12) {
  HistoryEvent e = NewHistoryEvent(HistoryKind::kStartSent, At(window) + ms * 10'000);
  e.name = name;
  e.window = At(window);
  e.seconds = 1800;
  return e;
}

HistoryEvent OfEntry(HistoryEvent e, const char* window, const std::string& text = {}) {
  e.name = "Late film";
  e.window = At(window);
  e.text = text;
  return e;
}

std::vector<HistoryEvent> OneOfEach() {
  const char* t = "Dec 08,2026 08:00:00 PM";
  const char* w = "Dec 08,2026 07:59:59 PM";
  HistoryEvent enabled = Event(HistoryKind::kEnabled, t);
  enabled.count = 7;
  HistoryEvent engine = Event(HistoryKind::kDisabled, t, HistoryCause::kByEngine);
  engine.text = "Error in window position. Cannot continue";
  HistoryEvent stop = OfEntry(NewHistoryEvent(HistoryKind::kStopSent, At(t) + 999 * 10'000), w);
  HistoryEvent power = Event(HistoryKind::kPowerUnavailable, t, HistoryCause::kKeepAwake);
  power.text = "The request is not supported.";
  HistoryEvent dropped = Event(HistoryKind::kDropped, t);
  dropped.count = 3;
  return {
      Event(HistoryKind::kStarted, t),
      Event(HistoryKind::kEnded, t, HistoryCause::kRecordingProgramGone),
      enabled,
      engine,
      Event(HistoryKind::kDisabled, t, HistoryCause::kByUser),
      Start("Evening news", t),
      stop,
      OfEntry(Event(HistoryKind::kNotSent, t, HistoryCause::kStartRequest), w,
              "No recording program is running. Recording canceled."),
      OfEntry(Event(HistoryKind::kMissed, t, HistoryCause::kAsleep), w),
      OfEntry(Event(HistoryKind::kWakeArmed, t), w),
      OfEntry(Event(HistoryKind::kWoken, t), w),
      power,
      dropped,
      Event(HistoryKind::kEnded, t, HistoryCause::kCannotOpenSchedule),
      Event(HistoryKind::kEnded, t, HistoryCause::kWindowsShutdown),
      Event(HistoryKind::kEnded, t, HistoryCause::kWindowsRestart),
      Event(HistoryKind::kEnded, t, HistoryCause::kWindowsLogoff),
  };
}

TEST(HistoryLine, EveryEventReadsBackAndNamesKeepEveryByte) {
  for (const HistoryEvent& e : OneOfEach()) {
    const std::string line = HistoryLine(e);
    EXPECT_EQ(ReadHistoryLine(line), e) << line;
  }
  // Separators, escapes and bytes of the system code page in a name.
  HistoryEvent e = Start("Caf\xe9\tnews\\live\r\n=1 \x01\x7f", "Dec 08,2026 08:00:00 PM");
  const std::string line = HistoryLine(e);
  EXPECT_EQ(line,
            "Dec 08,2026 08:00:00 PM\tstart-sent\tname=Caf\xe9\\tnews\\\\live\\r\\n=1 \\x01\\x7F"
            "\twindow=Dec 08,2026 08:00:00 PM\tseconds=1800\tms=12\r\n");
  EXPECT_EQ(ReadHistoryLine(line), e);
  EXPECT_EQ(HistoryLine(OneOfEach()[1]),
            "Dec 08,2026 08:00:00 PM\tended\twhy=recording-program-gone\r\n");
  // A start written before there was "how".
  EXPECT_EQ(ReadHistoryLine("Dec 08,2026 08:00:00 PM\tstarted"), OneOfEach()[0]);

  // Keys may come in any order, and unknown ones from a newer scheduler are passed over.
  EXPECT_EQ(ReadHistoryLine("Dec 08,2026 08:00:00 PM\tenabled\tfuture=x\tentries=7"),
            OneOfEach()[2]);
  const std::string good = "Dec 08,2026 08:00:00 PM\tstart-sent\tname=N\twindow=Dec 08,2026 "
                           "08:00:00 PM\tseconds=1800\tms=12";
  ASSERT_TRUE(ReadHistoryLine(good));
  const std::vector<std::string> damagedLines = {
           std::string("Dec 8,2026 08:00:00 PM\tstarted"),       // not the written time
           std::string("Dec 08,2026 08:00:00 PM\tstarted-up"),  // no such event
           std::string("Dec 08,2026 08:00:00 PM"),
           std::string("Dec 08,2026 08:00:00 PM\tended"),                 // no why
           std::string("Dec 08,2026 08:00:00 PM\tended\twhy=user"),       // another event's word
           std::string("Dec 08,2026 08:00:00 PM\tenabled\tentries=-1"),
           std::string("Dec 08,2026 08:00:00 PM\tenabled\tentries=4294967296"),
           std::string("Dec 08,2026 08:00:00 PM\tenabled\tentries=1\tentries=2"),
           std::string("Dec 08,2026 08:00:00 PM\tstarted\t"),
           std::string("Dec 08,2026 08:00:00 PM\tstarted\t=x"),
           good + "\tname=N",
           good.substr(0, good.find("\tms")),
           "Dec 08,2026 08:00:00 PM\tstart-sent\tname=N\\q\twindow=Dec 08,2026 08:00:00 "
           "PM\tseconds=1800\tms=1",
           "Dec 08,2026 08:00:00 PM\tstart-sent\tname=N\\x4\twindow=Dec 08,2026 08:00:00 "
           "PM\tseconds=1800\tms=1",
           "Dec 08,2026 08:00:00 PM\tstart-sent\tname=N\x01\twindow=Dec 08,2026 08:00:00 "
           "PM\tseconds=1800\tms=1",
  };
  for (const std::string& damaged : damagedLines) {
    EXPECT_FALSE(ReadHistoryLine(damaged)) << damaged;
  }

  // A line cut anywhere is refused as the last line; the earlier ones stay.
  const std::string first = HistoryLine(OneOfEach()[0]);
  for (std::size_t cut = 1; cut < line.size(); ++cut) {
    const HistoryContents read = ReadHistory("\r\n" + first + line.substr(0, cut));
    EXPECT_EQ(read.events, std::vector<HistoryEvent>{OneOfEach()[0]}) << cut;
    EXPECT_EQ(read.damaged, 1u) << cut;
  }

  EXPECT_EQ(HistoryPathBeside("C:\\Settings\\schedule.log"), "C:\\Settings\\schedule-history.log");
  EXPECT_EQ(HistoryPathBeside("/tmp/x/my.log"), "/tmp/x/schedule-history.log");
  EXPECT_EQ(OlderHistoryPath("C:\\S\\schedule-history.log"), "C:\\S\\schedule-history.1.log");
}

std::string Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

HistorySink& PlatformSink() {
#ifdef _WIN32
  return Win32HistorySink();
#else
  return PortableHistorySink();
#endif
}

// On the platform's own files: under Wine, the Win32 side.
TEST(HistoryAppender, RenamesThePassedFileAndEndsALineACrashCut) {
  const auto folder = std::filesystem::temp_directory_path() / "ormidal-history-test";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const auto current = folder / kHistoryFileName;
  const auto older = folder / "schedule-history.1.log";
  std::ofstream(older, std::ios::binary) << "from long ago\r\n";
  const std::string cut(kHistorySizeLimit - 20, 'x');  // no line end: a write cut by a crash
  std::ofstream(current, std::ios::binary) << cut;

  std::vector<std::string> told;
  HistoryAppender appender(PlatformSink(), current.string(),
                           [&](const std::string& message) { told.push_back(message); });
  const std::string a = HistoryLine(Start("A", "Dec 08,2026 08:00:00 PM"));
  const std::string b = HistoryLine(Start("B", "Dec 08,2026 08:30:00 PM"));
  appender.Append({a});  // passes the bound
  EXPECT_FALSE(std::filesystem::exists(current));
  appender.Append({b});
  EXPECT_EQ(Bytes(older), cut + "\r\n" + a);
  EXPECT_EQ(Bytes(current), b);
  EXPECT_EQ(appender.Waiting(), 0u);
  EXPECT_TRUE(told.empty());
  std::filesystem::remove_all(folder);
}

// Files in memory: one write may fail (half of it arriving), and opens may
// fail as when another program holds the file without sharing it.
class MemorySink final : public HistorySink {
 public:
  std::map<std::string, std::string> files;
  int failingWrite = 0;  // counted from 1
  int failingOpens = 0;
  int writes = 0;
  std::function<void()> onOpen;

  std::unique_ptr<HistoryFile> OpenForAppend(const std::string& path) override {
    if (onOpen) onOpen();
    if (failingOpens > 0) {
      --failingOpens;
      return nullptr;
    }
    return std::make_unique<File>(*this, files[path]);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  std::string ErrorText() override { return "The file is in use.\r\n"; }
  // The first open from then on waits in the disk until Release.
  void HoldFirstOpen() {
    onOpen = [this, first = true]() mutable {
      if (!std::exchange(first, false)) return;
      entered_.set_value();
      released_.wait();
    };
  }
  void WaitUntilHeld() { entered_.get_future().wait(); }
  void Release() { release_.set_value(); }

 private:
  std::promise<void> entered_;
  std::promise<void> release_;
  std::shared_future<void> released_ = release_.get_future().share();

  class File final : public HistoryFile {
   public:
    File(MemorySink& sink, std::string& bytes) : sink_(sink), bytes_(bytes) {}
    bool Write(std::string_view bytes) override {
      if (++sink_.writes == sink_.failingWrite) {
        bytes_.append(bytes.substr(0, bytes.size() / 2));
        return false;
      }
      bytes_.append(bytes);
      return true;
    }
    bool Size(uint64_t& size) override {
      size = bytes_.size();
      return true;
    }
    bool EndsLine() override { return !bytes_.empty() && bytes_.back() == '\n'; }

   private:
    MemorySink& sink_;
    std::string& bytes_;
  };
};

TEST(HistoryAppender, EachFailingWriteLeavesEveryEarlierLineAndLosesNothing) {
  const std::string path = "C:\\S\\schedule-history.log";
  std::vector<HistoryEvent> events;
  for (const char* name : {"A", "B", "C", "D"}) events.push_back(Start(name, "Dec 08,2026 08:00:00 PM"));
  for (int failing = 1; failing <= 4; ++failing) {
    MemorySink sink;
    sink.failingWrite = failing;
    std::vector<std::string> told;
    HistoryAppender appender(sink, path, [&](const std::string& m) { told.push_back(m); });
    std::string earlier;
    for (int i = 0; i < 4; ++i) {
      const std::string line = HistoryLine(events[i]);
      appender.Append({line});
      if (i + 1 == failing) {
        EXPECT_EQ(sink.files[path], earlier + line.substr(0, line.size() / 2)) << failing;
      }
      earlier += line;
    }
    // The one that failed is written again with the next event, after the cut piece.
    const std::size_t written = failing == 4 ? 3 : 4;
    const HistoryContents read = ReadHistory(sink.files[path]);
    EXPECT_EQ(read.events, std::vector<HistoryEvent>(events.begin(), events.begin() + written));
    EXPECT_EQ(read.damaged, 1u);
    EXPECT_EQ(appender.Waiting(), 4 - written);
    EXPECT_EQ(told, std::vector<std::string>{
                        "Cannot write the scheduler history " + path +
                        " (The file is in use). Recordings go on as scheduled, but the history "
                        "misses what happens until it can be written again."});
  }

  // Held by another program for two events: told once, and then all three are there.
  MemorySink sink;
  sink.failingOpens = 2;
  int told = 0;
  HistoryAppender appender(sink, path, [&](const std::string&) { ++told; });
  for (int i = 0; i < 3; ++i) appender.Append({HistoryLine(events[i])});
  EXPECT_EQ(ReadHistory(sink.files[path]).events,
            std::vector<HistoryEvent>(events.begin(), events.begin() + 3));
  EXPECT_EQ(told, 1);
}

TEST(HistoryWriter, RecordNeverWaitsForTheDiskAndCountsWhatAFullQueueDrops) {
  const std::string path = "C:\\S\\schedule-history.log";
  MemorySink sink;
  sink.HoldFirstOpen();
  std::vector<HistoryEvent> recorded;
  for (std::size_t i = 0; i < kHistoryQueueLimit + 5; ++i) {
    recorded.push_back(NewHistoryEvent(HistoryKind::kEnabled, At("Dec 08,2026 08:00:00 PM") +
                                                                  i * kTicksPerSecond));
    recorded.back().count = static_cast<uint32_t>(i);
  }
  {
    HistoryWriter writer(sink, path, nullptr);
    writer.Record(recorded[0]);
    sink.WaitUntilHeld();  // the writer's thread is held in the disk
    for (std::size_t i = 1; i < recorded.size(); ++i) writer.Record(recorded[i]);
    sink.Release();
  }  // the rest is written as the writer ends
  std::vector<HistoryEvent> expected(recorded.begin(), recorded.begin() + kHistoryQueueLimit);
  HistoryEvent dropped = NewHistoryEvent(HistoryKind::kDropped, recorded.back().time);
  dropped.count = 5;
  expected.push_back(dropped);
  const HistoryContents read = ReadHistory(sink.files[path]);
  EXPECT_EQ(read.events, expected);
  EXPECT_EQ(read.damaged, 0u);
}

TEST(HistoryWriter, DrainWaitsForWhatWasRecordedButNotForAStuckDisk) {
  const std::string path = "C:\\S\\schedule-history.log";
  const HistoryEvent started = NewHistoryEvent(HistoryKind::kStarted, At("Dec 08,2026 08:00:00 PM"));
  HistoryEvent ended = NewHistoryEvent(HistoryKind::kEnded, At("Dec 08,2026 08:00:01 PM"));
  ended.cause = HistoryCause::kDialogClosed;
  {
    // A write that fails has been tried: nothing is left to wait for.
    MemorySink refusing;
    refusing.failingOpens = 1000;
    HistoryWriter writer(refusing, path, nullptr);
    writer.Record(started);
    EXPECT_TRUE(writer.Drain(std::chrono::seconds(30)));
  }
  MemorySink sink;
  sink.HoldFirstOpen();
  HistoryWriter writer(sink, path, nullptr);
  writer.Record(started);
  sink.WaitUntilHeld();  // the writer's thread is held in the disk
  writer.Record(ended);
  EXPECT_FALSE(writer.Drain(std::chrono::milliseconds(50)));
  sink.Release();
  EXPECT_TRUE(writer.Drain(std::chrono::seconds(30)));
  EXPECT_EQ(ReadHistory(sink.files[path]).events, (std::vector<HistoryEvent>{started, ended}));
}

}  // namespace
}  // namespace ormidal
