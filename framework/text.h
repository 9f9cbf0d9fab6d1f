// Text helpers shared by both programs: every stated limit is enforced here,
// and numbers are read the one way the programs read them everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fw {

// Shortens text to at most limit characters; longer input is never an error.
template <class Char>
std::basic_string<Char> Clip(std::basic_string_view<Char> text, std::size_t limit) {
  return std::basic_string<Char>(text.substr(0, limit));
}
inline std::string Clip(std::string_view text, std::size_t limit) { return Clip<char>(text, limit); }
inline std::wstring Clip(std::wstring_view text, std::size_t limit) { return Clip<wchar_t>(text, limit); }

// Decimal reading as the C library's atoi does it: leading white space, one
// optional sign, digits up to the first non-digit, 0 without digits. Values
// beyond 32 bits saturate instead of overflowing.
int32_t ReadDecimal(std::string_view text);

// ReadDecimal of the text starting at position pos; 0 when pos is past the end.
int32_t ReadDecimalAt(std::string_view text, std::size_t pos);

inline bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}
inline bool Contains(std::wstring_view text, std::wstring_view part) {
  return text.find(part) != std::wstring_view::npos;
}

// The last two decimal digits of value: "05" for 5, "26" for 2026.
template <class Char = char>
std::basic_string<Char> TwoDigits(int value) {
  const int v = ((value % 100) + 100) % 100;
  return {static_cast<Char>('0' + v / 10), static_cast<Char>('0' + v % 10)};
}

// Drive and folder of a program path: cut to limit characters, then without
// one trailing backslash ("C:\Tools\x.exe" gives "C:\Tools", "C:\x.exe" "C:").
template <class Char>
std::basic_string<Char> FolderOfPath(std::basic_string_view<Char> path,
                                     std::size_t limit = std::basic_string_view<Char>::npos) {
  constexpr Char kSeparators[] = {Char('\\'), Char('/'), Char(0)};
  const std::size_t slash = path.find_last_of(kSeparators);
  std::basic_string_view<Char> folder;
  if (slash != std::basic_string_view<Char>::npos) {
    folder = path.substr(0, slash + 1);
  } else if (path.size() >= 2 && path[1] == Char(':')) {
    folder = path.substr(0, 2);
  }
  folder = folder.substr(0, limit);
  if (!folder.empty() && folder.back() == Char('\\')) folder.remove_suffix(1);
  return std::basic_string<Char>(folder);
}

}  // namespace fw
