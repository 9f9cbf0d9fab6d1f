// The seams of host.h on Win32: message boxes, the end of the process and files.
#pragma once

#include <functional>

#include "host.h"

namespace ormidal {

// "Scheduler message" boxes: no owner, topmost, task-modal, exclamation icon,
// always on the user-interface thread (through the application's queue).
class Win32Host final : public SchedulerHost {
 public:
  int SchedulerMessage(const std::string& text, int type) override;
  // Runs the hook, then ExitProcess(0): the engine's threads are never joined.
  void EndProcess(HistoryCause why) override;
  // What must happen before the end, such as the history's last line; set
  // once at start-up, before any thread can end the process. It must return
  // in bounded time.
  void SetBeforeExit(std::function<void(HistoryCause why)> hook) { beforeExit_ = std::move(hook); }

 private:
  std::function<void(HistoryCause)> beforeExit_;
};

// Files through CreateFileA: the schedule file is read without sharing;
// written files are flushed to the disk and replaced with MoveFileExA.
class Win32FileSystem final : public FileSystem {
 public:
  Open ReadOrCreate(const std::string& path, std::string& contents) override;
  bool Read(const std::string& path, std::string& contents) override;
  std::unique_ptr<WritableFile> OpenForAppend(const std::string& path) override;
  std::unique_ptr<WritableFile> OpenForWrite(const std::string& path) override;
  bool Replace(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;
  std::string ErrorText() override;
};

}  // namespace ormidal
