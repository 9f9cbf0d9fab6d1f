// Start-up of the reload tool: its folder, command line and product, and the
// log and message routines every later step writes through.
#pragma once

#include <string>
#include <string_view>

#include "command_line.h"
#include "reload_state.h"
#include "reload_system.h"

namespace reload {

inline constexpr std::wstring_view kMessageCaption = L"Reload Filters Message";
inline constexpr std::wstring_view kLogFileName = L"LogFilters.txt";
// Warning icon, task-modal and topmost, added to every caller's type.
inline constexpr uint32_t kMessageStyle = 0x30 | 0x2000 | 0x40000;

// Drive and directory of a program path, without a trailing backslash,
// shortened to kTextLimit.
std::wstring GetModuleFolder(std::wstring_view programPath);

// Stores the first kParameterSlots parameters; each one beyond them gets its
// own "Too many parameters" box and is dropped.
class CmdLineInfo : public fw::CommandLineInfo<wchar_t> {
 public:
  CmdLineInfo(ReloadState& state, ReloadSystem& system) : state_(state), system_(system) {}
  ~CmdLineInfo() override = default;
  void CollectParameter(const std::wstring& text, bool flag, bool last) override;

 private:
  ReloadState& state_;
  ReloadSystem& system_;
};

// The parameter after the first one holding a lowercase "w"; otherwise the
// product whose name the tool's folder carries.
void SelectProduct(ReloadState& state);

// Wide text as the log file's 8-bit bytes: every line end becomes CR LF and
// the text goes through the system's ANSI code page.
std::string ToLogBytes(std::wstring_view text, ReloadSystem& system);

// Writes MessageText to the log, if the log is open.
void AppendLog(ReloadState& state, ReloadSystem& system);

int ShowReloadMessage(ReloadSystem& system, const std::wstring& text, uint32_t type);

// The report's first choice, beside the tool.
std::wstring LogFilePath(const ReloadState& state);

// Closes the log and has the shell open it; without a log a message box says
// that no report could be written.
void CloseAndShowLog(ReloadState& state, ReloadSystem& system);

// What the main window does before arming its timer: version facts, the log
// file with the report's opening and the system facts. A report that cannot
// be written beside the tool goes to the local application data folder, or
// else the temporary folder, and says where the tool looked first.
void OpenReport(ReloadState& state, ReloadSystem& system);

}  // namespace reload
