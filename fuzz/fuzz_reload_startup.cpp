// The reload tool's text from outside: its command line and folder, which
// choose the product, and the product's settings file echoed into the report.
// Input: UTF-16 code units (low byte first) of the command line up to a zero
// unit, then the settings file's bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "command_line.h"
#include "fake_reload_system.h"
#include "fuzz_check.h"
#include "report.h"
#include "startup.h"

namespace {

using namespace reload;

bool HasNoZeroByte(std::string_view text) {
  for (const char c : text) {
    if (c == '\0') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::wstring line;
  std::size_t at = 0;
  for (; at + 1 < size; at += 2) {
    const wchar_t unit = static_cast<wchar_t>(data[at] | data[at + 1] << 8);
    if (unit == 0) {
      at += 2;
      break;
    }
    line += unit;
  }
  const std::string settings(reinterpret_cast<const char*>(data) + (at < size ? at : size),
                             at < size ? size - at : 0);

  FakeReloadSystem system;
  ReloadState state;
  const auto arguments = fw::SplitCommandLine<wchar_t>(line);
  state.ModuleFolder = GetModuleFolder(arguments.empty() ? std::wstring() : arguments[0]);
  FUZZ_CHECK(state.ModuleFolder.size() <= kTextLimit);
  CmdLineInfo info(state, system);
  fw::WalkCommandLine<wchar_t>(line, info);
  const std::size_t given = arguments.empty() ? 0 : arguments.size() - 1;
  FUZZ_CHECK(state.parameterCount == given);
  FUZZ_CHECK(state.ParameterTable.size() == std::min(given, kParameterSlots));
  // One box for each parameter beyond the table, and nothing else.
  FUZZ_CHECK(system.journal.size() == given - state.ParameterTable.size());
  for (const auto& parameter : state.ParameterTable) FUZZ_CHECK(parameter.size() <= kTextLimit);

  SelectProduct(state);
  FUZZ_CHECK(!state.ProductName.empty());
  FUZZ_CHECK(state.ProductName.size() <= kTextLimit);

  const std::wstring folder = ProductFolderName(state.ProductName);
  state.logOpen = true;
  system.logIsOpen = true;
  if (!folder.empty()) {
    const std::wstring path = AppendPath(system.folders[KnownFolder::RoamingAppData], folder) + L"\\Settings.ini";
    system.files[path] = settings;
  }
  EchoSettings(state, system);
  if (folder.empty()) {
    FUZZ_CHECK(system.log.empty());
    return 0;
  }
  // The heading, then the file's text up to its first zero byte, at most 10000 bytes.
  std::string_view shown = settings;
  shown = shown.substr(0, kSettingsReadLimit);
  shown = shown.substr(0, shown.find('\0'));
  const std::string expected = ToLogBytes(system.AnsiToWide(shown), system);
  FUZZ_CHECK(system.log.find("Settings.ini (") != std::string::npos);
  if (shown.empty()) {
    FUZZ_CHECK(system.log.size() >= 2 && system.log.compare(system.log.size() - 1, 1, ")") == 0);
  } else {
    FUZZ_CHECK(system.log.size() >= expected.size() + 4);
    FUZZ_CHECK(system.log.compare(system.log.size() - expected.size(), expected.size(), expected) == 0);
    FUZZ_CHECK(HasNoZeroByte(expected));
  }
  return 0;
}
