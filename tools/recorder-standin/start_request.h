// What a recording program reads from the scheduler's start request:
// "NAME pos: L,T,R,B url: URL pro: PROGRAM sec: SECONDS".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "recorder_protocol.h"

namespace standin {

using ormidal::kStartRequestCode;
using ormidal::kStopMessageName;
using ormidal::kStopRequestCode;

constexpr char kDefaultTitle[] = "Lumora";

struct StartRequest {
  std::string name;
  std::string position;  // "L,T,R,B", empty for the audio recorder
  std::string url;       // an address or a file path
  std::string program;
  // The duration as sent; 4294967295 stands for a duration the scheduler
  // could not read, so it is kept as a full unsigned 32-bit value.
  uint32_t seconds = 0;
};

// Splits a start text into its parts; nullopt when a marker is missing (a
// text cut at its limit, or not a start request at all). The file name is
// taken up to the first position marker and the URL up to the last program
// marker, so a URL may hold any text.
std::optional<StartRequest> ParseStartText(std::string_view text);

struct WindowRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
// "L,T,R,B" with a positive width and height; nullopt otherwise.
std::optional<WindowRect> ParsePosition(std::string_view position);

// The audio recorder, whose title contains "Sonvee", gets 8-bit text.
bool IsAudioTitle(std::string_view title);

}  // namespace standin
