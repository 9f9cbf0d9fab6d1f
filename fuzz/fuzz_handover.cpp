// The payload of a hand-over from a second start, as the running scheduler
// reads and takes it. Input: the payload.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "handover.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace ormidal;
  const std::string payload(reinterpret_cast<const char*>(data), size);
  const std::optional<Proposal> read = ReadProposal(payload);
  if (!read) return 0;
  // Only exactly what a writer makes is read.
  FUZZ_CHECK(WriteProposal(*read) == payload);
  Options options;
  options.windowName = "Lumora";
  EntryFields current;
  current.timeProg = "player";
  TakeProposal(*read, options, current);
  FUZZ_CHECK(current.timeName == read->file && current.timeUrl == read->url &&
             current.timePos == read->pos && current.timeProg == "player");
  FUZZ_CHECK(options.durationText.size() <= kDurationTextLimit && options.windowName == "Lumora");
  return 0;
}
