// What travels between the scheduler and a recording program, as both sides
// put it on the wire. The scheduler, the stand-in recording program and the
// end-to-end tests all take it from here; recording programs already in use
// read these very values, so they never change.
#pragma once

#include <cstdint>

namespace ormidal {

// Start: WM_COPYDATA with this wParam and dwData, carrying the start text.
constexpr uint32_t kStartRequestCode = 707;
constexpr uint32_t kStartRequestData = 0;
// Stop: this registered message, posted with this value as wParam and lParam.
constexpr char kStopMessageName[] = "Fendrel schedule";
constexpr uint32_t kStopRequestCode = 7;
// Registered as well; the scheduler's main window answers it, and the stop
// message, with 1.
constexpr char kMouseClickMessageName[] = "mouse click";

// The start text: "NAME pos: L,T,R,B url: URL pro: PROGRAM sec: SECONDS".
constexpr char kStartPositionMarker[] = " pos: ";
constexpr char kStartUrlMarker[] = " url: ";
constexpr char kStartProgramMarker[] = " pro: ";
constexpr char kStartSecondsMarker[] = " sec: ";

}  // namespace ormidal
