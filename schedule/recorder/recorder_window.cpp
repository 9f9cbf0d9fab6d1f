#include "recorder_window.h"

#include <algorithm>

namespace ormidal {
namespace {

constexpr std::string_view kExplorerClasses[] = {"CabinetWClass", "ExploreWClass"};

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameTitle(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

bool IsExplorer(const TopLevelWindow& window, uint32_t shellProcessId) {
  if (shellProcessId != 0 && window.processId == shellProcessId) return true;
  return std::find(std::begin(kExplorerClasses), std::end(kExplorerClasses), window.className) !=
         std::end(kExplorerClasses);
}

}  // namespace

std::optional<std::size_t> ChooseRecorderWindow(const std::vector<TopLevelWindow>& windows,
                                                std::string_view title, uint32_t shellProcessId) {
  for (std::size_t i = 0; i < windows.size(); ++i) {
    if (SameTitle(windows[i].title, title) && !IsExplorer(windows[i], shellProcessId)) return i;
  }
  return std::nullopt;
}

}  // namespace ormidal
