// Implements the conversions of text_win32.h with MultiByteToWideChar and
// WideCharToMultiByte.
#include "text_win32.h"

namespace fw {

std::wstring Widen(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view text, UINT codePage, Unmapped unmapped) {
  if (text.empty()) return {};
  // UTF-8 holds every character and takes neither option.
  const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
  const bool question = unmapped == Unmapped::kQuestionMark && !utf8;
  const DWORD flags = question ? WC_NO_BEST_FIT_CHARS : 0;
  const char* unknown = question ? "?" : nullptr;
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, unknown, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), size, out.data(), n, unknown, nullptr);
  return out;
}

}  // namespace fw
