// A PowerSystem for tests: records every call as one line of text and
// answers from settable results, so a test reads what the system was asked.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "power_system.h"
#include "time_text.h"

namespace ormidal {

class RecordingPower final : public PowerSystem {
 public:
  WakeResult ArmWake(FileTime localTime) override {
    calls.push_back("arm " + FileTimeToText(localTime));
    return armResult;
  }
  bool CancelWake() override {
    calls.push_back("cancel");
    return true;
  }
  AwakeResult HoldAwake(const AwakeReason& reason) override {
    calls.push_back("hold " + reason.text + (reason.displayRequired ? " +display" : ""));
    return holdResult;
  }
  bool ReleaseAwake() override {
    calls.push_back("release");
    return true;
  }
  PowerFacts ReadPowerFacts() override {
    ++planReads;
    return facts;
  }

  // The calls since the last Take, which empties the record.
  std::vector<std::string> Take() { return std::exchange(calls, {}); }

  WakeResult armResult = WakeResult::kArmed;
  AwakeResult holdResult = AwakeResult::kRequested;
  // A laptop, plugged in, whose plan lets timers wake it.
  PowerFacts facts = [] {
    PowerFacts laptop;
    laptop.battery = true;
    laptop.modernStandby = false;
    laptop.onBattery = false;
    laptop.wakeTimers = {WakeTimerSetting::kEnabled, WakeTimerSetting::kEnabled};
    return laptop;
  }();
  std::vector<std::string> calls;
  int planReads = 0;
};

}  // namespace ormidal
