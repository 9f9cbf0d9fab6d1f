// The recording program's window reached through Win32 messages.
#pragma once

#include <windows.h>

#include "recorder_link.h"

namespace ormidal {

class Win32RecorderWindows final : public RecorderWindows {
 public:
  Win32RecorderWindows(HWND mainWindow, UINT stopMessage)
      : mainWindow_(mainWindow), stopMessage_(stopMessage) {}
  Handle Find(const std::string& title) override;
  void Restore(Handle window) override;
  void LowerMainWindow() override;
  void SendStart(Handle window, const std::string& text, bool audioMode) override;
  void PostStop(Handle window) override;

 private:
  HWND mainWindow_;
  UINT stopMessage_;
};

// The dialog's Help: the help page for the open recording program, if any.
void OpenHelp(RecorderWindows& windows);

// The dialog's Test URL on the URL/File Path text.
void TestUrl(const std::string& text, int32_t browserLaunch, const std::string& mainTitle,
             SchedulerHost& host);

}  // namespace ormidal
