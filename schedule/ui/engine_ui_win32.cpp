// Implements AppEngineUi on the dialog's controls, through the user-interface
// queue: on the UI thread a call acts at once, from another thread it is
// queued and the caller goes on; only the message box makes it wait.
#include "engine_ui_win32.h"

#include <windows.h>

#include <functional>
#include <system_error>
#include <thread>

#include "resource.h"
#include "thread_win32.h"
#include "timer_dlg_win32.h"
#include "ui_queue.h"

namespace ormidal {
namespace {

void RunOnUiThread(std::function<void()> task) {
  if (fw::ui::OnUiThread()) {
    task();
  } else {
    fw::ui::Post(std::move(task));
  }
}

// The program's own name, as a box of the runtime's would carry it.
std::string ProgramCaption() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string caption = path;
  caption = caption.substr(caption.find_last_of("\\/") + 1);
  return caption.substr(0, caption.rfind('.'));
}

}  // namespace

void AppEngineUi::SetStatus(const std::string& text) {
  RunOnUiThread([this, text] {
    if (dialog_ != nullptr) dialog_->SetStatus(text);
  });
}

void AppEngineUi::FocusEnableButton() {
  RunOnUiThread([this] {
    if (dialog_ != nullptr) dialog_->FocusButton(IDC_ENABLE);
  });
}

void AppEngineUi::FocusDisableButton() {
  RunOnUiThread([this] {
    if (dialog_ != nullptr) dialog_->FocusButton(IDC_DISABLE);
  });
}

void AppEngineUi::FillFromEntry(const ScheduleEntry& entry) {
  // A copy: the start request goes out without waiting for the dialog.
  RunOnUiThread([this, values = EntryValues(entry)] {
    if (dialog_ != nullptr) dialog_->FillFromEntry(values);
  });
}

void AppEngineUi::PlainMessage(const std::string& text) {
  const std::string caption = ProgramCaption();
  fw::ui::Send([&] { MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK); });
}

void AppEngineUi::Notice(const std::string& text) {
  // Not task-modal, and on a thread of its own: the dialog stays usable while
  // the notice waits to be read, and a notice that comes while another box is
  // open does not hold that box's answer until the notice is read too.
  auto show = [text, caption = ProgramCaption()] {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
  };
  try {
    if (!fw::StartDetachedThread(show)) fw::ui::Post(std::move(show));
  } catch (const std::system_error&) {
    fw::ui::Post(std::move(show));
  }
}

}  // namespace ormidal
