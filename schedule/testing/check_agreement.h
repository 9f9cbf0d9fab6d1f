// Holds the schedule check against the engine itself: a schedule made from
// choice bytes is checked, then run by the real engine on the simulated
// clock, and the start and stop requests of both must be the same, at the
// same seconds. Used by the unit tests and by a fuzz target.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "time_text.h"

namespace ormidal {

struct AgreementCase {
  std::string schedule;
  CalendarRecord now;   // whole seconds: the simulated clock starts there
  int seconds = 86400;  // how long the engine runs
  bool audioMode = false;
};

// Lines of every repeat kind, windows across midnight, at the edges of the
// run and of their own, damaged lines, refused positions, repeated names.
// Each byte of choices steers one decision; missing bytes read as 0.
AgreementCase GenerateCase(std::string_view choices, int seconds);

// Every difference between what the check predicts and what the engine
// does over the case's seconds, one a line; empty when they agree. requests,
// when given, receives how many requests the engine sent.
std::string CompareWithEngine(const AgreementCase& agreementCase, std::size_t* requests = nullptr);

}  // namespace ormidal
