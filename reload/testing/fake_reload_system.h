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
  // The registry: keys by root and path.
  struct Key {
    int32_t openResult = 0;  // what opening for reading answers
    std::map<std::wstring, std::wstring> values;
  };
  std::map<std::pair<RegistryRoot, std::wstring>, Key> keys;
  void SetText(RegistryRoot root, const std::wstring& path, const std::wstring& name,
               const std::wstring& text);
  int32_t ProbeKey(RegistryRoot root, const std::wstring& path) override;
  RegistryText ReadText(RegistryRoot root, const std::wstring& path,
                        const std::wstring& valueName) override;

  WindowsVersion version{6, 2};
  bool getProductInfo = true;
  int productInfoLookups = 0;
  SystemFacts facts{4, 1280, 1024, 1};
  LocalTime now{2026, 3, 7, 9, 5, 2};
  WindowsVersion GetWindowsVersion() override { return version; }
  bool HasGetProductInfo() override;
  SystemFacts GetSystemFacts() override { return facts; }
  LocalTime LocalNow() override { return now; }

  std::map<KnownFolder, std::wstring> folders{
      {KnownFolder::RoamingAppData, L"C:\\Users\\ann\\AppData\\Roaming"},
      {KnownFolder::LocalAppData, L"C:\\Users\\ann\\AppData\\Local"},
      {KnownFolder::Temp, L"C:\\Users\\ann\\AppData\\Local\\Temp\\"}};
  std::optional<std::wstring> Folder(KnownFolder folder) override;
  // Latin-1 stands in for the ANSI code page.
  std::wstring AnsiToWide(std::string_view bytes) override;
  std::string WideToAnsi(std::wstring_view text) override;

  bool logOpens = true;                 // false: no log can be created anywhere
  std::set<std::wstring> unwritable;    // logs that cannot be created
  bool logIsOpen = false;
  std::wstring logPath;
  std::string log;
  int32_t OpenLog(const std::wstring& path) override;
  void WriteLog(std::string_view bytes) override;
  void CloseLog() override;

  std::map<std::wstring, std::string> files;
  std::optional<std::string> ReadFileStart(const std::wstring& path, std::size_t maxBytes) override;

  // Every call that changes something or waits, in order.
  std::vector<std::wstring> journal;
  // The shell's answer for a verb and file; by default every start succeeds.
  std::function<std::intptr_t(const std::wstring&, const std::wstring&)> shell =
      [](const std::wstring&, const std::wstring&) -> std::intptr_t { return 42; };
  // What starting a batch does; by default it starts as process 7.
  std::function<BatchStart(const std::wstring&, const std::wstring&)> batch =
      [](const std::wstring&, const std::wstring&) { return BatchStart{true, 0, 7}; };
  std::set<BatchProcess> slowBatches;  // still running when any wait ends
  std::intptr_t ShellRun(const std::wstring& verb, const std::wstring& file) override;
  BatchStart StartBatch(const std::wstring& verb, const std::wstring& file) override;
  bool WaitForBatch(BatchProcess process, uint32_t milliseconds) override;
  int ShowMessageBox(const std::wstring& text, const std::wstring& caption, uint32_t style) override;
  void KillStartTimer() override { journal.push_back(L"kill timer"); }
  void EndProcess(uint32_t exitCode) override { journal.push_back(L"exit " + std::to_wstring(exitCode)); }
};

}  // namespace reload
