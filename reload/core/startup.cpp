#include "startup.h"

#include "report.h"
#include "text.h"

namespace reload {

std::wstring GetModuleFolder(std::wstring_view programPath) {
  std::wstring_view drive;
  std::wstring_view rest = programPath;
  if (programPath.size() >= 2 && programPath[1] == L':') {
    drive = programPath.substr(0, 2);
    rest = programPath.substr(2);
  }
  const std::size_t lastSlash = rest.find_last_of(L"\\/");
  const std::wstring_view directory =
      lastSlash == std::wstring_view::npos ? std::wstring_view() : rest.substr(0, lastSlash + 1);
  std::wstring folder = fw::Clip(std::wstring(drive) + std::wstring(directory), kTextLimit);
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
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

std::string ToLogBytes(std::wstring_view text) {
  std::string bytes;
  bytes.reserve(text.size() + 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
      bytes += "\r\n";
      ++i;
    } else if (c == L'\n') {
      bytes += "\r\n";
    } else if (static_cast<uint32_t>(c) < 256) {
      bytes += static_cast<char>(static_cast<unsigned char>(c));
    } else {
      // One mark per character: a UTF-16 surrogate pair is a single one.
      const bool highSurrogate = c >= 0xD800 && c <= 0xDBFF;
      if (highSurrogate && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
      bytes += '?';
    }
  }
  return bytes;
}

void AppendLog(ReloadState& state, ReloadSystem& system) {
  if (state.logOpen) system.WriteLog(ToLogBytes(state.MessageText));
}

int ShowReloadMessage(ReloadSystem& system, const std::wstring& text, uint32_t type) {
  return system.ShowMessageBox(text, std::wstring(kMessageCaption), type | kMessageStyle);
}

std::wstring LogFilePath(const ReloadState& state) {
  return state.ModuleFolder + L"\\" + std::wstring(kLogFileName);
}

void CloseAndShowLog(ReloadState& state, ReloadSystem& system) {
  if (!state.logOpen) return;
  system.CloseLog();
  state.logOpen = false;
  state.MessageText = LogFilePath(state);
  system.ShellRun(L"open", state.MessageText);
}

void OpenReport(ReloadState& state, ReloadSystem& system) {
  DetectWindowsVersion(state, system);
  ReadProductVersion(state, system);
  state.MessageText = LogFilePath(state);
  state.logOpen = system.OpenLog(state.MessageText);
  if (state.logOpen) WriteReportOpening(state, system);
  WriteSystemFacts(state, system);
}

}  // namespace reload
