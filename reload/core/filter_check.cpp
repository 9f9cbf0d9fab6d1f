#include "filter_check.h"

#include "startup.h"
#include "text.h"

namespace reload {
namespace {

void CheckAudioCapturer(ReloadState& state, ReloadSystem& system, std::wstring_view identifier) {
  const std::wstring path =
      fw::Clip(std::wstring(kAudioCategoryInstance) + std::wstring(identifier), kRegistryPathLimit);
  const int32_t result = system.ProbeKey(RegistryRoot::ClassesRoot, path);
  if (result == 0) {
    state.MessageText = L"\r\n" + std::wstring(kAudioCapturerName) + L" OK";
  } else {
    // Access denied counts as a failure here: the category entry has no server to read.
    state.MessageText = L"\r\n" + std::wstring(identifier) + L" failed query value (ERROR=" +
                        std::to_wstring(result) + L")";
  }
  AppendLog(state, system);
}

}  // namespace

void CheckFilter(ReloadState& state, ReloadSystem& system, std::wstring_view identifier) {
  if (identifier == kAudioCapturerId) {
    CheckAudioCapturer(state, system, identifier);
    return;
  }
  const std::wstring id(identifier);
  const std::wstring path = fw::Clip(L"CLSID\\" + id + L"\\InprocServer32", kRegistryPathLimit);
  const RegistryText server = system.ReadText(RegistryRoot::ClassesRoot, path, L"");
  if (server.openResult == kAccessDenied) {
    state.MessageText = L"\r\n" + id + L" OK (no access)";
  } else if (server.openResult != 0) {
    state.MessageText =
        L"\r\n" + id + L" failed open (ERROR=" + std::to_wstring(server.openResult) + L")";
  } else if (server.readResult != 0) {
    state.MessageText =
        L"\r\n" + id + L" failed query value (ERROR=" + std::to_wstring(server.readResult) + L")";
  } else {
    state.ServerPathText = fw::Clip(server.text, kServerPathLimit);
    state.MessageText = L"\r\n" + state.ServerPathText + L" OK";
  }
  AppendLog(state, system);
}

void CheckFilters(ReloadState& state, ReloadSystem& system) {
  if (state.CheckMode == kAfterUninstall) {
    state.MessageText = L"\r\n\r\nUninstall filters. Checking Registry...";
    AppendLog(state, system);
  } else if (state.CheckMode == kAfterInstall) {
    state.MessageText = L"\r\n\r\nInstall filters. Checking Registry...";
    AppendLog(state, system);
  }
  for (std::size_t i = 0; i < kCommonFilterCount; ++i) CheckFilter(state, system, FilterList[i]);
  state.MessageText = L"\r\n\r\nNext items for Lumora only\r\n";
  AppendLog(state, system);
  for (std::size_t i = kCommonFilterCount; i < kFilterCount; ++i) {
    CheckFilter(state, system, FilterList[i]);
  }
  if (state.CheckMode == kAfterUninstall) {
    state.MessageText = L"\r\n\r\nAll UNINSTALLED filters must show (ERROR=2) or (no access))\r\n";
    AppendLog(state, system);
  } else if (state.CheckMode == kAfterInstall) {
    state.MessageText = L"\r\n\r\nAll INSTALLED filters must show OK or (no access))\r\n";
    AppendLog(state, system);
  }
}

}  // namespace reload
