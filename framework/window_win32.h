// Our small Win32 user-interface framework: the application object with its
// start operation and message loop, a frame window and modeless dialogs from
// resource templates. Each C++ object is attached to its window at creation
// and messages reach it through a virtual HandleMessage; no exception ever
// leaves a window procedure. Windows are Unicode; programs working in the
// system code page convert with Widen and Narrow.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

#include "text_win32.h"

namespace fw {

class Application {
 public:
  virtual ~Application() = default;
  // Opens the user-interface queue (ui_queue.h), runs StartApplication and,
  // when it succeeds, the message loop until the main window is destroyed;
  // then closes the queue. Returns the exit code of the loop.
  int Run(HINSTANCE instance);
  HINSTANCE Instance() const { return instance_; }
  HWND MainWindow() const { return mainWindow_; }

 protected:
  virtual bool StartApplication() = 0;
  // The loop ends when this window is destroyed.
  void SetMainWindow(HWND window) { mainWindow_ = window; }

 private:
  HINSTANCE instance_ = nullptr;
  HWND mainWindow_ = nullptr;
};

// The running application object, for windows that need the main window.
Application* CurrentApplication();

class FrameWindow {
 public:
  struct ClassOptions {
    UINT style = CS_DBLCLKS;
    HCURSOR cursor = nullptr;  // nullptr: the arrow
    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    HICON icon = nullptr;
  };

  virtual ~FrameWindow();
  FrameWindow() = default;
  FrameWindow(const FrameWindow&) = delete;
  FrameWindow& operator=(const FrameWindow&) = delete;
  // Creates the frame with a window class of the given name, registered on
  // first use with the given options.
  bool Create(HINSTANCE instance, const wchar_t* className, const ClassOptions& options,
              const std::wstring& title, DWORD style, const RECT& rect, HWND parent = nullptr);
  HWND Handle() const { return hwnd_; }

 protected:
  // Default handling is DefWindowProcW.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

class Dialog {
 public:
  virtual ~Dialog();
  Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Creates the modeless dialog from resource template id, owned by owner.
  bool CreateModeless(HINSTANCE instance, int templateId, HWND owner);
  void Destroy();
  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

 protected:
  virtual bool OnInitDialog() { return true; }
  virtual void OnCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
  // The one way a dialog is closed: Escape, the button IDCANCEL and the
  // system close (WM_CLOSE) all come here. By default the dialog is destroyed.
  virtual void OnClose() { Destroy(); }
  // A notification from a control; return true when handled, with result
  // as the answer the control gets.
  virtual bool OnNotify(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
  // Return true when handled; result then becomes the dialog's answer.
  virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
  // Called after the window is gone; the object may release itself here.
  virtual void OnDestroyed() {}

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

}  // namespace fw
