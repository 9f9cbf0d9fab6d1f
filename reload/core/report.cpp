#include "report.h"

#include <array>
#include <utility>

#include "text.h"

namespace reload {
namespace {

// Windows 11 still reports itself as 10.0; only its build number tells.
constexpr uint32_t kWindows11Build = 22000;

std::wstring VersionNumbers(const WindowsVersion& version) {
  return L"Windows Version: " + std::to_wstring(version.major) + L"." + std::to_wstring(version.minor);
}

}  // namespace

std::string ToLogBytes(std::wstring_view text, ReloadSystem& system) {
  std::wstring lines;
  lines.reserve(text.size() + 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
      lines += L"\r\n";
      ++i;
    } else if (text[i] == L'\n') {
      lines += L"\r\n";
    } else {
      lines += text[i];
    }
  }
  return system.WideToAnsi(lines);
}

void AppendLog(ReloadSystem& system, std::wstring_view text) { system.WriteLog(ToLogBytes(text, system)); }

std::wstring LogFilePath(const ReloadState& state) {
  return state.ModuleFolder + L"\\" + std::wstring(kLogFileName);
}

void OpenReport(ReloadState& state, ReloadSystem& system) {
  DetectWindowsVersion(state, system);
  ReadProductVersion(state, system);
  const std::wstring firstChoice = LogFilePath(state);
  const int32_t firstError = system.OpenLog(firstChoice);
  state.reportPath = firstChoice;
  state.logOpen = firstError == 0;
  // Under Program Files a user without elevation cannot write beside the tool.
  for (const KnownFolder fallback : {KnownFolder::LocalAppData, KnownFolder::Temp}) {
    if (state.logOpen) break;
    const auto folder = system.Folder(fallback);
    if (!folder) continue;
    state.reportPath = AppendPath(*folder, kLogFileName);
    state.logOpen = system.OpenLog(state.reportPath) == 0;
  }
  if (state.logOpen) {
    WriteReportOpening(state, system);
    if (firstError != 0) {
      AppendLog(system, L"\r\nThis report could not be written to " + firstChoice + L" (ERROR=" +
                            std::to_wstring(firstError) + L")");
    }
  }
  WriteSystemFacts(system);
}

void CloseAndShowLog(ReloadState& state, ReloadSystem& system) {
  if (!state.logOpen) {
    ShowReloadMessage(system, L"Cannot write the test report LogFilters.txt.", 0);
    return;
  }
  system.CloseLog();
  state.logOpen = false;
  system.ShellRun(L"open", state.reportPath);
}

std::wstring WindowsVersionName(std::wstring_view versionText) {
  static constexpr std::array<std::pair<std::wstring_view, std::wstring_view>, 8> kNames{{
      {L"10", L" (Windows 10)"},
      {L"6.3", L" (Windows 8.1)"},
      {L"6.2", L" (Windows 8)"},
      {L"6.1", L" (Windows 7)"},
      {L"6.0", L" (Windows Vista)"},
      {L"5.2", L" (Windows XP 64 bit)"},
      {L"5.1", L" (Windows XP)"},
      {L"5.0", L" (Windows 2000)"},
  }};
  for (const auto& [marker, name] : kNames) {
    if (fw::Contains(versionText, marker)) return std::wstring(name);
  }
  return {};
}

void DetectWindowsVersion(ReloadState& state, ReloadSystem& system) {
  const WindowsVersion version = system.GetWindowsVersion();
  std::wstring text;
  if (version.major >= 6) {
    state.UseRunas = true;
    text = VersionNumbers(version);
  } else if (system.HasGetProductInfo()) {
    // Only Vista and later export it, whatever an old compatibility mode reports.
    state.UseRunas = true;
    text = L"Windows Version: 6+";
  } else {
    text = VersionNumbers(version);
  }
  const bool windows11 = version.major == 10 && version.minor == 0 && version.build >= kWindows11Build;
  state.WindowsVersionText =
      fw::Clip(text + (windows11 ? std::wstring(L" (Windows 11)") : WindowsVersionName(text)), kVersionTextLimit);
}

std::wstring ProductKey(std::wstring_view productName) {
  if (fw::Contains(productName, L"Vantor")) return L"Software\\Vantor Capture 8";
  if (fw::Contains(productName, L"Lumora")) return L"Software\\Lumora 8";
  return {};
}

std::wstring ProductFolderName(std::wstring_view productName) {
  if (fw::Contains(productName, L"Vantor")) return L"Vantor Capture 8";
  if (fw::Contains(productName, L"Lumora")) return L"Lumora 8";
  return {};
}

void ReadProductVersion(ReloadState& state, ReloadSystem& system) {
  const std::wstring key = ProductKey(state.ProductName);
  if (key.empty()) return;
  const RegistryText value = system.ReadText(RegistryRoot::CurrentUser, key, L"Version");
  if (value.openResult != 0 || value.readResult != 0) return;
  state.ProductVersionText = fw::Clip(value.text, kVersionTextLimit);
}

std::wstring ReportDateTime(const LocalTime& now) {
  const auto two = fw::TwoDigits<wchar_t>;
  return two(now.month) + L"/" + two(now.day) + L"/" + two(now.year) + L" " + two(now.hour) + L":" +
         two(now.minute) + L":" + two(now.second);
}

void WriteReportOpening(const ReloadState& state, ReloadSystem& system) {
  AppendLog(system, L"Test Report  ");
  AppendLog(system, ReportDateTime(system.LocalNow()) + L"\r\n" + state.WindowsVersionText +
                        L"\r\nProgram: " + state.ProductName + L"\r\nVersion: " +
                        state.ProductVersionText);
}

std::optional<std::wstring> ReadProcessorName(ReloadSystem& system) {
  const RegistryText value = system.ReadText(
      RegistryRoot::LocalMachine, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
      L"ProcessorNameString");
  if (value.openResult != 0 || value.readResult != 0) return std::nullopt;
  return fw::Clip(value.text, kProcessorNameLimit);
}

void WriteSystemFacts(ReloadSystem& system) {
  const SystemFacts facts = system.GetSystemFacts();
  AppendLog(system, L"\r\nNumber of processors: " + std::to_wstring(facts.processors));
  if (const auto processor = ReadProcessorName(system)) AppendLog(system, L"\r\nProcessor: " + *processor);
  AppendLog(system, L"\r\nScreen resolution: " + std::to_wstring(facts.screenWidth) + L"x" +
                        std::to_wstring(facts.screenHeight) + L"\r\nMonitors: " +
                        std::to_wstring(facts.monitors));
}

std::wstring SettingsText(std::string_view bytes, ReloadSystem& system) {
  bytes = bytes.substr(0, kSettingsReadLimit);
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string_view::npos) bytes = bytes.substr(0, zero);
  if (bytes.empty()) return {};
  // No code page yields more characters than bytes, so all that was read fits.
  return system.AnsiToWide(bytes);
}

std::wstring AppendPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  path += name;
  return path;
}

void EchoSettings(const ReloadState& state, ReloadSystem& system) {
  const auto appData = system.Folder(KnownFolder::RoamingAppData);
  if (!appData) return;
  const std::wstring productFolder = ProductFolderName(state.ProductName);
  if (productFolder.empty()) return;
  const std::wstring path =
      fw::Clip(AppendPath(*appData, productFolder) + L"\\Settings.ini", kSettingsPathLimit);
  AppendLog(system, L"\r\n\r\nSettings.ini (" + path + L")");
  const auto bytes = system.ReadFileStart(path, kSettingsReadLimit);
  if (!bytes) return;
  const std::wstring text = SettingsText(*bytes, system);
  if (text.empty()) return;
  AppendLog(system, L"\r\n\r\n" + text);
}

}  // namespace reload
