#include "wait_timer.h"

#include <gtest/gtest.h>

namespace ormidal {
namespace {

TEST(ChooseWaitTimer, HighResolutionOnlyWhereCreatedAndAskedAgainOnlyAfterPassingFaults) {
  using A = HighResolutionAnswer;
  constexpr auto kBest = WaitTimerWanted::kBest;
  constexpr auto kHigh = WaitTimer::kHighResolution;
  constexpr auto kMm = WaitTimer::kMultimedia;
  struct Row {
    WaitTimerWanted wanted;
    A answer;
    WaitTimer timer;
    bool askNextTime;
  } const rows[] = {
      {kBest, A::kCreated, kHigh, true},
      {kBest, A::kRefused, kMm, false},  // before Windows 10 1803
      {kBest, A::kMissing, kMm, false},
      {kBest, A::kNotAsked, kMm, false},
      {kBest, A::kFailed, kMm, true},
      {WaitTimerWanted::kMultimedia, A::kCreated, kMm, false},
  };
  for (const Row& row : rows) {
    const WaitTimerChoice choice = ChooseWaitTimer(row.wanted, row.answer);
    EXPECT_EQ(choice.timer, row.timer) << static_cast<int>(row.answer);
    EXPECT_EQ(choice.askNextTime, row.askNextTime) << static_cast<int>(row.answer);
  }
}

}  // namespace
}  // namespace ormidal
