// The scheduler's main window: an off-screen frame that owns the dialog,
// gives the program its taskbar button and answers the recording program's
// registered messages.
#pragma once

#include <string>

#include "window_win32.h"

namespace ormidal {

class Ormidal;

class MainWindow final : public fw::FrameWindow {
 public:
  explicit MainWindow(Ormidal& app) : app_(app) {}
  bool Create();
  const std::string& MainTitle() const { return mainTitle_; }
  const std::string& SchedulePathText() const { return schedulePath_; }
  const std::string& SettingsFolder() const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnTimer();

  Ormidal& app_;
  bool firstTickDone_ = false;
  std::string mainTitle_;
  std::string schedulePath_;
};

}  // namespace ormidal
