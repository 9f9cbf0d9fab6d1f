#include "text.h"

#include <limits>

namespace fw {

int32_t ReadDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kMax + 1) value = kMax + 1;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value > kMax ? kMax : value);
}

int32_t ReadDecimalAt(std::string_view text, std::size_t pos) {
  return pos < text.size() ? ReadDecimal(text.substr(pos)) : 0;
}

}  // namespace fw
