#include "report.h"

#include <array>
#include <utility>

#include "startup.h"
#include "text.h"

namespace reload {
namespace {

// Windows 11 still reports itself as 10.0; only its build number tells.
constexpr uint32_t kWindows11Build = 22000;

std::wstring VersionNumbers(const WindowsVersion& version) {
  return L"Windows Version: " + std::to_wstring(version.major) + L"." + std::to_wstring(version.minor);
}

}  // namespace

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

void WriteReportOpening(ReloadState& state, ReloadSystem& system) {
  state.MessageText = L"Test Report  ";
  AppendLog(state, system);
  state.MessageText = ReportDateTime(system.LocalNow()) + L"\r\n" + state.WindowsVersionText +
                      L"\r\nProgram: " + state.ProductName + L"\r\nVersion: " +
                      state.ProductVersionText;
  AppendLog(state, system);
}

std::optional<std::wstring> ReadProcessorName(ReloadSystem& system) {
  const RegistryText value = system.ReadText(
      RegistryRoot::LocalMachine, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
      L"ProcessorNameString");
  if (value.openResult != 0 || value.readResult != 0) return std::nullopt;
  return fw::Clip(value.text, kProcessorNameLimit);
}

void WriteSystemFacts(ReloadState& state, ReloadSystem& system) {
  const SystemFacts facts = system.GetSystemFacts();
  state.MessageText = L"\r\nNumber of processors: " + std::to_wstring(facts.processors);
  AppendLog(state, system);
  if (const auto processor = ReadProcessorName(system)) {
    state.MessageText = L"\r\nProcessor: " + *processor;
    AppendLog(state, system);
  }
  state.MessageText = L"\r\nScreen resolution: " + std::to_wstring(facts.screenWidth) + L"x" +
                      std::to_wstring(facts.screenHeight) + L"\r\nMonitors: " +
                      std::to_wstring(facts.monitors);
  AppendLog(state, system);
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

void EchoSettings(ReloadState& state, ReloadSystem& system) {
  const auto appData = system.Folder(KnownFolder::RoamingAppData);
  if (!appData) return;
  const std::wstring productFolder = ProductFolderName(state.ProductName);
  if (productFolder.empty()) return;
  const std::wstring path =
      fw::Clip(AppendPath(*appData, productFolder) + L"\\Settings.ini", kSettingsPathLimit);
  state.MessageText = L"\r\n\r\nSettings.ini (" + path + L")";
  AppendLog(state, system);
  const auto bytes = system.ReadFileStart(path, kSettingsReadLimit);
  if (!bytes) return;
  const std::wstring text = SettingsText(*bytes, system);
  if (text.empty()) return;
  state.MessageText = L"\r\n\r\n" + text;
  AppendLog(state, system);
}

}  // namespace reload
