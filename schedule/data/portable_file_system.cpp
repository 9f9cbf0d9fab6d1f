#include <cstdio>

#include "host.h"

namespace ormidal {
namespace {

bool ReadAll(std::FILE* file, std::string& contents) {
  contents.clear();
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, n);
  return std::ferror(file) == 0;
}

class Portable final : public FileSystem {
 public:
  Open ReadOrCreate(const std::string& path, std::string& contents) override {
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
      const bool ok = ReadAll(file, contents);
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
    const bool ok = ReadAll(file, contents);
    std::fclose(file);
    return ok;
  }
};

}  // namespace

FileSystem& PortableFileSystem() {
  static Portable instance;
  return instance;
}

}  // namespace ormidal
