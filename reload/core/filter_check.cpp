#include "filter_check.h"

#include "report.h"
#include "text.h"

namespace reload {
namespace {

void CheckAudioCapturer(ReloadSystem& system, std::wstring_view identifier) {
  const std::wstring path =
      fw::Clip(std::wstring(kAudioCategoryInstance) + std::wstring(identifier), kRegistryPathLimit);
  const int32_t result = system.ProbeKey(RegistryRoot::ClassesRoot, path);
  // Access denied counts as a failure here: the category entry has no server to read.
  AppendLog(system, result == 0 ? L"\r\n" + std::wstring(kAudioCapturerName) + L" OK"
                                : L"\r\n" + std::wstring(identifier) + L" failed query value (ERROR=" +
                                      std::to_wstring(result) + L")");
}

// The lines around a check: after a batch they name it and say which
// results are good; a check before any batch has none.
struct Frame {
  std::wstring_view heading;
  std::wstring_view closing;
};

Frame FrameOf(int32_t checkMode) {
  switch (checkMode) {
    case kAfterUninstall:
      return {L"\r\n\r\nUninstall filters. Checking Registry...",
              L"\r\n\r\nAll UNINSTALLED filters must show (ERROR=2) or (no access))\r\n"};
    case kAfterInstall:
      return {L"\r\n\r\nInstall filters. Checking Registry...",
              L"\r\n\r\nAll INSTALLED filters must show OK or (no access))\r\n"};
  }
  return {};
}

}  // namespace

void CheckFilter(ReloadState& state, ReloadSystem& system, std::wstring_view identifier) {
  if (identifier == kAudioCapturerId) {
    CheckAudioCapturer(system, identifier);
    return;
  }
  const std::wstring id(identifier);
  const std::wstring path = fw::Clip(L"CLSID\\" + id + L"\\InprocServer32", kRegistryPathLimit);
  const RegistryText server = system.ReadText(RegistryRoot::ClassesRoot, path, L"");
  std::wstring line;
  if (server.openResult == kAccessDenied) {
    line = L"\r\n" + id + L" OK (no access)";
  } else if (server.openResult != 0) {
    line = L"\r\n" + id + L" failed open (ERROR=" + std::to_wstring(server.openResult) + L")";
  } else if (server.readResult != 0) {
    line = L"\r\n" + id + L" failed query value (ERROR=" + std::to_wstring(server.readResult) + L")";
  } else {
    state.ServerPathText = fw::Clip(server.text, kServerPathLimit);
    line = L"\r\n" + state.ServerPathText + L" OK";
  }
  AppendLog(system, line);
}

void CheckFilters(ReloadState& state, ReloadSystem& system) {
  const Frame frame = FrameOf(state.CheckMode);
  AppendLog(system, frame.heading);
  for (std::size_t i = 0; i < kCommonFilterCount; ++i) CheckFilter(state, system, FilterList[i]);
  AppendLog(system, L"\r\n\r\nNext items for Lumora only\r\n");
  for (std::size_t i = kCommonFilterCount; i < kFilterCount; ++i) {
    CheckFilter(state, system, FilterList[i]);
  }
  AppendLog(system, frame.closing);
}

}  // namespace reload
