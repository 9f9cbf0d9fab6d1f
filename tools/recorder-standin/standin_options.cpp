#include "standin_options.h"

#include <charconv>

namespace standin {

StandinOptions ParseStandinArguments(const std::vector<std::string>& arguments) {
  StandinOptions o;
  bool titleSeen = false;
  for (std::size_t i = 0; i < arguments.size() && o.error.empty(); ++i) {
    const std::string& a = arguments[i];
    const bool isOption = !a.empty() && (a[0] == '/' || a[0] == '-');
    if (!isOption) {
      if (titleSeen) o.error = "more than one title: " + a;
      o.title = a;
      titleSeen = true;
      continue;
    }
    const std::string name = a.substr(1);
    if (name != "start" && name != "seconds") {
      o.error = "unknown option " + a;
    } else if (i + 1 >= arguments.size()) {
      o.error = a + " needs a value";
    } else if (name == "start") {
      o.startCommand = arguments[++i];
    } else {
      const std::string& value = arguments[++i];
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), o.seconds);
      if (ec != std::errc() || end != value.data() + value.size() || o.seconds <= 0) {
        o.error = "/seconds needs a positive whole number, not " + value;
      }
    }
  }
  return o;
}

}  // namespace standin
