// Fakes around the engine for its tests and the check's agreement harness: a
// dialog that records what it is shown, a recording program that records
// every request with the simulated time it arrived, and the recording
// program's windows behind the link. The files and messages are those of
// fake_host.h. Engine and request threads may call them at the same time.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "engine.h"
#include "fake_host.h"
#include "recorder_link.h"
#include "simulated_system.h"

namespace ormidal {

class RecordingUi final : public EngineUi {
 public:
  void SetStatus(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    status = text;
  }
  void FocusEnableButton() override { focus = 1006; }
  void FocusDisableButton() override { focus = 1009; }
  void FillFromEntry(const ScheduleEntry& entry) override {
    std::lock_guard<std::mutex> lock(mutex_);
    filled.push_back(entry.timeName);
  }
  void Notice(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    notices.push_back(text);
  }
  std::vector<std::string> Notices() {
    std::lock_guard<std::mutex> lock(mutex_);
    return notices;
  }
  void PlainMessage(const std::string& text) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      plain.push_back(text);
    }
    if (whileShown) whileShown();
  }
  std::string Status() {
    std::lock_guard<std::mutex> lock(mutex_);
    return status;
  }
  std::vector<std::string> Filled() {
    std::lock_guard<std::mutex> lock(mutex_);
    return filled;
  }
  std::vector<std::string> Plain() {
    std::lock_guard<std::mutex> lock(mutex_);
    return plain;
  }
  std::atomic<int> focus{0};
  // Runs while a plain message is shown, as the user's other clicks would.
  std::function<void()> whileShown;

 private:
  std::mutex mutex_;
  std::string status;
  std::vector<std::string> filled;
  std::vector<std::string> plain;
  std::vector<std::string> notices;
};

struct Request {
  std::string name;
  int32_t request;
  FileTime at;
  std::string timePos;
  std::string timeProg;
};

class RecordingRecorder final : public RecorderLink {
 public:
  explicit RecordingRecorder(SimulatedSystem& sim) : sim_(sim) {}
  RequestOutcome ControlRecorder(const std::shared_ptr<ScheduleEntry>& entry,
                                 int32_t request) override {
    if (request == kTaskStop && whileStopping) std::exchange(whileStopping, nullptr)();
    if (entry->failed.load() != 0) return RequestOutcome::kNotAsked;
    entry->task.store(0);
    if (!programRunning) {
      if (request == kTaskStart) entry->failed.store(1);
      return RequestOutcome::kNoRecorder;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    requests.push_back({entry->timeName, request, sim_.Now(), entry->timePos, entry->timeProg});
    return RequestOutcome::kSent;
  }
  std::vector<Request> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests;
  }
  int Count(int32_t request) {
    int n = 0;
    for (const auto& r : Requests()) n += r.request == request;
    return n;
  }
  // Each request as "start NAME TIME" or "stop NAME TIME", in the order they came.
  std::vector<std::string> Sent() {
    std::vector<std::string> sent;
    for (const Request& r : Requests()) {
      sent.push_back((r.request == kTaskStart ? "start " : "stop ") + r.name + " " +
                     FileTimeToText(r.at));
    }
    return sent;
  }
  std::atomic<bool> programRunning{true};
  // Runs once, on the first stop request, before it is taken: what the user
  // does while a stop is on its way. Set while no request runs.
  std::function<void()> whileStopping;

 private:
  SimulatedSystem& sim_;
  std::mutex mutex_;
  std::vector<Request> requests;
};

// Keeps every event, and gives each as its history line without the line
// end, tabs shown as " | ".
class RecordingHistory final : public HistoryLog {
 public:
  void Record(HistoryEvent event) override {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
  }
  std::vector<std::string> Lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> lines;
    for (const HistoryEvent& event : events_) {
      std::string line = HistoryLine(event);
      line.resize(line.size() - 2);
      for (std::size_t at = 0; (at = line.find('\t', at)) != std::string::npos;) {
        line.replace(at, 1, " | ");
      }
      lines.push_back(std::move(line));
    }
    return lines;
  }

 private:
  std::mutex mutex_;
  std::vector<HistoryEvent> events_;
};

// The titles in open are present, and every operation on them is recorded
// in order.
class FakeRecorderWindows final : public RecorderWindows {
 public:
  Handle Find(const std::string& title) override {
    std::lock_guard<std::mutex> lock(mutex_);
    searched.push_back(title);
    return open.count(title) ? 42 : 0;
  }
  void Restore(Handle window) override { Record("restore " + std::to_string(window)); }
  void LowerMainWindow() override { Record("lower main"); }
  void SendStart(Handle window, const std::string& text, bool audioMode) override {
    Record("start " + std::to_string(window) + (audioMode ? " 8-bit " : " utf-16 ") + text);
  }
  void PostStop(Handle window) override { Record("stop " + std::to_string(window)); }

  std::vector<std::string> Calls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls;
  }

  // Read and changed directly only while no request runs.
  std::set<std::string> open;
  std::vector<std::string> searched;
  std::vector<std::string> calls;

 private:
  void Record(std::string call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls.push_back(std::move(call));
  }
  std::mutex mutex_;
};

}  // namespace ormidal
