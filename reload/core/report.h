// The test report LogFilters.txt: where it is written, how a line reaches
// it and how it is shown at the end, and its own blocks: the opening, the
// system facts and the copy of the product's settings file, plus the Windows
// version detection that also decides how the batch files are started.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "reload_state.h"
#include "reload_system.h"

namespace reload {

inline constexpr std::wstring_view kLogFileName = L"LogFilters.txt";

// Wide text as the log file's 8-bit bytes: every line end becomes CR LF and
// the text goes through the system's ANSI code page.
std::string ToLogBytes(std::wstring_view text, ReloadSystem& system);

// Writes text to the log; without an open log it goes nowhere.
void AppendLog(ReloadSystem& system, std::wstring_view text);

// The report's first choice, beside the tool.
std::wstring LogFilePath(const ReloadState& state);

// What the main window does before arming its timer: version facts, the log
// file with the report's opening and the system facts. A report that cannot
// be written beside the tool goes to the local application data folder, or
// else the temporary folder, and says where the tool looked first.
void OpenReport(ReloadState& state, ReloadSystem& system);

// Closes the log and has the shell open it; without a log a message box says
// that no report could be written.
void CloseAndShowLog(ReloadState& state, ReloadSystem& system);

// The name a version text earns by the first marker it contains, or "".
std::wstring WindowsVersionName(std::wstring_view versionText);

// Fills WindowsVersionText and UseRunas.
void DetectWindowsVersion(ReloadState& state, ReloadSystem& system);

// The product's registry key below HKEY_CURRENT_USER and its folder below the
// application data folder; "" for a product the tool does not know.
std::wstring ProductKey(std::wstring_view productName);
std::wstring ProductFolderName(std::wstring_view productName);

// Fills ProductVersionText; it stays empty when the value cannot be read.
void ReadProductVersion(ReloadState& state, ReloadSystem& system);

// "MM/DD/YY HH:MM:SS" on the local clock.
std::wstring ReportDateTime(const LocalTime& now);

void WriteReportOpening(const ReloadState& state, ReloadSystem& system);
void WriteSystemFacts(ReloadSystem& system);

// The processor's name, or nothing when its key or value cannot be read.
std::optional<std::wstring> ReadProcessorName(ReloadSystem& system);

// The settings file's bytes as report text: the first kSettingsReadLimit
// bytes up to the first zero byte, from the ANSI code page; "" when empty.
std::wstring SettingsText(std::string_view bytes, ReloadSystem& system);

// Joins a folder and a name with one backslash, as PathAppend does.
std::wstring AppendPath(std::wstring_view folder, std::wstring_view name);

void EchoSettings(const ReloadState& state, ReloadSystem& system);

}  // namespace reload
