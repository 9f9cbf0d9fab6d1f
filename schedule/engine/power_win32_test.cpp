#include "power_win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "time_text_win32.h"

namespace ormidal {
namespace {

constexpr FileTime kMillisecond = kTicksPerSecond / 1000;

FileTime LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  FileTime now = 0;
  EXPECT_TRUE(RecordToFileTime(FromSystemTime(st), now));
  return now;
}

// Two whole seconds of the local clock ahead.
FileTime TwoSecondsAhead() {
  const FileTime now = LocalNow();
  return now - now % kTicksPerSecond + 2 * kTicksPerSecond;
}

bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// The test runs in a zone three quarters of an hour off any whole hour
// (its ctest environment), so a wake armed in the wrong clock is seen.
TEST(Win32PowerSystem, AWakeSignalsAtItsLocalSecond) {
  Win32PowerSystem power;
  const FileTime due = TwoSecondsAhead();
  const WakeResult armed = power.ArmWake(due);
  // This Wine's timers never wake a sleeping machine, and it says so.
  if (UnderWine()) {
    EXPECT_EQ(armed, WakeResult::kArmedNoResume);
  } else {
    EXPECT_NE(armed, WakeResult::kFailed);
  }
  ASSERT_EQ(WaitForSingleObject(power.WakeTimer(), 5000), WAIT_OBJECT_0);
  const FileTime woke = LocalNow();
  EXPECT_GE(woke, due);
  EXPECT_LT(woke, due + 100 * kMillisecond)
      << "late by " << static_cast<int64_t>(woke - due) / static_cast<int64_t>(kMillisecond)
      << " ms";

  // Re-armed, then cancelled: it stays quiet past its second.
  const FileTime next = TwoSecondsAhead();
  EXPECT_NE(power.ArmWake(next), WakeResult::kFailed);
  EXPECT_TRUE(power.CancelWake());
  const int64_t left = static_cast<int64_t>(next) - static_cast<int64_t>(LocalNow());
  const auto quietFor =
      static_cast<DWORD>(std::max<int64_t>(left, 0) / static_cast<int64_t>(kMillisecond) + 300);
  EXPECT_EQ(WaitForSingleObject(power.WakeTimer(), quietFor), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(power.CancelWake());
}

TEST(Win32PowerSystem, HoldsAndReleasesAwakeAndReadsThePlanOrClaimsNothing) {
  Win32PowerSystem power;
  // This Wine's power requests are stubs: the thread execution state stands in.
  const AwakeResult expected = UnderWine() ? AwakeResult::kExecutionState : AwakeResult::kRequested;
  EXPECT_EQ(power.HoldAwake({"Recording \"Evening news\" until 08:30:00 PM", true}), expected);
  EXPECT_EQ(power.HoldAwake({"Recording \"Late show\" until 11:45:00 PM", false}), expected);
  EXPECT_TRUE(power.ReleaseAwake());
  EXPECT_TRUE(power.ReleaseAwake());
  EXPECT_EQ(power.HoldAwake({"Recording \"Night\" until 02:00:00 AM", true}), expected);
  // Destroyed while holding: the fallback thread ends, and its state with it.

  const PowerFacts facts = power.ReadPowerFacts();
  EXPECT_TRUE(facts.battery.has_value());  // GetPwrCapabilities answers, also under Wine
  if (UnderWine()) {
    EXPECT_EQ(facts.wakeTimers,
              (WakeTimerPlan{WakeTimerSetting::kUnreadable, WakeTimerSetting::kUnreadable}));
  } else {
    EXPECT_NE(facts.wakeTimers.onAc, WakeTimerSetting::kUnreadable);
  }
}

}  // namespace
}  // namespace ormidal
