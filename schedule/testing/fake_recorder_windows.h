// A recording program's windows for tests: the titles in open are present,
// and every operation on them is recorded in order. Request threads may call
// it at the same time.
#pragma once

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "recorder_link.h"

namespace ormidal {

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
