#include "recorder_window.h"

#include <gtest/gtest.h>

namespace ormidal {
namespace {

constexpr uint32_t kShell = 7;
constexpr std::size_t kNone = 99;

TEST(ChooseRecorderWindow, TakesTheTopmostSameTitleThatIsNoExplorerWindow) {
  const TopLevelWindow recorder{"Lumora", "QWidget", 20};
  const TopLevelWindow folder{"Lumora", "CabinetWClass", 30};
  const TopLevelWindow oldFolder{"Lumora", "ExploreWClass", 31};
  const TopLevelWindow shellOwn{"Lumora", "Progman", kShell};
  const TopLevelWindow other{"Lumora Player", "QWidget", 21};
  const struct {
    std::vector<TopLevelWindow> windows;
    const char* title;
    uint32_t shell;
    std::size_t chosen;
  } cases[] = {
      {{recorder}, "Lumora", kShell, 0},
      {{other, recorder}, "Lumora", kShell, 1},           // the whole title, not a part
      {{recorder}, "LUMORA", kShell, 0},                  // either case, as FindWindowA
      {{folder, recorder}, "Lumora", kShell, 1},          // an Explorer window above it
      {{oldFolder, shellOwn, recorder}, "Lumora", kShell, 2},
      {{shellOwn, recorder}, "Lumora", 0, 0},             // no shell: its class alone decides
      {{recorder, TopLevelWindow{"Lumora", "Other", 22}}, "Lumora", kShell, 0},  // Z-order
      {{folder, oldFolder, shellOwn}, "Lumora", kShell, kNone},
      {{recorder}, "Vantor", kShell, kNone},
      {{TopLevelWindow{"", "Static", 23}}, "", kShell, 0},
  };
  for (const auto& c : cases) {
    const auto chosen = ChooseRecorderWindow(c.windows, c.title, c.shell);
    EXPECT_EQ(chosen.value_or(kNone), c.chosen) << c.title << " among " << c.windows.size();
  }
}

}  // namespace
}  // namespace ormidal
