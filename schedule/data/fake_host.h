// Test doubles for the scheduler's seams.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "host.h"

namespace ormidal {

// Records every message and answers from a script (Yes when the script is empty).
class FakeHost : public SchedulerHost {
 public:
  int SchedulerMessage(const std::string& text, int type) override {
    messages.push_back(text);
    types.push_back(type);
    if (answers.empty()) return type == kMessageYesNo ? kAnswerYes : kAnswerOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void EndProcess() override { ++ended; }

  std::vector<std::string> messages;
  std::vector<int> types;
  std::deque<int> answers;
  int ended = 0;
};

// A file system whose every open fails.
class FailingFiles : public FileSystem {
 public:
  Open ReadOrCreate(const std::string&, std::string&) override { return Open::kFailed; }
  bool Read(const std::string&, std::string&) override { return false; }
};

}  // namespace ormidal
