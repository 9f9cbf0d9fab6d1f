#include "registry_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace reload {
namespace {

// A value as the registry holds it: its bytes exactly, with no room after them.
ValueQuery ValueOf(std::string bytes, int32_t sizeResult = 0) {
  return [bytes, sizeResult](unsigned char* data, uint32_t& size) -> int32_t {
    const auto stored = static_cast<uint32_t>(bytes.size());
    if (data == nullptr) {
      size = stored;
      return sizeResult;
    }
    if (size < stored) {
      size = stored;
      return 234;  // ERROR_MORE_DATA
    }
    std::copy(bytes.begin(), bytes.end(), data);
    size = stored;
    return 0;
  };
}

TEST(ReadStringValue, OddLengthWithoutTerminatorIsReadWithinItsBytes) {
  // "ABC" in UTF-16 without the high byte of C nor a terminator: the half
  // character is dropped and nothing past the fifth byte is read.
  EXPECT_EQ(ReadStringValue(ValueOf(std::string("A\0B\0C", 5))).text, L"AB");
  EXPECT_EQ(ReadStringValue(ValueOf(std::string("A\0B\0", 4))).text, L"AB");
  EXPECT_EQ(ReadStringValue(ValueOf(std::string("A\0\0\0B\0", 6))).text, L"A");
  EXPECT_EQ(ReadStringValue(ValueOf(std::string("\xAC\x20\x0E\x04", 4))).text, L"\u20AC\u040E");
  EXPECT_EQ(ReadStringValue(ValueOf(std::string("A", 1))).text, L"");
  const StringValue empty = ReadStringValue(ValueOf(std::string()));
  EXPECT_EQ(empty.result, 0);
  EXPECT_EQ(empty.text, L"");
  const StringValue missing = ReadStringValue(ValueOf(std::string("A\0", 2), 2));
  EXPECT_EQ(missing.result, 2);
  EXPECT_EQ(missing.text, L"");
}

}  // namespace
}  // namespace reload
