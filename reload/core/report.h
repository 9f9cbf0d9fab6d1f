// The test report's own blocks: its opening, the system facts and the copy
// of the product's settings file, plus the Windows version detection that
// also decides how the batch files are started.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "reload_state.h"
#include "reload_system.h"

namespace reload {

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

void WriteReportOpening(ReloadState& state, ReloadSystem& system);
void WriteSystemFacts(ReloadState& state, ReloadSystem& system);

// The processor's name, or nothing when its key or value cannot be read.
std::optional<std::wstring> ReadProcessorName(ReloadSystem& system);

// The settings file's bytes as report text: the first kSettingsReadLimit
// bytes up to the first zero byte, from the ANSI code page; "" when empty.
std::wstring SettingsText(std::string_view bytes, ReloadSystem& system);

// Joins a folder and a name with one backslash, as PathAppend does.
std::wstring AppendPath(std::wstring_view folder, std::wstring_view name);

void EchoSettings(ReloadState& state, ReloadSystem& system);

}  // namespace reload
