// Registry text values as the system hands them over: a byte count and the
// bytes, which need not end in a terminator nor hold whole characters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace reload {

// One RegQueryValueEx call: data may be null to ask only for the size; size
// holds the buffer's bytes going in and the value's bytes coming out.
using ValueQuery = std::function<int32_t(unsigned char* data, uint32_t& size)>;

struct StringValue {
  int32_t result = 0;  // the system's code; 0 when read
  std::wstring text;   // UTF-16 up to the first zero character
};

// Reads a string value in the system's two steps, size then data.
StringValue ReadStringValue(const ValueQuery& query);

}  // namespace reload
