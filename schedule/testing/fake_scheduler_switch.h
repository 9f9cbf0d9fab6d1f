// A scheduler switch for the dialogs' flows: its state moves as the engine's
// flags do, and every Enable and Disable is written into a journal that a
// test may share with its other fakes, so the order of calls shows.
#pragma once

#include <string>
#include <vector>

#include "scheduler_switch.h"

namespace ormidal {

class FakeSchedulerSwitch final : public SchedulerSwitch {
 public:
  explicit FakeSchedulerSwitch(std::vector<std::string>& journal) : journal_(journal) {}

  // As EnableScheduler: stopRequested clears; schedulerActive stays clear when
  // the schedule file cannot be loaded (loadFails).
  void Enable() override {
    journal_.push_back("enable");
    stopRequested = false;
    active = !loadFails;
  }
  void Disable(HistoryCause why) override {
    journal_.push_back("disable");
    causes.push_back(why);
    stopRequested = true;
    active = false;
  }
  bool Active() const override { return active; }
  bool StopRequested() const override { return stopRequested; }
  bool Counting() const override { return counting; }

  bool active = true;  // as the engine starts
  bool stopRequested = false;
  bool counting = false;
  bool loadFails = false;
  std::vector<HistoryCause> causes;  // of every Disable, in order

 private:
  std::vector<std::string>& journal_;
};

}  // namespace ormidal
