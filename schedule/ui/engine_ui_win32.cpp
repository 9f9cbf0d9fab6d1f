// Implements AppEngineUi on the dialog's controls.
#include "engine_ui_win32.h"

#include <windows.h>

#include "resource.h"
#include "timer_dlg_win32.h"

namespace ormidal {

void AppEngineUi::SetStatus(const std::string& text) {
  if (TimerDlg* dialog = dialog_.load()) dialog->SetStatus(text);
}

void AppEngineUi::FocusEnableButton() {
  if (TimerDlg* dialog = dialog_.load()) dialog->FocusButton(IDC_ENABLE);
}

void AppEngineUi::FocusDisableButton() {
  if (TimerDlg* dialog = dialog_.load()) dialog->FocusButton(IDC_DISABLE);
}

void AppEngineUi::FillFromEntry(const ScheduleEntry& entry) {
  if (TimerDlg* dialog = dialog_.load()) dialog->FillFromEntry(entry);
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
