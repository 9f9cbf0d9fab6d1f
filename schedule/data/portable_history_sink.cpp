// The history file through the C library, usable on every platform.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "history_writer.h"

namespace ormidal {
namespace {

class PortableHistoryFile final : public HistoryFile {
 public:
  explicit PortableHistoryFile(std::FILE* file) : file_(file) {}
  ~PortableHistoryFile() override { std::fclose(file_); }
  PortableHistoryFile(const PortableHistoryFile&) = delete;
  PortableHistoryFile& operator=(const PortableHistoryFile&) = delete;

  // Unbuffered and in append mode: one write of the system, at the end.
  bool Write(std::string_view bytes) override {
    return std::fseek(file_, 0, SEEK_END) == 0 &&
           std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  }
  bool Size(uint64_t& size) override {
    if (std::fseek(file_, 0, SEEK_END) != 0) return false;
    const long at = std::ftell(file_);
    size = static_cast<uint64_t>(at);
    return at >= 0;
  }
  bool EndsLine() override { return std::fseek(file_, -1, SEEK_END) == 0 && std::fgetc(file_) == '\n'; }

 private:
  std::FILE* file_;
};

class PortableSink final : public HistorySink {
 public:
  std::unique_ptr<HistoryFile> OpenForAppend(const std::string& path) override {
    std::FILE* file = std::fopen(path.c_str(), "a+b");
    if (file == nullptr) return nullptr;
    std::setvbuf(file, nullptr, _IONBF, 0);
    return std::make_unique<PortableHistoryFile>(file);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    std::error_code error;
    std::filesystem::rename(from, to, error);  // replaces to on every platform
    if (error) errno = error.default_error_condition().value();
    return !error;
  }
  std::string ErrorText() override { return std::generic_category().message(errno); }
};

}  // namespace

HistorySink& PortableHistorySink() {
  static PortableSink instance;
  return instance;
}

}  // namespace ormidal
