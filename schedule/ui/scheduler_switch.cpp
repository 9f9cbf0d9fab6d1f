#include "scheduler_switch.h"

namespace ormidal {

void EngineSwitch::Enable() { engine_.EnableScheduler(schedulePath_); }
void EngineSwitch::Disable(HistoryCause why) { engine_.DisableScheduler(why); }
bool EngineSwitch::Active() const { return engine_.SchedulerActive(); }
bool EngineSwitch::StopRequested() const { return engine_.StopRequested(); }
bool EngineSwitch::Counting() const { return engine_.AnySlotArmed(); }

}  // namespace ormidal
