// What the dialogs may do to the scheduler engine, and that done by the engine.
#pragma once

#include <string>

#include "engine.h"

namespace ormidal {

class SchedulerSwitch {
 public:
  virtual ~SchedulerSwitch() = default;
  virtual void Enable() = 0;   // EnableScheduler on the schedule file
  // DisableScheduler; why: by the user, or by an edit of the schedule.
  virtual void Disable(HistoryCause why) = 0;
  virtual bool Active() const = 0;         // schedulerActive
  virtual bool StopRequested() const = 0;  // stopRequested
  // Some entry's window is open now.
  virtual bool Counting() const = 0;
};

// The one place the user interface reaches into the engine's state.
class EngineSwitch final : public SchedulerSwitch {
 public:
  EngineSwitch(Engine& engine, std::string schedulePath)
      : engine_(engine), schedulePath_(std::move(schedulePath)) {}
  void Enable() override;
  void Disable(HistoryCause why) override;
  bool Active() const override;
  bool StopRequested() const override;
  bool Counting() const override;

 private:
  Engine& engine_;
  std::string schedulePath_;
};

}  // namespace ormidal
