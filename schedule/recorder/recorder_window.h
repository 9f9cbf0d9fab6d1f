// Which top-level window is the recording program's. A File Explorer window
// showing a folder of the same name (the recorder's own output folder, say)
// carries exactly that title, and must never get a request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ormidal {

// One top-level window as the system lists it.
struct TopLevelWindow {
  std::string title;      // in the system code page
  std::string className;
  uint32_t processId = 0;
};

// The index of the recording program's window among windows, which come in
// Z-order, topmost first: the first whose title equals title as FindWindowA
// compares (letters in either case) and that is no File Explorer window
// (its classes, or any window of the shell's process; 0: no shell).
std::optional<std::size_t> ChooseRecorderWindow(const std::vector<TopLevelWindow>& windows,
                                                std::string_view title, uint32_t shellProcessId);

}  // namespace ormidal
