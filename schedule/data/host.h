// The scheduler core's seams to the system: messages to the user, the end of
// the process and file access. The Win32 shell implements them; tests fake them.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "history.h"

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
  // Ends the process with exit code 0; why goes into the history. A fake may
  // return; callers then stop.
  virtual void EndProcess(HistoryCause why) = 0;
};

// A file open for writing. Every step reports failure instead of throwing;
// destroying a file that is still open closes it without checking.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes all of bytes, or returns false (a short write is a failure).
  virtual bool Write(std::string_view bytes) = 0;
  // Pushes the bytes as far towards the disk as the implementation can.
  virtual bool Flush() = 0;
  virtual bool Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  enum class Open { kRead, kCreated, kFailed };
  // Opens the file for reading, shared with readers only, and reads it whole;
  // a missing file is created empty instead.
  virtual Open ReadOrCreate(const std::string& path, std::string& contents) = 0;
  // Reads the whole file; false when it cannot be opened.
  virtual bool Read(const std::string& path, std::string& contents) = 0;
  // Opens for appending, creating a missing file; nullptr when it cannot.
  virtual std::unique_ptr<WritableFile> OpenForAppend(const std::string& path) = 0;
  // Opens for writing from empty, creating a missing file; nullptr when it cannot.
  virtual std::unique_ptr<WritableFile> OpenForWrite(const std::string& path) = 0;
  // Puts the file from in place of the file to in one step, so that a reader
  // or a crash sees either the old or the new file, never a mix.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
  // The system's words for why the last failed step on this thread failed,
  // asked right after it; empty when there are none.
  virtual std::string ErrorText() { return {}; }
};

// One read of a file: at most size bytes into buffer, got set to how many
// arrived (0 at the end); false when the read fails.
using ReadChunk = std::function<bool(char* buffer, std::size_t size, std::size_t& got)>;

// Reads a file whole, chunk by chunk; false when a read fails.
bool ReadAll(const ReadChunk& read, std::string& contents);

// The system's words as part of a sentence: no line break, no final stop.
std::string PlainErrorText(std::string error);

// Opens the file for appending and closes it, so that it exists.
bool MakeFileExist(FileSystem& files, const std::string& path);

// Gives path the new contents through temporaryPath: written, checked,
// flushed and closed, then put in place. Whatever step fails, path keeps its
// old bytes, the temporary file is removed and whyNot (when given) gets the
// system's words for the failure.
bool ReplaceContents(FileSystem& files, const std::string& path, const std::string& temporaryPath,
                     std::string_view contents, std::string* whyNot = nullptr);

// A FileSystem over the C library, usable on every platform.
FileSystem& PortableFileSystem();

}  // namespace ormidal
