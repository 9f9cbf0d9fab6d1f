// The stand-in recording program's command line:
//   recorder-standin [TITLE] [/start "COMMAND LINE"] [/seconds N]
#pragma once

#include <string>
#include <vector>

namespace standin {

struct StandinOptions {
  std::string title = "Lumora";
  std::string startCommand;  // started once the window exists, as a recording program starts the scheduler
  int seconds = 0;           // > 0: end by itself after this many seconds
  std::string error;         // not empty: the command line was not understood
};

// Options start with "/" or "-"; the first other argument is the title.
StandinOptions ParseStandinArguments(const std::vector<std::string>& arguments);

}  // namespace standin
