// Helpers for the reload tool's end-to-end tests: tool copies in folders of
// their own, runs that answer the tool's message boxes, the report viewers
// the runs open, and the registry and files the tool reads.
#pragma once

#include <windows.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace reload_e2e {

using Clock = std::chrono::steady_clock;

// The finished tool's folder (dist/), from RELOAD_DIST_DIR.
std::wstring DistFolder();
// A fresh, empty folder below the system's temporary folder.
std::wstring NewFolder(const std::wstring& name);
void RemoveFolder(const std::wstring& folder);

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

// Copies reload.exe into folder and writes Bin\ with the given batch files
// (name to content); with copyProductBatches the product's own are copied.
void InstallTool(const std::wstring& folder, bool copyProductBatches,
                 const std::map<std::wstring, std::string>& batches = {});

struct MessageBoxSeen {
  std::wstring caption;
  std::wstring text;
};

// One run of reload.exe; Poll answers its message boxes with OK.
class ToolRun {
 public:
  ToolRun(std::wstring folder, std::wstring arguments);
  ~ToolRun();
  ToolRun(const ToolRun&) = delete;
  ToolRun& operator=(const ToolRun&) = delete;

  bool Start();
  // Returns true once the process has ended.
  bool Poll();
  void Kill();
  DWORD ExitCode() const { return exitCode_; }
  bool Ended() const { return ended_; }
  double Seconds() const { return seconds_; }
  const std::vector<MessageBoxSeen>& Boxes() const { return boxes_; }
  std::wstring ReportPath() const { return folder_ + L"\\LogFilters.txt"; }
  std::string Report() const { return ReadFileBytes(ReportPath()); }

 private:
  std::wstring folder_;
  std::wstring arguments_;
  PROCESS_INFORMATION process_{};
  Clock::time_point started_;
  bool ended_ = false;
  DWORD exitCode_ = STILL_ACTIVE;
  double seconds_ = 0;
  std::vector<HWND> answered_;
  std::vector<MessageBoxSeen> boxes_;
};

// Runs all to their end, bounded; false when one had to be killed.
bool RunAll(const std::vector<ToolRun*>& runs, std::chrono::milliseconds limit);

// Waits (bounded) until at least `expected` report viewers show
// "LogFilters.txt", then closes every one of them and waits for their
// processes to end. Returns how many viewers were found.
int CloseReportViewers(int expected, std::chrono::milliseconds limit);

// Registry, in this 32-bit process's view, the one the tool reads.
bool SetRegistryText(HKEY root, const std::wstring& path, const std::wstring& name,
                     const std::wstring& text);
bool KeyExists(HKEY root, const std::wstring& path);
void DeleteKeyTree(HKEY root, const std::wstring& path);
std::wstring ReadRegistryText(HKEY root, const std::wstring& path, const std::wstring& name);

std::wstring AppDataFolder();
std::wstring LocalAppDataFolder();
// Leaves everyone only read access to the key, as a user without elevation
// has to the filters' keys on Windows.
bool MakeKeyReadOnly(HKEY root, const std::wstring& path);
std::string Narrow(const std::wstring& text);  // ASCII test texts only

// A report compared with literal parts and short patterns for what changes
// from run to run (date, time, version name).
struct Part {
  bool pattern;
  std::string text;
};
inline Part Literal(std::string text) { return {false, std::move(text)}; }
inline Part Pattern(std::string regex) { return {true, std::move(regex)}; }
// Empty when the report matches; otherwise where and how it differs.
std::string Mismatch(const std::string& report, const std::vector<Part>& parts);

}  // namespace reload_e2e
