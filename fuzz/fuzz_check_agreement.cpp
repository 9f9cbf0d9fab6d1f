// The schedule check against the engine: a schedule made from the input's
// bytes is checked and then run by the engine on the simulated clock for
// two hours across a midnight (a whole day per input would outlast the
// fuzzer's time-out; the unit tests run whole days). Every start and stop
// request must come at the second the check predicted.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "check_agreement.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view choices(reinterpret_cast<const char*>(data), size);
  const ormidal::AgreementCase c = ormidal::GenerateCase(choices, 2 * 3600);
  const std::string differences = ormidal::CompareWithEngine(c);
  if (!differences.empty()) std::fprintf(stderr, "%s\n%s", c.schedule.c_str(), differences.c_str());
  FUZZ_CHECK(differences.empty());
  return 0;
}
