#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "host.h"

namespace ormidal {
namespace {

bool ReadStream(std::FILE* file, std::string& contents) {
  return ReadAll(
      [file](char* buffer, std::size_t size, std::size_t& got) {
        got = std::fread(buffer, 1, size, file);
        return got > 0 || std::ferror(file) == 0;
      },
      contents);
}

class PortableFile final : public WritableFile {
 public:
  explicit PortableFile(std::FILE* file) : file_(file) {}
  ~PortableFile() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  PortableFile(const PortableFile&) = delete;
  PortableFile& operator=(const PortableFile&) = delete;

  bool Write(std::string_view bytes) override {
    return file_ != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  }
  // The C library reaches only the system's cache; the Win32 file system
  // is the one that goes on to the disk.
  bool Flush() override { return file_ != nullptr && std::fflush(file_) == 0; }
  bool Close() override {
    if (file_ == nullptr) return false;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
  }

 private:
  std::FILE* file_;
};

std::unique_ptr<WritableFile> OpenFile(const std::string& path, const char* mode) {
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (file == nullptr) return nullptr;
  return std::make_unique<PortableFile>(file);
}

class Portable final : public FileSystem {
 public:
  Open ReadOrCreate(const std::string& path, std::string& contents) override {
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
      const bool ok = ReadStream(file, contents);
      std::fclose(file);
      return ok ? Open::kRead : Open::kFailed;
    }
    std::FILE* created = std::fopen(path.c_str(), "ab");
    if (created == nullptr) return Open::kFailed;
    std::fclose(created);
    contents.clear();
    return Open::kCreated;
  }

  bool Read(const std::string& path, std::string& contents) override {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    const bool ok = ReadStream(file, contents);
    std::fclose(file);
    return ok;
  }

  std::unique_ptr<WritableFile> OpenForAppend(const std::string& path) override {
    return OpenFile(path, "ab");
  }

  std::unique_ptr<WritableFile> OpenForWrite(const std::string& path) override {
    return OpenFile(path, "wb");
  }

  bool Replace(const std::string& from, const std::string& to) override {
#ifdef _WIN32
    // The Windows C library's rename refuses an existing target; the
    // standard library's replaces it there.
    std::error_code error;
    std::filesystem::rename(from, to, error);
    if (error) errno = error.default_error_condition().value();
    return !error;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
  }

  bool Remove(const std::string& path) override { return std::remove(path.c_str()) == 0; }

  std::string ErrorText() override { return std::generic_category().message(errno); }
};

}  // namespace

bool ReadAll(const ReadChunk& read, std::string& contents) {
  contents.clear();
  char buffer[65536];
  std::size_t got = 0;
  for (;;) {
    if (!read(buffer, sizeof buffer, got)) return false;
    if (got == 0) return true;
    contents.append(buffer, got);
  }
}

FileSystem& PortableFileSystem() {
  static Portable instance;
  return instance;
}

std::string PlainErrorText(std::string error) {
  while (!error.empty() && (error.back() == '.' || static_cast<unsigned char>(error.back()) <= ' ')) {
    error.pop_back();
  }
  std::replace(error.begin(), error.end(), '\r', ' ');
  std::replace(error.begin(), error.end(), '\n', ' ');
  return error;
}

bool MakeFileExist(FileSystem& files, const std::string& path) {
  const std::unique_ptr<WritableFile> file = files.OpenForAppend(path);
  return file != nullptr && file->Close();
}

bool ReplaceContents(FileSystem& files, const std::string& path, const std::string& temporaryPath,
                     std::string_view contents, std::string* whyNot) {
  bool written = false;
  std::string error;
  if (std::unique_ptr<WritableFile> file = files.OpenForWrite(temporaryPath)) {
    written = file->Write(contents) && file->Flush() && file->Close();
    if (!written) error = files.ErrorText();
  } else {
    error = files.ErrorText();
  }  // a file left open by a failed step is closed here, before the replace
  if (written && files.Replace(temporaryPath, path)) return true;
  if (written) error = files.ErrorText();
  files.Remove(temporaryPath);
  if (whyNot != nullptr) *whyNot = error;
  return false;
}

}  // namespace ormidal
