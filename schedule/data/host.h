// The scheduler core's seams to the system: messages to the user, the end of
// the process and file access. The Win32 shell implements them; tests fake them.
#pragma once

#include <string>

namespace ormidal {

// Message box types and answers, as the system numbers them.
constexpr int kMessageOk = 0;     // MB_OK
constexpr int kMessageYesNo = 4;  // MB_YESNO
constexpr int kAnswerOk = 1;      // IDOK
constexpr int kAnswerYes = 6;     // IDYES
constexpr int kAnswerNo = 7;      // IDNO

class SchedulerHost {
 public:
  virtual ~SchedulerHost() = default;
  // Shows text in the scheduler's message box and returns the pressed button.
  virtual int SchedulerMessage(const std::string& text, int type) = 0;
  // Ends the process with exit code 0. A fake may return; callers then stop.
  virtual void EndProcess() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  enum class Open { kRead, kCreated, kFailed };
  // Opens the file for reading without sharing and reads it whole; a missing
  // file is created empty instead.
  virtual Open ReadOrCreate(const std::string& path, std::string& contents) = 0;
  // Reads the whole file; false when it cannot be opened.
  virtual bool Read(const std::string& path, std::string& contents) = 0;
};

// A FileSystem over the C library, usable on every platform.
FileSystem& PortableFileSystem();

}  // namespace ormidal
