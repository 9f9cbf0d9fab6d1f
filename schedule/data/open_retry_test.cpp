#include "open_retry.h"

#include <gtest/gtest.h>

namespace ormidal {
namespace {

using std::chrono::milliseconds;

class FakeClock final : public RetryClock {
 public:
  milliseconds Now() override { return now; }
  void Sleep(milliseconds length) override { now += length; }
  milliseconds now{5000};  // any start
};

TEST(OpenWhileHeld, RetriesOnlyAHoldAndOnlyUntilTheBound) {
  constexpr uint32_t kNotFound = 2, kAccessDenied = 5;
  struct Row {
    uint32_t heldWith;     // the error while held
    milliseconds heldFor;  // from the first try
    uint32_t afterwards;   // the error once let go (0: it opens)
    uint32_t result;
    int tries;
    milliseconds lastTry;
  } const rows[] = {
      {kErrorSharingViolation, milliseconds(3000), 0, 0, 31, milliseconds(3000)},
      {kErrorSharingViolation, milliseconds(60000), 0, kErrorSharingViolation, 101,
       milliseconds(10000)},
      {kErrorLockViolation, milliseconds(60000), 0, kErrorLockViolation, 101, milliseconds(10000)},
      {kErrorSharingViolation, milliseconds(250), kNotFound, kNotFound, 4, milliseconds(300)},
      {kAccessDenied, milliseconds(60000), 0, kAccessDenied, 1, milliseconds(0)},
  };
  for (const Row& row : rows) {
    FakeClock clock;
    const milliseconds start = clock.now;
    int tries = 0;
    milliseconds lastTry{-1};
    const uint32_t result = OpenWhileHeld(
        [&] {
          ++tries;
          lastTry = clock.now - start;
          return lastTry < row.heldFor ? row.heldWith : row.afterwards;
        },
        kScheduleReadRetry, clock);
    EXPECT_EQ(result, row.result) << row.heldWith << " for " << row.heldFor.count();
    EXPECT_EQ(tries, row.tries) << row.heldWith << " for " << row.heldFor.count();
    EXPECT_EQ(lastTry, row.lastTry) << row.heldWith << " for " << row.heldFor.count();
  }
}

}  // namespace
}  // namespace ormidal
