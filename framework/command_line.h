// The command-line walk: the process command line split by the usual Windows
// rules, each argument handed to CollectParameter with its flag and last marks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fw {

// Splits a whole command line (program name first) into its arguments, the
// program name included, as the Windows C runtime does: blanks and tabs
// separate, double quotes group, 2n backslashes before a quote give n
// backslashes and a grouping quote, 2n+1 give n and a literal quote, and a
// doubled quote inside a group is a literal quote. The program name ends at
// the first blank outside quotes and knows no escapes.
template <class Char>
std::vector<std::basic_string<Char>> SplitCommandLine(std::basic_string_view<Char> line);

template <class Char>
class CommandLineInfo {
 public:
  virtual ~CommandLineInfo() = default;
  // text is the argument without a leading "-" or "/"; flag tells whether it
  // had one; last marks the final argument of the command line.
  virtual void CollectParameter(const std::basic_string<Char>& text, bool flag, bool last) = 0;
};

// Hands every argument after the program name to info, left to right.
template <class Char>
void WalkCommandLine(std::basic_string_view<Char> line, CommandLineInfo<Char>& info);

}  // namespace fw
