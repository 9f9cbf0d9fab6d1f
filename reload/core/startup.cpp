#include "startup.h"

#include "text.h"

namespace reload {

std::wstring GetModuleFolder(std::wstring_view programPath) {
  return fw::FolderOfPath(programPath, kTextLimit);
}

void CmdLineInfo::CollectParameter(const std::wstring& text, bool /*flag*/, bool /*last*/) {
  if (state_.parameterCount < kParameterSlots) {
    state_.ParameterTable.push_back(fw::Clip(text, kTextLimit));
  } else {
    ShowReloadMessage(system_, L"Too many parameters " + std::to_wstring(state_.parameterCount), 0);
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

}  // namespace reload
