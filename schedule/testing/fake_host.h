// Fakes of the scheduler's seams to the user and the files (host.h), for
// tests, fuzz targets and benchmarks. Engine threads may call them at the
// same time; a test reads and changes their members directly only while no
// engine thread runs.
#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"

namespace ormidal {

// Records every message and answers from a script (Yes or OK when the
// script is empty).
class FakeHost : public SchedulerHost {
 public:
  int SchedulerMessage(const std::string& text, int type) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      messages.push_back(text);
      types.push_back(type);
    }
    if (whileShown) whileShown(text);
    std::lock_guard<std::mutex> lock(mutex_);
    if (answers.empty()) return type == kMessageYesNo ? kAnswerYes : kAnswerOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void EndProcess(HistoryCause why) override {
    std::lock_guard<std::mutex> lock(mutex_);
    endedWhy.push_back(why);
    ++ended;
  }

  // The messages so far, while engine threads may still add to them.
  std::vector<std::string> Messages() {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages;
  }

  std::vector<std::string> messages;
  std::vector<int> types;
  std::deque<int> answers;
  std::atomic<int> ended{0};
  std::vector<HistoryCause> endedWhy;
  // Runs while a message is shown, before it is answered: the user's other clicks, or none for a while.
  std::function<void(const std::string& text)> whileShown;

 private:
  std::mutex mutex_;
};

// Files held in a map, written straight through (as an unbuffered file would
// be), with one step made to fail on demand and every step recorded.
class MapFiles final : public FileSystem {
 public:
  enum class Step { kNone, kRead, kOpenAppend, kOpenWrite, kWrite, kFlush, kClose, kReplace };

  std::map<std::string, std::string> files;
  Step failing = Step::kNone;
  std::string failingPath;  // the failing step fails only on this path; empty: on any
  std::vector<std::string> log;  // "open-write s1.txt", "replace s1.txt>schedule.log", ...

  Open ReadOrCreate(const std::string& path, std::string& contents) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (Fails(Step::kRead, path)) return Open::kFailed;
    const bool existed = files.count(path) != 0;
    contents = files[path];
    return existed ? Open::kRead : Open::kCreated;
  }
  bool Read(const std::string& path, std::string& contents) override {
    std::lock_guard<std::mutex> lock(mutex_);
    log.push_back("read " + path);
    if (Fails(Step::kRead, path) || files.count(path) == 0) return false;
    contents = files[path];
    return true;
  }
  std::unique_ptr<WritableFile> OpenForAppend(const std::string& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    log.push_back("open-append " + path);
    if (Fails(Step::kOpenAppend, path)) return nullptr;
    files[path];
    return std::make_unique<File>(*this, path);
  }
  std::unique_ptr<WritableFile> OpenForWrite(const std::string& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    log.push_back("open-write " + path);
    if (Fails(Step::kOpenWrite, path)) return nullptr;
    files[path].clear();
    return std::make_unique<File>(*this, path);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    std::lock_guard<std::mutex> lock(mutex_);
    log.push_back("replace " + from + ">" + to);
    if (Fails(Step::kReplace, to) || files.count(from) == 0) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool Remove(const std::string& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    log.push_back("remove " + path);
    return files.erase(path) != 0;
  }
  std::string ErrorText() override { return "Step failed"; }

 private:
  class File : public WritableFile {
   public:
    File(MapFiles& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
    bool Write(std::string_view bytes) override {
      std::lock_guard<std::mutex> lock(owner_.mutex_);
      if (owner_.Fails(Step::kWrite, path_)) {
        // A short write: half of the bytes arrive.
        owner_.files[path_].append(bytes.substr(0, bytes.size() / 2));
        return false;
      }
      owner_.files[path_].append(bytes);
      return true;
    }
    bool Flush() override {
      std::lock_guard<std::mutex> lock(owner_.mutex_);
      return !owner_.Fails(Step::kFlush, path_);
    }
    bool Close() override {
      std::lock_guard<std::mutex> lock(owner_.mutex_);
      return !owner_.Fails(Step::kClose, path_);
    }

   private:
    MapFiles& owner_;
    std::string path_;
  };

  bool Fails(Step step, const std::string& path) const {
    return failing == step && (failingPath.empty() || failingPath == path);
  }

  std::mutex mutex_;
};

}  // namespace ormidal
