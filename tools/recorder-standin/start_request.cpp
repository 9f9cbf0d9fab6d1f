#include "start_request.h"

#include <charconv>

namespace standin {
namespace {

constexpr std::string_view kPos = ormidal::kStartPositionMarker;
constexpr std::string_view kUrl = ormidal::kStartUrlMarker;
constexpr std::string_view kPro = ormidal::kStartProgramMarker;
constexpr std::string_view kSec = ormidal::kStartSecondsMarker;

bool ReadNumber(std::string_view text, auto& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

}  // namespace

std::optional<StartRequest> ParseStartText(std::string_view text) {
  // An empty file name leaves the text starting with the position marker.
  const std::size_t posAt = text.find(kPos);
  const std::size_t nameEnd = posAt;
  if (posAt == std::string_view::npos) return std::nullopt;
  const std::size_t posValue = posAt + kPos.size();

  const std::size_t urlAt = text.find(kUrl, posValue - 1);
  const std::size_t secAt = text.rfind(kSec);
  if (urlAt == std::string_view::npos || secAt == std::string_view::npos || secAt < urlAt) {
    return std::nullopt;
  }
  const std::size_t proAt = text.rfind(kPro, secAt);
  if (proAt == std::string_view::npos || proAt < urlAt) return std::nullopt;

  StartRequest r;
  r.name = text.substr(0, nameEnd);
  // An empty position leaves " url: " right after "pos:".
  r.position = urlAt < posValue ? "" : text.substr(posValue, urlAt - posValue);
  const std::size_t urlValue = urlAt + kUrl.size();
  r.url = proAt < urlValue ? "" : text.substr(urlValue, proAt - urlValue);
  const std::size_t proValue = proAt + kPro.size();
  r.program = secAt < proValue ? "" : text.substr(proValue, secAt - proValue);
  if (!ReadNumber(text.substr(secAt + kSec.size()), r.seconds)) return std::nullopt;
  return r;
}

std::optional<WindowRect> ParsePosition(std::string_view position) {
  int values[4] = {};
  for (int i = 0; i < 4; ++i) {
    const std::size_t comma = i < 3 ? position.find(',') : position.size();
    if (comma == std::string_view::npos) return std::nullopt;
    if (!ReadNumber(position.substr(0, comma), values[i])) return std::nullopt;
    position.remove_prefix(i < 3 ? comma + 1 : comma);
  }
  const WindowRect rect{values[0], values[1], values[2], values[3]};
  if (rect.right <= rect.left || rect.bottom <= rect.top) return std::nullopt;
  return rect;
}

bool IsAudioTitle(std::string_view title) { return title.find("Sonvee") != std::string_view::npos; }

}  // namespace standin
