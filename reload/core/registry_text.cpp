#include "registry_text.h"

#include <algorithm>
#include <vector>

namespace reload {

StringValue ReadStringValue(const ValueQuery& query) {
  StringValue out;
  uint32_t size = 0;
  out.result = query(nullptr, size);
  if (out.result != 0) return out;
  std::vector<unsigned char> data(size);
  out.result = query(data.data(), size);
  if (out.result != 0) return out;
  // Only the bytes the value holds, whole UTF-16 units of them, little-endian
  // whatever the build's wchar_t: an odd last byte is half a character.
  const std::size_t units = std::min<std::size_t>(size, data.size()) / 2;
  for (std::size_t i = 0; i < units; ++i) {
    const auto unit = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
    if (unit == L'\0') break;
    out.text += unit;
  }
  return out;
}

}  // namespace reload
