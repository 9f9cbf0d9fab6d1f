#include "command_line.h"

namespace fw {
namespace {

template <class Char>
bool IsBlank(Char c) {
  return c == Char(' ') || c == Char('\t');
}

}  // namespace

template <class Char>
std::vector<std::basic_string<Char>> SplitCommandLine(std::basic_string_view<Char> line) {
  std::vector<std::basic_string<Char>> args;
  std::size_t i = 0;
  const std::size_t n = line.size();

  // Program name: quotes only toggle, backslashes are plain characters.
  std::basic_string<Char> program;
  bool quoted = false;
  for (; i < n; ++i) {
    const Char c = line[i];
    if (c == Char('"')) {
      quoted = !quoted;
    } else if (!quoted && IsBlank(c)) {
      break;
    } else {
      program += c;
    }
  }
  args.push_back(program);

  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;
    std::basic_string<Char> arg;
    bool inQuotes = false;
    while (i < n) {
      const Char c = line[i];
      if (!inQuotes && IsBlank(c)) break;
      if (c == Char('\\')) {
        std::size_t slashes = 0;
        while (i < n && line[i] == Char('\\')) {
          ++slashes;
          ++i;
        }
        if (i < n && line[i] == Char('"')) {
          arg.append(slashes / 2, Char('\\'));
          if (slashes % 2 == 1) {
            arg += Char('"');
            ++i;
          }
        } else {
          arg.append(slashes, Char('\\'));
        }
        continue;
      }
      if (c == Char('"')) {
        if (inQuotes && i + 1 < n && line[i + 1] == Char('"')) {
          arg += Char('"');
          i += 2;
          continue;
        }
        inQuotes = !inQuotes;
        ++i;
        continue;
      }
      arg += c;
      ++i;
    }
    args.push_back(arg);
  }
  return args;
}

template <class Char>
void WalkCommandLine(std::basic_string_view<Char> line, CommandLineInfo<Char>& info) {
  const auto args = SplitCommandLine<Char>(line);
  for (std::size_t k = 1; k < args.size(); ++k) {
    const auto& arg = args[k];
    const bool flag = !arg.empty() && (arg[0] == Char('-') || arg[0] == Char('/'));
    info.CollectParameter(flag ? arg.substr(1) : arg, flag, k + 1 == args.size());
  }
}

template std::vector<std::string> SplitCommandLine<char>(std::string_view);
template std::vector<std::wstring> SplitCommandLine<wchar_t>(std::wstring_view);
template void WalkCommandLine<char>(std::string_view, CommandLineInfo<char>&);
template void WalkCommandLine<wchar_t>(std::wstring_view, CommandLineInfo<wchar_t>&);

}  // namespace fw
