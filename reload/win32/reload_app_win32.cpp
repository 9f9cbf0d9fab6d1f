// The reload tool's application object and entry point: folder, command
// line and product, then the hidden main window whose timer does the work.
#include <objbase.h>

#include <optional>
#include <vector>

#include "command_line.h"
#include "main_window_win32.h"
#include "reload_cycle.h"
#include "reload_state.h"
#include "reload_system_win32.h"
#include "startup.h"
#include "window_win32.h"

namespace reload {
namespace {

constexpr DWORD kPathRoomLimit = 32768;  // the longest path Windows can report

std::wstring ProgramPath() {
  std::vector<wchar_t> path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size() || path.size() >= kPathRoomLimit) return std::wstring(path.data(), n);
    path.resize(path.size() * 2);
  }
}

std::optional<std::wstring> EnvironmentValue(const wchar_t* name) {
  const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return std::nullopt;
  std::vector<wchar_t> value(size, L'\0');
  const DWORD n = GetEnvironmentVariableW(name, value.data(), size);
  if (n == 0 || n >= size) return std::nullopt;
  return std::wstring(value.data(), n);
}

class ReloadApp : public fw::Application {
 public:
  ~ReloadApp() override = default;

 protected:
  bool StartApplication() override {
    // The shell may hand a batch file to an extension, which needs COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    state_.ModuleFolder = GetModuleFolder(ProgramPath());
    // The batch files start without a directory of their own and inherit this one.
    SetCurrentDirectoryW((state_.ModuleFolder + L"\\").c_str());
    state_.ParameterTable.clear();
    state_.parameterCount = 0;
    CmdLineInfo info(state_, system_);
    fw::WalkCommandLine<wchar_t>(GetCommandLineW(), info);
    SelectProduct(state_);
    state_.batchWaitSeconds = BatchWaitSeconds(EnvironmentValue(L"RELOAD_BATCH_WAIT_SECONDS"));
    if (!window_.Create(Instance())) return false;
    SetMainWindow(window_.Handle());
    ShowWindow(window_.Handle(), SW_HIDE);
    return true;
  }

 private:
  ReloadState state_;
  Win32ReloadSystem system_;
  reload::MainWindow window_{state_, system_};  // qualified: Application has a MainWindow()
};

}  // namespace
}  // namespace reload

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  static reload::ReloadApp app;
  return app.Run(instance);
}
