#include "engine_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

#include <windows.h>

namespace ormidal {
namespace {

TEST(Win32EngineSystem, DelayEndsJustAfterTheNextWholeSecond) {
  EXPECT_EQ(DelayToNextSecond(0), 1003u);
  EXPECT_EQ(DelayToNextSecond(250), 753u);
  EXPECT_EQ(DelayToNextSecond(999), 4u);
}

TEST(Win32EngineSystem, AWaitEndsInTheNextSecondOfTheLocalClock) {
  for (const WaitTimerWanted wanted : {WaitTimerWanted::kBest, WaitTimerWanted::kMultimedia}) {
    Win32EngineSystem system(wanted);
    auto waiter = system.NewWaiter();
    for (int i = 0; i < 3; ++i) {
      const CalendarRecord before = system.LocalTime();
      const auto started = std::chrono::steady_clock::now();
      waiter->Wait();
      const CalendarRecord after = system.LocalTime();
      EXPECT_NE(after.second, before.second) << static_cast<int>(wanted);
      EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2500));
    }
  }
}

TEST(Win32EngineSystem, ThreadsRunDetached) {
  Win32EngineSystem system;
  // Shared, so a thread that starts late never touches a finished test's stack.
  auto ran = std::make_shared<std::atomic<int>>(0);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(system.StartThread([ran] { ++*ran; }));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (ran->load() < 5 && std::chrono::steady_clock::now() < deadline) {
    Sleep(10);
  }
  EXPECT_EQ(ran->load(), 5);
}

}  // namespace
}  // namespace ormidal
