// What the engine keeps of the schedule while it runs: one entry per opened
// window and one armed flag per line.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "time_text.h"

namespace ormidal {

constexpr std::size_t kEntryPositionLimit = 199;  // timePos of a ScheduleEntry
constexpr std::size_t kSlotCount = 200;           // lines the scheduling pass examines

constexpr int32_t kTaskStart = 1;
constexpr int32_t kTaskStop = 2;

// What an entry is made with, fixed from then on; the dialog's fill takes a
// copy of it to the user-interface thread.
struct EntryValues {
  FileTime startTime = 0;
  FileTime endTime = 0;
  int32_t daily = 0;
  int32_t once = 0;
  int32_t dayOfWeek = 0;
  std::string timeUrl;
  std::string timeName;
  std::string timeProg;  // lower case
  std::string timePos;   // only when the line's position holds a comma
  int32_t posLeft = 0;
  int32_t posTop = 0;
  int32_t posRight = 0;
  int32_t posBottom = 0;
};

// Made for every entry whose window has opened; shared by its Timer and the
// requests that Timer starts, and released after the last of them. Its times
// are fixed when it is made, so every request knows the entry's own length.
struct ScheduleEntry : EntryValues {
  std::atomic<int32_t> task{0};  // 0 nothing, 1 start requested, 2 stop requested
  std::atomic<int32_t> failed{0};
};

// The window a line last started: none has start 0.
struct ServedWindow {
  FileTime start = 0;
  FileTime end = 0;
};

// One flag per line position: set while the line's current window is armed.
struct ActiveSlots {
  std::array<std::atomic<int32_t>, kSlotCount> activeSlot{};
  // Kept per line, so that a window starts once however the clock moves, and
  // a line never records twice at once. Only the pass's side touches it.
  std::array<ServedWindow, kSlotCount> served{};
  void Clear() {
    for (auto& slot : activeSlot) slot.store(0);
    served.fill({});
  }
  bool Any() const {
    for (const auto& slot : activeSlot) {
      if (slot.load() != 0) return true;
    }
    return false;
  }
};

}  // namespace ormidal
