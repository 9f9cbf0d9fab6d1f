// The scheduler's history as ormidal-check reads it: any bytes. Every event
// read back is written again to a line that reads as the same event.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "history.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace ormidal;
  const std::string_view contents(reinterpret_cast<const char*>(data), size);
  const HistoryContents history = ReadHistory(contents);
  FUZZ_CHECK(history.events.size() + history.damaged <= size);
  for (const HistoryEvent& event : history.events) {
    const std::string line = HistoryLine(event);
    FUZZ_CHECK(line.size() >= 2 && line.find('\n') == line.size() - 1);
    FUZZ_CHECK(ReadHistoryLine(line) == event);
  }
  return 0;
}
