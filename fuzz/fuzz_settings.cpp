// The recording program's settings file, read through a file system in
// memory. Input: one byte (bit 0 audio mode, bit 1 no file), then the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fake_host.h"
#include "fuzz_check.h"
#include "options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace ormidal;
  if (size == 0) return 0;
  const bool audio = (data[0] & 1) != 0;
  const bool missing = (data[0] & 2) != 0;
  const std::string contents(reinterpret_cast<const char*>(data) + 1, size - 1);

  MapFiles files;
  FakeHost host;
  Options options;
  options.settingsFolder = "C:\\rec";
  options.audioMode = audio;
  options.protocol = 7;  // what an earlier reading left
  options.maxFileTime = 7;
  if (!missing) files.files[SettingsPath(options.settingsFolder)] = contents;

  const bool read = LoadSettings(options, files, host);
  if (audio) {
    FUZZ_CHECK(read && host.messages.empty() && options.protocol == 7);
    return 0;
  }
  if (missing) {
    FUZZ_CHECK(!read && host.messages.size() == 1);
    FUZZ_CHECK(options.protocol == 0 && options.maxFileTime == 0);
    return 0;
  }
  FUZZ_CHECK(read && host.messages.empty());
  if (contents.find("Protocol: ") == std::string::npos) FUZZ_CHECK(options.protocol == 0);
  if (contents.find("Max File Time: ") == std::string::npos) FUZZ_CHECK(options.maxFileTime == 0);
  FUZZ_CHECK(options.maxFileTimeText.size() <= kDurationTextLimit);
  FUZZ_CHECK(DurationSeconds(options.maxFileTimeText) == options.maxFileTime);
  // The settings' own time always satisfies the settings rule.
  std::string box = options.maxFileTimeText;
  FUZZ_CHECK(DurationMatchesSettings(options, box, host));
  FUZZ_CHECK(box == options.maxFileTimeText && host.messages.empty());
  return 0;
}
