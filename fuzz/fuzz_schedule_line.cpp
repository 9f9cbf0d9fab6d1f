// The schedule file's line walk and field extraction over arbitrary bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "schedule_file.h"

namespace {

using namespace ormidal;

constexpr std::array<std::string_view, 6> kSeparators = {
    kUrlSeparator, kStartSeparator, kEndSeparator, kRepeatSeparator, kProgSeparator, kWndSeparator};

std::size_t Count(std::string_view text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

void CheckFields(const EntryFields& f) {
  for (const std::string* field : {&f.timeName, &f.timeUrl, &f.timeStart, &f.timeEnd, &f.timeDay,
                                   &f.timeProg, &f.timePos}) {
    FUZZ_CHECK(field->size() <= kFieldLimit);
  }
  // Each field ends at the first separator that should follow it.
  FUZZ_CHECK(!Contains(f.timeName, kUrlSeparator));
  FUZZ_CHECK(!Contains(f.timeUrl, kStartSeparator));
  FUZZ_CHECK(!Contains(f.timeStart, kEndSeparator));
  FUZZ_CHECK(!Contains(f.timeEnd, kRepeatSeparator));
  FUZZ_CHECK(!Contains(f.timeDay, kProgSeparator));
  FUZZ_CHECK(!Contains(f.timeProg, kWndSeparator));
  FUZZ_CHECK(!Contains(f.timePos, "\r"));
}

bool SameFields(const EntryFields& a, const EntryFields& b) {
  return a.timeName == b.timeName && a.timeUrl == b.timeUrl && a.timeStart == b.timeStart &&
         a.timeEnd == b.timeEnd && a.timeDay == b.timeDay && a.timeProg == b.timeProg &&
         a.timePos == b.timePos;
}

void ExtractBoth(std::string_view line) {
  EntryFields skip, empty;
  // Leftovers of an earlier line must never survive an extraction.
  skip.timeName = empty.timeUrl = "stale";
  const Extraction s = ExtractEntryLine(line, skip, OutOfOrder::kSkipLine);
  const Extraction e = ExtractEntryLine(line, empty, OutOfOrder::kEmptyField);
  CheckFields(skip);
  CheckFields(empty);
  FUZZ_CHECK(s.readError == e.readError);
  FUZZ_CHECK(SameFields(skip, empty));
  const bool hasProgAndWnd = Contains(line, kProgSeparator) && Contains(line, kWndSeparator);
  if (s.kind == LineKind::kEntry) FUZZ_CHECK(e.kind == LineKind::kEntry);
  if (e.kind == LineKind::kEntry) FUZZ_CHECK(hasProgAndWnd);
  if (!hasProgAndWnd) FUZZ_CHECK(e.kind == LineKind::kNotEntry);
  if (!Contains(line, kUrlSeparator)) FUZZ_CHECK(skip.timeName.empty());
}

// Arbitrary text: every line the reader yields, rejoined, gives the text back.
void WalkText(std::string_view text) {
  LineReader reader(text);
  std::string_view line;
  std::string rejoined;
  std::size_t lines = 0;
  while (reader.Next(line)) {
    FUZZ_CHECK(!Contains(line, "\n"));
    FUZZ_CHECK(line.data() >= text.data() && line.data() + line.size() <= text.data() + text.size());
    if (lines++ > 0) rejoined += '\n';
    rejoined.append(line);
    ExtractBoth(line);
  }
  if (!text.empty() && text.back() == '\n') rejoined += '\n';
  FUZZ_CHECK(rejoined == text);
  FUZZ_CHECK(!reader.Next(line));
}

// Seven fields joined as a writer joins them come back unchanged whenever
// no separator occurs in the line other than where it was put.
void RoundTrip(FuzzedDataProvider& in) {
  EntryFields f;
  for (std::string* field : {&f.timeName, &f.timeUrl, &f.timeStart, &f.timeEnd, &f.timeDay,
                             &f.timeProg, &f.timePos}) {
    *field = in.ConsumeRandomLengthString(600);
  }
  std::string line = f.timeName;
  const std::array<const std::string*, 6> rest = {&f.timeUrl, &f.timeStart, &f.timeEnd,
                                                  &f.timeDay, &f.timeProg, &f.timePos};
  for (std::size_t k = 0; k < kSeparators.size(); ++k) line.append(kSeparators[k]).append(*rest[k]);
  const bool lineBreak = in.ConsumeBool();
  if (lineBreak) line += "\r\n";
  ExtractBoth(line);
  for (const std::string_view separator : kSeparators) {
    if (Count(line, separator) != 1) return;
  }
  if (Contains(f.timePos, "\r")) return;
  EntryFields back;
  const Extraction x = ExtractEntryLine(line, back);
  FUZZ_CHECK(x.kind == LineKind::kEntry);
  FUZZ_CHECK(!x.readError);
  FUZZ_CHECK(SameFields(back, f));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if (data[0] % 2 == 0) {
    WalkText(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  } else {
    FuzzedDataProvider in(data + 1, size - 1);
    RoundTrip(in);
  }
  return 0;
}
