// The reload tool's hidden main window: it opens the report at creation and
// runs the reload cycle on its first timer message.
#pragma once

#include "reload_state.h"
#include "reload_system_win32.h"
#include "window_win32.h"

namespace reload {

class MainWindow : public fw::FrameWindow {
 public:
  MainWindow(ReloadState& state, Win32ReloadSystem& system) : state_(state), system_(system) {}
  ~MainWindow() override = default;
  // Creates the window hidden, writes the report's start and arms timer 1.
  bool Create(HINSTANCE instance);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  ReloadState& state_;
  Win32ReloadSystem& system_;
  bool cycleStarted_ = false;  // the cycle runs once
};

}  // namespace reload
