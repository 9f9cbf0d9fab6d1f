// Implements AppEngineUi on the dialog's controls.
#include "engine_ui_win32.h"

#include "options.h"

namespace ormidal {
namespace {

constexpr int kStatusControl = 1027;
constexpr int kEnableButton = 1006;
constexpr int kDisableButton = 1009;

}  // namespace

void AppEngineUi::SetStatus(const std::string& text) {
  if (dialog_ != nullptr) SetDlgItemTextA(dialog_, kStatusControl, text.c_str());
}

void AppEngineUi::FocusEnableButton() {
  if (dialog_ != nullptr) SetFocus(GetDlgItem(dialog_, kEnableButton));
}

void AppEngineUi::FocusDisableButton() {
  if (dialog_ != nullptr) SetFocus(GetDlgItem(dialog_, kDisableButton));
}

void AppEngineUi::FillFromEntry(const ScheduleEntry& entry) {
  // The start request that follows carries the entry's own length.
  link_.SetDurationText(DurationFromDifference(TimeDifference(entry.endTime, entry.startTime)));
}

void AppEngineUi::PlainMessage(const std::string& text) {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string caption = path;
  caption = caption.substr(caption.find_last_of("\\/") + 1);
  caption = caption.substr(0, caption.rfind('.'));
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace ormidal
