#include "scheduler_switch.h"

namespace ormidal {

void EngineSwitch::Enable() { engine_.EnableScheduler(schedulePath_); }
void EngineSwitch::Disable() { engine_.DisableScheduler(); }
bool EngineSwitch::Active() const { return engine_.flags.schedulerActive.load() != 0; }
bool EngineSwitch::StopRequested() const { return engine_.flags.stopRequested.load() != 0; }
void EngineSwitch::RequestStop() { engine_.flags.stopRequested.store(1); }
bool EngineSwitch::Counting() const { return engine_.slots.Any(); }

}  // namespace ormidal
