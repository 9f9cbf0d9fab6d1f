#include "startup.h"

#include "report.h"
#include "text.h"

namespace reload {

std::wstring GetModuleFolder(std::wstring_view programPath) {
  return fw::FolderOfPath(programPath, kTextLimit);
}

void CmdLineInfo::CollectParameter(const std::wstring& text, bool /*flag*/, bool /*last*/) {
  if (state_.parameterCount < kParameterSlots) {
    state_.ParameterTable.push_back(fw::Clip(text, kTextLimit));
  } else {
    state_.MessageText = L"Too many parameters " + std::to_wstring(state_.parameterCount);
    ShowReloadMessage(system_, state_.MessageText, 0);
  }
  ++state_.parameterCount;
}

void SelectProduct(ReloadState& state) {
  const auto& table = state.ParameterTable;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (fw::Contains(table[i], L"w")) {
      if (i + 1 < table.size()) state.ProductName = table[i + 1];
      break;
    }
  }
  if (state.ProductName.empty()) {
    const bool lumoraFolder =
        fw::Contains(state.ModuleFolder, L"Lumora") || fw::Contains(state.ModuleFolder, L"Fendrel");
    state.ProductName = lumoraFolder ? L"Lumora" : L"Vantor";
  }
}

std::string ToLogBytes(std::wstring_view text, ReloadSystem& system) {
  std::wstring lines;
  lines.reserve(text.size() + 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
      lines += L"\r\n";
      ++i;
    } else if (text[i] == L'\n') {
      lines += L"\r\n";
    } else {
      lines += text[i];
    }
  }
  return system.WideToAnsi(lines);
}

void AppendLog(ReloadState& state, ReloadSystem& system) {
  if (state.logOpen) system.WriteLog(ToLogBytes(state.MessageText, system));
}

int ShowReloadMessage(ReloadSystem& system, const std::wstring& text, uint32_t type) {
  return system.ShowMessageBox(text, std::wstring(kMessageCaption), type | kMessageStyle);
}

std::wstring LogFilePath(const ReloadState& state) {
  return state.ModuleFolder + L"\\" + std::wstring(kLogFileName);
}

void CloseAndShowLog(ReloadState& state, ReloadSystem& system) {
  if (!state.logOpen) {
    state.MessageText = L"Cannot write the test report LogFilters.txt.";
    ShowReloadMessage(system, state.MessageText, 0);
    return;
  }
  system.CloseLog();
  state.logOpen = false;
  state.MessageText = state.reportPath;
  system.ShellRun(L"open", state.MessageText);
}

void OpenReport(ReloadState& state, ReloadSystem& system) {
  DetectWindowsVersion(state, system);
  ReadProductVersion(state, system);
  state.MessageText = LogFilePath(state);
  const std::wstring firstChoice = state.MessageText;
  const int32_t firstError = system.OpenLog(firstChoice);
  state.reportPath = firstChoice;
  state.logOpen = firstError == 0;
  // Under Program Files a user without elevation cannot write beside the tool.
  for (const KnownFolder fallback : {KnownFolder::LocalAppData, KnownFolder::Temp}) {
    if (state.logOpen) break;
    const auto folder = system.Folder(fallback);
    if (!folder) continue;
    state.reportPath = AppendPath(*folder, kLogFileName);
    state.logOpen = system.OpenLog(state.reportPath) == 0;
  }
  if (state.logOpen) {
    WriteReportOpening(state, system);
    if (firstError != 0) {
      state.MessageText = L"\r\nThis report could not be written to " + firstChoice + L" (ERROR=" +
                          std::to_wstring(firstError) + L")";
      AppendLog(state, system);
    }
  }
  WriteSystemFacts(state, system);
}

}  // namespace reload
