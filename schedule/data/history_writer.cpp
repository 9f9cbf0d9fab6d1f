#include "history_writer.h"

#include <thread>
#include <utility>

#include "host.h"

namespace ormidal {

std::string HistoryFailureMessage(const std::string& path, const std::string& why) {
  const std::string plain = PlainErrorText(why);
  return "Cannot write the scheduler history " + path + (plain.empty() ? "" : " (" + plain + ")") +
         ". Recordings go on as scheduled, but the history misses what happens until it can be "
         "written again.";
}

HistoryAppender::HistoryAppender(HistorySink& sink, std::string path,
                                 std::function<void(const std::string&)> onFirstFailure)
    : sink_(sink),
      path_(std::move(path)),
      olderPath_(OlderHistoryPath(path_)),
      onFirstFailure_(std::move(onFirstFailure)) {}

void HistoryAppender::Append(std::vector<std::string> lines) {
  for (std::string& line : lines) waiting_.push_back(std::move(line));
  renameFailed_ = false;
  while (!waiting_.empty()) {
    bool full = false;
    if (!WriteSome(full)) return;
    // A reader may hold the file without sharing its deletion: the rename
    // is tried again with the next lines, and the file grows meanwhile.
    if (full && !sink_.Rename(path_, olderPath_)) renameFailed_ = true;
  }
}

bool HistoryAppender::WriteSome(bool& full) {
  full = false;
  const std::unique_ptr<HistoryFile> file = sink_.OpenForAppend(path_);
  uint64_t size = 0;
  if (file == nullptr || !file->Size(size)) {
    Fail();
    return false;
  }
  // A line cut short by a crash or a failed write is ended first, so that
  // it damages no later line.
  std::string bytes = size > 0 && !lineEnded_ && !file->EndsLine() ? "\r\n" : "";
  while (!waiting_.empty()) {
    bytes += waiting_.front();
    if (!file->Write(bytes)) {
      lineEnded_ = false;
      Fail();
      return false;
    }
    lineEnded_ = true;
    size += bytes.size();
    bytes.clear();
    waiting_.pop_front();
    if (size > kHistorySizeLimit && !renameFailed_) {
      full = true;
      return true;
    }
  }
  return true;
}

void HistoryAppender::Fail() {
  if (reported_) return;
  reported_ = true;
  const std::string why = sink_.ErrorText();  // asked before anything else runs on this thread
  if (onFirstFailure_) onFirstFailure_(HistoryFailureMessage(path_, why));
}

std::function<void()> StartStandardThread(std::function<void()> body) {
  auto thread = std::make_shared<std::thread>(std::move(body));
  return [thread] { thread->join(); };
}

HistoryWriter::HistoryWriter(HistorySink& sink, std::string path,
                             std::function<void(const std::string&)> onFirstFailure,
                             const JoinableStart& start)
    : appender_(sink, std::move(path), std::move(onFirstFailure)), join_(start([this] { Run(); })) {}

HistoryWriter::~HistoryWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  join_();
}

void HistoryWriter::Record(HistoryEvent event) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.size() + held_ >= kHistoryQueueLimit) {
      ++dropped_;
      lastDropped_ = event.time;
      return;
    }
    TakeDropped(queue_);
    queue_.push_back(std::move(event));
    fresh_ = true;
  }
  wake_.notify_one();
}

bool HistoryWriter::Drain(std::chrono::milliseconds bound) {
  std::unique_lock<std::mutex> lock(mutex_);
  const uint64_t asked = ++drainAsked_;
  fresh_ = true;  // lines left waiting by a failure are tried once more
  wake_.notify_one();
  return drained_.wait_for(lock, bound, [&] { return drainDone_ >= asked; });
}

void HistoryWriter::TakeDropped(std::vector<HistoryEvent>& into) {
  if (dropped_ == 0) return;
  HistoryEvent dropped = NewHistoryEvent(HistoryKind::kDropped, lastDropped_);
  dropped.count = std::exchange(dropped_, 0);
  into.push_back(std::move(dropped));
}

void HistoryWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // Lines that failed wait for the next event or the end to be tried again.
    wake_.wait(lock, [&] { return fresh_ || stopping_; });
    const bool last = stopping_;
    const uint64_t drainAsked = drainAsked_;
    fresh_ = false;
    std::vector<HistoryEvent> batch = std::exchange(queue_, {});
    TakeDropped(batch);
    held_ += batch.size();
    lock.unlock();
    std::vector<std::string> lines;
    lines.reserve(batch.size());
    for (const HistoryEvent& event : batch) lines.push_back(HistoryLine(event));
    appender_.Append(std::move(lines));
    lock.lock();
    held_ = appender_.Waiting();
    drainDone_ = drainAsked;
    drained_.notify_all();
    if (last) return;
  }
}

}  // namespace ormidal
