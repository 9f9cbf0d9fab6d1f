// A scripted stand-in for the system, for the reload tool's unit tests: an
// in-memory registry and file set, scripted shell answers and windows, and a
// journal of every call that changes something or waits.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "reload_system.h"

namespace reload {

class FakeReloadSystem : public ReloadSystem {
 public:
  struct Key {
    int32_t openResult = 0;  // what opening for reading answers
    std::map<std::wstring, std::wstring> values;
  };
  std::map<std::pair<RegistryRoot, std::wstring>, Key> keys;

  WindowsVersion version{6, 2};
  bool getProductInfo = true;
  int productInfoLookups = 0;
  SystemFacts facts{4, 1280, 1024, 1};
  LocalTime now{2026, 3, 7, 9, 5, 2};
  std::map<KnownFolder, std::wstring> folders{
      {KnownFolder::RoamingAppData, L"C:\\Users\\ann\\AppData\\Roaming"},
      {KnownFolder::LocalAppData, L"C:\\Users\\ann\\AppData\\Local"},
      {KnownFolder::Temp, L"C:\\Users\\ann\\AppData\\Local\\Temp\\"}};
  std::map<std::wstring, std::string> files;

  bool logOpens = true;                 // false: no log can be created anywhere
  std::set<std::wstring> unwritable;    // logs that cannot be created
  bool logIsOpen = false;
  std::wstring logPath;
  std::string log;

  // The shell's answer for a verb and file; by default every start succeeds.
  std::function<std::intptr_t(const std::wstring&, const std::wstring&)> shell =
      [](const std::wstring&, const std::wstring&) -> std::intptr_t { return 42; };
  // What starting a batch does; by default it starts as process 7.
  std::function<BatchStart(const std::wstring&, const std::wstring&)> batch =
      [](const std::wstring&, const std::wstring&) { return BatchStart{true, 0, 7}; };
  std::set<BatchProcess> slowBatches;  // still running when any wait ends
  std::vector<std::wstring> journal;

  void SetText(RegistryRoot root, const std::wstring& path, const std::wstring& name,
               const std::wstring& text) {
    keys[{root, path}].values[name] = text;
  }

  int32_t ProbeKey(RegistryRoot root, const std::wstring& path) override {
    const auto it = keys.find({root, path});
    return it == keys.end() ? 2 : it->second.openResult;
  }

  RegistryText ReadText(RegistryRoot root, const std::wstring& path,
                        const std::wstring& valueName) override {
    RegistryText result;
    const auto it = keys.find({root, path});
    if (it == keys.end()) {
      result.openResult = 2;
      return result;
    }
    result.openResult = it->second.openResult;
    if (result.openResult != 0) return result;
    const auto value = it->second.values.find(valueName);
    if (value == it->second.values.end()) {
      result.readResult = 2;
    } else {
      result.text = value->second;
    }
    return result;
  }

  WindowsVersion GetWindowsVersion() override { return version; }
  bool HasGetProductInfo() override {
    ++productInfoLookups;
    return getProductInfo;
  }
  SystemFacts GetSystemFacts() override { return facts; }
  LocalTime LocalNow() override { return now; }
  std::optional<std::wstring> Folder(KnownFolder folder) override {
    const auto it = folders.find(folder);
    if (it == folders.end()) return std::nullopt;
    return it->second;
  }
  // Latin-1 stands in for the ANSI code page.
  std::wstring AnsiToWide(std::string_view bytes) override {
    std::wstring text;
    for (const char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return text;
  }
  std::string WideToAnsi(std::wstring_view text) override {
    std::string bytes;
    for (const wchar_t c : text) bytes += static_cast<uint32_t>(c) < 256 ? static_cast<char>(c) : '?';
    return bytes;
  }

  int32_t OpenLog(const std::wstring& path) override {
    journal.push_back(L"open log " + path);
    if (!logOpens || unwritable.count(path) != 0) return 5;
    logPath = path;
    logIsOpen = true;
    log.clear();
    return 0;
  }
  void WriteLog(std::string_view bytes) override {
    if (logIsOpen) log += bytes;
  }
  void CloseLog() override {
    journal.push_back(L"close log");
    logIsOpen = false;
  }
  std::optional<std::string> ReadFileStart(const std::wstring& path, std::size_t maxBytes) override {
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second.substr(0, maxBytes);
  }

  std::intptr_t ShellRun(const std::wstring& verb, const std::wstring& file) override {
    journal.push_back(L"shell " + verb + L" " + file);
    return shell(verb, file);
  }
  BatchStart StartBatch(const std::wstring& verb, const std::wstring& file) override {
    journal.push_back(L"start " + verb + L" " + file);
    return batch(verb, file);
  }
  bool WaitForBatch(BatchProcess process, uint32_t milliseconds) override {
    journal.push_back(L"wait " + std::to_wstring(process) + L" " + std::to_wstring(milliseconds));
    return slowBatches.count(process) == 0;
  }
  int ShowMessageBox(const std::wstring& text, const std::wstring& caption, uint32_t style) override {
    journal.push_back(L"box " + caption + L" " + std::to_wstring(style) + L" " + text);
    return 1;
  }

  void KillStartTimer() override { journal.push_back(L"kill timer"); }
  void EndProcess(uint32_t exitCode) override { journal.push_back(L"exit " + std::to_wstring(exitCode)); }
};

}  // namespace reload
