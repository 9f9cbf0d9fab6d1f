// Writing the history: one appending writer behind a small file seam, fed
// through one background thread, so that no start or stop request and no
// window ever waits for the disk, and a history that cannot be written never
// stops a recording.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "history.h"

namespace ormidal {

constexpr uint64_t kHistorySizeLimit = 1 << 20;  // past this the file is renamed
constexpr std::size_t kHistoryQueueLimit = 1024;  // events waiting; more are dropped

// The history file, open for appending and shared with readers; closed when destroyed.
class HistoryFile {
 public:
  virtual ~HistoryFile() = default;
  // One write call for all of bytes; false on a failed or short write.
  virtual bool Write(std::string_view bytes) = 0;
  virtual bool Size(uint64_t& size) = 0;
  // Whether the last byte is a line feed (false when it cannot be read):
  // a crash in the middle of a write leaves a line without its end.
  virtual bool EndsLine() = 0;
};

class HistorySink {
 public:
  virtual ~HistorySink() = default;
  // Opens for appending, creating a missing file; nullptr when it cannot.
  virtual std::unique_ptr<HistoryFile> OpenForAppend(const std::string& path) = 0;
  // Renames from to to, replacing to.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // The system's words for the last failed step on this thread.
  virtual std::string ErrorText() { return {}; }
};

// Files through the C library, on every platform: for the native tests.
HistorySink& PortableHistorySink();

// Where the scheduler's parts put what happened: the call never waits for the disk.
class HistoryLog {
 public:
  virtual ~HistoryLog() = default;
  virtual void Record(HistoryEvent event) = 0;
};

// What the user is told, once per run, when the history cannot be written.
std::string HistoryFailureMessage(const std::string& path, const std::string& why);

// Appends lines in order on the calling thread. A line that cannot be
// written waits and is tried again, before newer ones, on the next call;
// earlier lines are never touched. The first failure is reported once.
class HistoryAppender {
 public:
  HistoryAppender(HistorySink& sink, std::string path,
                  std::function<void(const std::string& message)> onFirstFailure);

  void Append(std::vector<std::string> lines);
  std::size_t Waiting() const { return waiting_.size(); }

 private:
  void Fail();
  // Writes waiting lines into one opened file until it passes the size
  // limit; false when a step failed.
  bool WriteSome(bool& full);

  HistorySink& sink_;
  const std::string path_;
  const std::string olderPath_;
  std::function<void(const std::string&)> onFirstFailure_;
  std::deque<std::string> waiting_;
  bool reported_ = false;
  bool lineEnded_ = false;  // the file is known to end with a whole line
  bool renameFailed_ = false;
};

// Starts body on a thread of its own and returns what waits for its end;
// throws std::system_error when no thread can start. A program whose threads
// all start one way passes its own.
using JoinableStart = std::function<std::function<void()>(std::function<void()> body)>;

// The standard library's thread.
std::function<void()> StartStandardThread(std::function<void()> body);

// The scheduler's history writer: Record only puts the event in a bounded
// queue (a full queue drops it and counts it, and the count becomes a
// "dropped" line); one thread of its own writes. onFirstFailure is called on
// that thread. Destroying the writer writes what is queued, then ends the thread.
class HistoryWriter final : public HistoryLog {
 public:
  HistoryWriter(HistorySink& sink, std::string path,
                std::function<void(const std::string& message)> onFirstFailure,
                const JoinableStart& start = StartStandardThread);
  ~HistoryWriter() override;
  HistoryWriter(const HistoryWriter&) = delete;
  HistoryWriter& operator=(const HistoryWriter&) = delete;

  void Record(HistoryEvent event) override;
  // Waits until what was recorded before the call has been written, or tried
  // and left waiting, but no longer than bound: a write stuck on a lost
  // network share must not hold the caller. False when the bound passed.
  bool Drain(std::chrono::milliseconds bound);

 private:
  void Run();
  // Under mutex_: the line telling of the events dropped since the last one.
  void TakeDropped(std::vector<HistoryEvent>& into);

  HistoryAppender appender_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<HistoryEvent> queue_;
  std::size_t held_ = 0;  // taken by the thread and not yet written
  uint32_t dropped_ = 0;
  FileTime lastDropped_ = 0;
  bool fresh_ = false;
  bool stopping_ = false;
  uint64_t drainAsked_ = 0;  // Drain calls so far
  uint64_t drainDone_ = 0;   // of those, the ones whose events a finished round took
  std::condition_variable drained_;
  std::function<void()> join_;  // last: the thread starts once all else is in place
};

}  // namespace ormidal
