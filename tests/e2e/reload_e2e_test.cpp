// reload.exe under Wine: each case copies the finished tool into a folder of
// its own, runs it and reads its report.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <deque>
#include <map>
#include <memory>
#include <regex>

#include "filter_check.h"
#include "harness.h"
#include "scoped_win32.h"

namespace reload_e2e {
namespace {

using namespace e2e;
using namespace std::chrono_literals;

std::wstring KnownFolder(int id) {
  wchar_t path[MAX_PATH + 1] = {};
  SHGetFolderPathW(nullptr, id, nullptr, 0, path);
  return path;
}
std::wstring AppDataFolder() { return KnownFolder(CSIDL_APPDATA); }
std::wstring LocalAppDataFolder() { return KnownFolder(CSIDL_LOCAL_APPDATA); }

// Copies reload.exe into folder and writes Bin\ with the given batch files
// (name to content); with copyProductBatches the product's own are copied.
void InstallTool(const std::wstring& folder, bool copyProductBatches,
                 const std::map<std::wstring, std::string>& batches = {}) {
  const std::wstring dist = DistFolder();
  CopyFileW((dist + L"\\reload.exe").c_str(), (folder + L"\\reload.exe").c_str(), FALSE);
  CreateDirectoryW((folder + L"\\Bin").c_str(), nullptr);
  if (copyProductBatches) {
    for (const wchar_t* name : {L"install_all.bat", L"uninstall_all.bat"}) {
      CopyFileW((dist + L"\\Bin\\" + name).c_str(), (folder + L"\\Bin\\" + name).c_str(), FALSE);
    }
  }
  for (const auto& [name, content] : batches) WriteFileBytes(folder + L"\\Bin\\" + name, content);
}

// One run of the tool copied into folder, started from elsewhere: it must
// find its files by its own folder.
class ToolRun : public Process {
 public:
  ToolRun(std::wstring folder, std::wstring arguments)
      : folder_(std::move(folder)), arguments_(std::move(arguments)) {}
  bool Start() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    StartOptions elsewhere;
    elsewhere.directory = temp;
    return Process::Start(L"\"" + folder_ + L"\\reload.exe\"" + (arguments_.empty() ? L"" : L" " + arguments_),
                          elsewhere);
  }
  std::string Report() const { return ReadFileBytes(folder_ + L"\\LogFilters.txt"); }

 private:
  std::wstring folder_;
  std::wstring arguments_;
};

// Waits (bounded) until at least `expected` report viewers show
// "LogFilters.txt", then closes every one of them and waits for their
// processes to end. Returns how many viewers were found.
int CloseReportViewers(int expected, std::chrono::milliseconds limit) {
  std::vector<HWND> viewers;
  WaitFor([&] { return static_cast<int>((viewers = WindowsWithTitlePart("LogFilters.txt")).size()) >= expected; },
          limit);
  std::vector<fw::ScopedHandle> processes;
  for (HWND viewer : viewers) {
    DWORD id = 0;
    GetWindowThreadProcessId(viewer, &id);
    processes.emplace_back(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
    PostMessageW(viewer, WM_CLOSE, 0, 0);
  }
  for (const fw::ScopedHandle& process : processes) {
    if (process && WaitForSingleObject(process.Get(), 5000) != WAIT_OBJECT_0) {
      TerminateProcess(process.Get(), 0);
      WaitForSingleObject(process.Get(), 5000);
    }
  }
  return static_cast<int>(viewers.size());
}

// A report compared with literal parts and short patterns for what changes
// from run to run (date, time, version name).
struct Part {
  bool pattern;
  std::string text;
};
Part Literal(std::string text) { return {false, std::move(text)}; }
Part Pattern(std::string regex) { return {true, std::move(regex)}; }

// Empty when the report matches; otherwise where and how it differs.
std::string Mismatch(const std::string& report, const std::vector<Part>& parts) {
  std::size_t at = 0;
  for (const Part& part : parts) {
    if (!part.pattern) {
      if (report.compare(at, part.text.size(), part.text) != 0) {
        std::size_t same = 0;
        while (at + same < report.size() && same < part.text.size() && report[at + same] == part.text[same]) ++same;
        return "at byte " + std::to_string(at + same) + ": expected \"" + part.text.substr(same, 60) +
               "\" but found \"" + report.substr(at + same, 60) + "\"";
      }
      at += part.text.size();
      continue;
    }
    // Patterns cover a few dozen bytes; searching a short window keeps std::regex shallow.
    const std::string window = report.substr(at, 200);
    std::smatch match;
    if (!std::regex_search(window, match, std::regex(part.text), std::regex_constants::match_continuous)) {
      return "at byte " + std::to_string(at) + ": pattern " + part.text + " does not match \"" +
             report.substr(at, 60) + "\"";
    }
    at += static_cast<std::size_t>(match.length(0));
  }
  if (at != report.size()) return "unexpected bytes after the end: \"" + report.substr(at, 60) + "\"";
  return {};
}
using reload::FilterList;
using reload::kAudioCapturerId;

constexpr auto kRunLimit = 40s;
constexpr auto kViewerLimit = 15s;
const std::string kProductOnly = "\r\n\r\nNext items for Lumora only\r\n";
const std::string kUninstallHeading = "\r\n\r\nUninstall filters. Checking Registry...";
const std::string kUninstallClosing = "\r\n\r\nAll UNINSTALLED filters must show (ERROR=2) or (no access))\r\n";
const std::string kInstallHeading = "\r\n\r\nInstall filters. Checking Registry...";
const std::string kInstallClosing = "\r\n\r\nAll INSTALLED filters must show OK or (no access))\r\n";
constexpr char kNoOpBatch[] = "@exit /b 0\r\n";
const std::wstring kAudioCategory = L"Wow6432Node\\CLSID\\{33D9A762-90C8-11d0-BD43-00A0C911CE86}\\Instance\\";
// Wine's per-program Windows version; with "win10" it tells a program 10.0
// only if its manifest declares Windows 10, as Windows does, 6.2 otherwise.
const std::wstring kWineVersionKey = L"Software\\Wine\\AppDefaults\\reload.exe";
const wchar_t kWaitSetting[] = L"RELOAD_BATCH_WAIT_SECONDS";

// A batch's wait for the test's release file, or at most about a minute.
const std::string kWaitForRelease =
    "set n=0\r\n:wait\r\nif exist \"%~dp0release.txt\" goto done\r\nset /a n+=1\r\n"
    "if %n% geq 60 goto done\r\nping -n 2 127.0.0.1 > nul\r\ngoto wait\r\n:done\r\n";
// Whatever happens in the test, the batch is released when the test ends.
struct BatchRelease {
  std::wstring file;
  ~BatchRelease() { WriteFileBytes(file, "go"); }
};

std::wstring ServerKey(std::wstring_view id) { return L"CLSID\\" + std::wstring(id) + L"\\InprocServer32"; }
std::string Id(std::size_t i) { return Narrow(std::wstring(FilterList[i])); }

// The check's lines for every filter gone, and for every filter registered
// by the product's install batch from the Bin folder reported as bin.
std::string UninstalledLines() {
  std::string lines;
  for (std::size_t i = 0; i < FilterList.size(); ++i) {
    if (i == 15) lines += kProductOnly;
    lines += "\r\n" + Id(i) +
             (FilterList[i] == kAudioCapturerId ? " failed query value (ERROR=2)" : " failed open (ERROR=2)");
  }
  return lines;
}
std::string InstalledLines(const std::string& bin) {
  std::string lines;
  for (std::size_t i = 0; i < FilterList.size(); ++i) {
    if (i == 15) lines += kProductOnly;
    lines += FilterList[i] == kAudioCapturerId
                 ? "\r\nvirtual-audio-capturer OK"
                 : "\r\n" + bin + (i < 15 ? "capture_filters.ax" : "lumora_filters.ax") + " OK";
  }
  return lines;
}

std::string TwoDigits(int v) { return std::string{char('0' + v / 10 % 10), char('0' + v % 10)}; }
std::string Today() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return TwoDigits(t.wMonth) + "/" + TwoDigits(t.wDay) + "/" + TwoDigits(t.wYear % 100);
}

// The settings file: a bare LF line end, format marks, characters of the
// ANSI code page beyond Latin-1 (the euro sign), and more than 10000 bytes
// so that the copy ends in the middle of a line.
const std::string kSettingsHead = "Protocol: 1\nMax File Time: 30 %s %d 100%\r\nPrice: 5 \x80, caf\xe9\r\n";
std::string SettingsFile() {
  std::string text = kSettingsHead;
  for (int i = 0; text.size() < 10600; ++i) text += "Entry" + std::to_string(i) + "=some value of the product\r\n";
  return text;
}
std::string SettingsCopy() {
  return "Protocol: 1\r\nMax File Time: 30 %s %d 100%\r\nPrice: 5 \x80, caf\xe9\r\n" +
         SettingsFile().substr(kSettingsHead.size(), 10000 - kSettingsHead.size());
}

std::string Heading(const std::wstring& product) {
  return "\r\n\r\nSettings.ini (" + Narrow(AppDataFolder()) + "\\" + Narrow(product) + "\\Settings.ini)";
}

class ReloadE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(SetRegistryText(HKEY_CURRENT_USER, L"Software\\Lumora 8", L"Version", L"8.2.1"));
    ASSERT_TRUE(SetRegistryText(HKEY_CURRENT_USER, L"Software\\Vantor Capture 8", L"Version", L"8.7.3"));
    CreateDirectoryW((AppDataFolder() + L"\\Lumora 8").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(AppDataFolder() + L"\\Lumora 8\\Settings.ini", SettingsFile()));
    DeleteFileW((AppDataFolder() + L"\\Vantor Capture 8\\Settings.ini").c_str());
  }
  static void TearDownTestSuite() {
    DeleteKeyTree(HKEY_CURRENT_USER, L"Software\\Lumora 8");
    DeleteKeyTree(HKEY_CURRENT_USER, L"Software\\Vantor Capture 8");
    DeleteFileW((AppDataFolder() + L"\\Lumora 8\\Settings.ini").c_str());
    RemoveDirectoryW((AppDataFolder() + L"\\Lumora 8").c_str());
  }
  void TearDown() override {
    for (std::size_t i = 0; i < FilterList.size(); ++i) {
      DeleteKeyTree(HKEY_CLASSES_ROOT, L"CLSID\\" + std::wstring(FilterList[i]));
    }
    DeleteKeyTree(HKEY_CLASSES_ROOT, kAudioCategory + std::wstring(kAudioCapturerId));
    DeleteKeyTree(HKEY_CURRENT_USER, kWineVersionKey);
    SetEnvironmentVariableW(kWaitSetting, nullptr);
  }
  // Removed after the test (kept with E2E_KEEP set, for a look after a failure).
  std::wstring Folder(const std::wstring& name) { return folders_.emplace_back(name).Wide(); }
  static void RegisterAllFilters(const std::wstring& server) {
    for (const auto id : FilterList) ASSERT_TRUE(SetRegistryText(HKEY_CLASSES_ROOT, ServerKey(id), L"", server));
    ASSERT_TRUE(SetRegistryText(HKEY_CLASSES_ROOT, kAudioCategory + std::wstring(kAudioCapturerId),
                                L"FriendlyName", L"stale"));
  }

 private:
  std::deque<TempFolder> folders_;
};

TEST_F(ReloadE2E, ProductBatchesReloadEveryFilterFromProgramFilesX86AndTheReportTellsItByteForByte) {
  RegisterAllFilters(L"C:\\old\\stale.ax");
  const std::wstring folder = Folder(L"Program Files (x86)\\Lumora Tools");
  InstallTool(folder, true);
  ASSERT_TRUE(SetRegistryText(HKEY_CURRENT_USER, kWineVersionKey, L"Version", L"win10"));
  ToolRun run(folder, L"/w Lumora");
  ASSERT_TRUE(run.Start());
  ASSERT_TRUE(RunAll({&run}, kRunLimit)) << "reload.exe did not end";
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_TRUE(run.Boxes().empty());
  EXPECT_EQ(CloseReportViewers(1, kViewerLimit), 1) << "the report was not opened through the shell";

  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const std::wstring processor = ReadRegistryText(
      HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"ProcessorNameString");

  const std::string uninstalled = UninstalledLines();
  const std::string installed = InstalledLines(Narrow(folder) + "\\Bin\\");
  const std::string facts =
      "\r\nWindows Version: 10.0 (Windows 10)\r\nProgram: Lumora\r\nVersion: 8.2.1\r\nNumber of processors: " +
      std::to_string(system.dwNumberOfProcessors) + (processor.empty() ? "" : "\r\nProcessor: " + Narrow(processor)) +
      "\r\nScreen resolution: " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
      std::to_string(GetSystemMetrics(SM_CYSCREEN)) + "\r\nMonitors: " + std::to_string(GetSystemMetrics(SM_CMONITORS));
  const std::string mismatch = Mismatch(
      run.Report(),
      {Literal("Test Report  "), Pattern(Today() + " \\d\\d:\\d\\d:\\d\\d"),
       Literal(facts + kUninstallHeading + uninstalled + kUninstallClosing + kInstallHeading + installed +
               kInstallClosing + Heading(L"Lumora 8") + "\r\n\r\n" + SettingsCopy())});
  EXPECT_EQ(mismatch, "");

  // The install batch left the filters where the 32-bit tool finds them.
  for (const auto id : FilterList) EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ServerKey(id)));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kAudioCategory + std::wstring(kAudioCapturerId)));
}

TEST_F(ReloadE2E, ProductBatchesRegisterTheExactFolderOfAToolWhosePathGoesBeyondAscii) {
  RegisterAllFilters(L"C:\\old\\stale.ax");
  // "\u00f6" and "\u00f3" are other bytes in the console's code page than in
  // the ANSI one; "\u0141" and "\u017a" are in neither of this prefix's.
  const std::wstring place = L"J\u00f6rg\\\u0141\u00f3d\u017a Tools";
  const std::wstring folder = Folder(place);
  InstallTool(folder, true);
  ToolRun run(folder, L"/w Lumora");
  ASSERT_TRUE(run.Start());
  ASSERT_TRUE(RunAll({&run}, kRunLimit)) << "reload.exe did not end";
  EXPECT_TRUE(run.Boxes().empty());
  EXPECT_EQ(CloseReportViewers(1, kViewerLimit), 1);

  std::vector<std::string> wrong;
  for (std::size_t i = 0; i < FilterList.size(); ++i) {
    if (FilterList[i] == kAudioCapturerId) continue;
    const std::wstring server = folder + L"\\Bin\\" + (i < 15 ? L"capture_filters.ax" : L"lumora_filters.ax");
    const std::wstring registered = ReadRegistryText(HKEY_CLASSES_ROOT, ServerKey(FilterList[i]), L"");
    if (registered != server) wrong.push_back(Narrow(registered, CP_UTF8) + " for " + Narrow(server, CP_UTF8));
  }
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " filters registered wrongly, the first as " << wrong.front();
  // The report is 8-bit text in code page 1252, "?" for what it lacks.
  const std::string bin =
      Narrow(folder.substr(0, folder.size() - place.size())) + "J\xf6rg\\?\xf3" "d? Tools\\Bin\\";
  const std::string report = run.Report();
  EXPECT_NE(report.find(kInstallHeading + InstalledLines(bin) + kInstallClosing), std::string::npos)
      << report.substr(std::min(report.size(), report.find(kInstallHeading)), 400);
}

TEST_F(ReloadE2E, AConsoleWindowTheToolDidNotStartIsLeftOpenAndUntouched) {
  const std::string title = "C:\\Windows\\System32\\cmd.exe";
  RecordingProgram console(title);
  ASSERT_NE(console.Handle(), nullptr);
  const std::wstring folder = Folder(L"Console");
  InstallTool(folder, true);
  ToolRun run(folder, L"/w Lumora");
  ASSERT_TRUE(run.Start());
  ASSERT_TRUE(RunAll({&run}, kRunLimit));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_EQ(CloseReportViewers(1, kViewerLimit), 1);
  EXPECT_TRUE(IsWindow(console.Handle()));
  EXPECT_EQ(WindowText(console.Handle()), title);
  EXPECT_NE(run.Report().find(kInstallClosing + Heading(L"Lumora 8")), std::string::npos);
  // Only the batches' own run times were waited for, not a window's.
  EXPECT_LT(run.Seconds(), 8.0);
}

TEST_F(ReloadE2E, ABatchPastTheBoundGetsTheSlowResponseMessageAndAReportThatSaysSo) {
  RegisterAllFilters(L"C:\\old\\stale.ax");
  const std::wstring folder = Folder(L"Slow");
  // The uninstall batch takes a second before it removes the first filter,
  // within the bound; the install batch waits for the test's release, or at
  // most a minute, far past it.
  InstallTool(folder, false,
              {{L"uninstall_all.bat", "@echo off\r\nping -n 2 127.0.0.1 > nul\r\nreg delete \"HKCR\\CLSID\\" + Id(0) +
                                          "\" /f /reg:32 > nul\r\n"},
               {L"install_all.bat", "@echo off\r\n" + kWaitForRelease + "echo done > \"%~dp0done.txt\"\r\n"}});
  const BatchRelease release{folder + L"\\Bin\\release.txt"};
  SetEnvironmentVariableW(kWaitSetting, L"5");
  ToolRun run(folder, L"w Vantor");
  ASSERT_TRUE(run.Start());
  SetEnvironmentVariableW(kWaitSetting, nullptr);
  ASSERT_TRUE(RunAll({&run}, kRunLimit));
  EXPECT_EQ(run.ExitCode(), 0u);
  ASSERT_EQ(run.Boxes().size(), 1u);
  EXPECT_EQ(run.Boxes()[0].text, L"Slow system response. Cannot continue.");
  EXPECT_EQ(CloseReportViewers(1, kViewerLimit), 1) << "the report was not shown";
  // Timer, about a second of uninstall, five seconds of install.
  EXPECT_GE(run.Seconds(), 6.0);
  EXPECT_LT(run.Seconds(), 15.0);

  const std::string report = run.Report();
  EXPECT_NE(report.find(kUninstallHeading + "\r\n" + Id(0) + " failed open (ERROR=2)\r\nC:\\old\\stale.ax OK"),
            std::string::npos)
      << "the check ran before the slow uninstall batch had finished";
  const std::string ending =
      kUninstallClosing + "\r\n\r\ninstall_all.bat did not finish within 5 seconds. Cannot continue.\r\n";
  ASSERT_GE(report.size(), ending.size());
  EXPECT_EQ(report.substr(report.size() - ending.size()), ending);

  // The batch itself was left to run; released, it ends on its own.
  EXPECT_FALSE(FileExists(folder + L"\\Bin\\done.txt"));
  ASSERT_TRUE(WriteFileBytes(release.file, "go"));
  EXPECT_TRUE(WaitFor([&] { return FileExists(folder + L"\\Bin\\done.txt"); }, 10s));
}

TEST_F(ReloadE2E, WhileABatchRunsTheToolsWindowAnswersAndASecondTimerMessageStartsNoSecondCycle) {
  const std::wstring folder = Folder(L"Busy");
  // Each batch notes that it ran; the install batch then waits for the
  // test's release, or at most about a minute.
  InstallTool(folder, false,
              {{L"uninstall_all.bat", "@echo uninstall>> \"%~dp0ran.txt\"\r\n"},
               {L"install_all.bat", "@echo off\r\necho install>> \"%~dp0ran.txt\"\r\n" + kWaitForRelease}});
  const BatchRelease release{folder + L"\\Bin\\release.txt"};
  const std::wstring ran = folder + L"\\Bin\\ran.txt";
  ToolRun run(folder, L"/w Lumora");
  ASSERT_TRUE(run.Start());
  ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(ran).find("\r\ninstall\r\n") != std::string::npos; }, 20s))
      << "the install batch did not start";
  const HWND window = FindProcessWindow(run.Id(), nullptr, "Reload Filters");
  ASSERT_NE(window, nullptr);

  // As a program announcing a setting to every top-level window sends it.
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(window, WM_SETTINGCHANGE, 0, 0, SMTO_NORMAL, 1000, &answer), 0)
      << "the tool's window did not answer within a second while the batch ran";
  // Sent rather than posted, so that it has been handled when the call returns.
  EXPECT_NE(SendMessageTimeoutW(window, WM_TIMER, 1, 0, SMTO_NORMAL, 1000, &answer), 0)
      << "a second timer message was not answered at once";
  ASSERT_TRUE(WriteFileBytes(release.file, "go"));
  ASSERT_TRUE(RunAll({&run}, kRunLimit));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_TRUE(run.Boxes().empty());
  EXPECT_EQ(CloseReportViewers(1, kViewerLimit), 1);
  EXPECT_EQ(ReadFileBytes(ran), "uninstall\r\ninstall\r\n") << "a batch ran twice";
  const std::string report = run.Report();
  const std::size_t check = report.find(kInstallHeading);
  EXPECT_NE(check, std::string::npos);
  EXPECT_EQ(report.find(kInstallHeading, check + 1), std::string::npos) << "the report holds two cycles";
}

TEST_F(ReloadE2E, WhereTheToolsFolderCannotTakeTheReportItAppearsFromLocalAppData) {
  const std::wstring folder = Folder(L"Locked");
  InstallTool(folder, false, {{L"uninstall_all.bat", kNoOpBatch}, {L"install_all.bat", kNoOpBatch}});
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\LogFilters.txt").c_str(), nullptr));
  const std::wstring fallback = LocalAppDataFolder() + L"\\LogFilters.txt";
  DeleteFileW(fallback.c_str());
  ToolRun run(folder, L"/w Lumora");
  ASSERT_TRUE(run.Start());
  ASSERT_TRUE(RunAll({&run}, kRunLimit));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_TRUE(run.Boxes().empty());
  EXPECT_EQ(CloseReportViewers(1, kViewerLimit), 1) << "the report was not shown";
  const std::string report = ReadFileBytes(fallback);
  DeleteFileW(fallback.c_str());
  EXPECT_EQ(report.rfind("Test Report  ", 0), 0u);
  const std::string note =
      "\r\nVersion: 8.2.1\r\nThis report could not be written to " + Narrow(folder) + "\\LogFilters.txt (ERROR=";
  EXPECT_NE(report.find(note), std::string::npos) << report.substr(0, 300);
  EXPECT_NE(report.find(kInstallClosing + Heading(L"Lumora 8")), std::string::npos);
}

TEST_F(ReloadE2E, FiltersThatRefuseFullAccessAreReportedPresentWithTheirServer) {
  RegisterAllFilters(L"C:\\old\\stale.ax");
  ASSERT_TRUE(MakeKeyReadOnly(HKEY_CLASSES_ROOT, ServerKey(FilterList[0])));
  ASSERT_TRUE(MakeKeyReadOnly(HKEY_CLASSES_ROOT, kAudioCategory + std::wstring(kAudioCapturerId)));
  const std::wstring folder = Folder(L"Read Only");
  // Batches that do nothing, as an uninstall that never ran: the report must
  // show every filter still there, not count them as good.
  InstallTool(folder, false, {{L"uninstall_all.bat", kNoOpBatch}, {L"install_all.bat", kNoOpBatch}});
  ToolRun run(folder, L"/w Lumora");
  ASSERT_TRUE(run.Start());
  ASSERT_TRUE(RunAll({&run}, kRunLimit));
  EXPECT_EQ(CloseReportViewers(1, kViewerLimit), 1);
  const std::string report = run.Report();
  EXPECT_NE(report.find(kUninstallHeading + "\r\nC:\\old\\stale.ax OK\r\n"), std::string::npos)
      << report.substr(0, 600);
  EXPECT_NE(report.find("\r\nvirtual-audio-capturer OK\r\nC:\\old\\stale.ax OK" + kProductOnly), std::string::npos);
  EXPECT_EQ(report.find("OK (no access)"), std::string::npos);
}

struct ProductCase {
  std::wstring folder;
  std::wstring arguments;
  std::string program;
  std::string version;
  std::string ending;
};

TEST_F(ReloadE2E, ProductComesFromTheParametersOrElseFromTheFolder) {
  const std::string lumoraEnd = Heading(L"Lumora 8") + "\r\n\r\n" + SettingsCopy();
  const std::vector<ProductCase> cases = {
      {L"Fendrel Tools", L"", "Lumora", "8.2.1", lumoraEnd},
      {L"Plain Tools", L"", "Vantor", "8.7.3", Heading(L"Vantor Capture 8")},
      {L"Fendrel Switch", L"/w Vantor", "Vantor", "8.7.3", Heading(L"Vantor Capture 8")},
      {L"Lumora Marker", L"w", "Lumora", "8.2.1", lumoraEnd},
      {L"Plain Word", L"x window Pellux w Lumora", "Pellux", "", kInstallClosing},
  };
  std::vector<std::unique_ptr<ToolRun>> runs;
  std::vector<Process*> all;
  for (const auto& c : cases) {
    const std::wstring folder = Folder(c.folder);
    InstallTool(folder, false, {{L"uninstall_all.bat", kNoOpBatch}, {L"install_all.bat", kNoOpBatch}});
    runs.push_back(std::make_unique<ToolRun>(folder, c.arguments));
    ASSERT_TRUE(runs.back()->Start());
    all.push_back(runs.back().get());
  }
  ASSERT_TRUE(RunAll(all, kRunLimit));
  EXPECT_EQ(CloseReportViewers(static_cast<int>(cases.size()), kViewerLimit), static_cast<int>(cases.size()));
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(Narrow(cases[i].folder + L" / " + cases[i].arguments));
    EXPECT_EQ(runs[i]->ExitCode(), 0u);
    EXPECT_TRUE(runs[i]->Boxes().empty());
    const std::string report = runs[i]->Report();
    EXPECT_NE(report.find("\r\nProgram: " + cases[i].program + "\r\nVersion: " + cases[i].version +
                          "\r\nNumber of processors: "),
              std::string::npos);
    ASSERT_GE(report.size(), cases[i].ending.size());
    EXPECT_EQ(report.substr(report.size() - cases[i].ending.size()), cases[i].ending);
    EXPECT_EQ(report.find("Settings.ini (") == std::string::npos, cases[i].program == "Pellux");
  }
}

TEST_F(ReloadE2E, EachParameterBeyondTwentyGetsItsOwnBoxAndIsDropped) {
  const std::wstring folder = Folder(L"Lumora Many");
  InstallTool(folder, false, {{L"uninstall_all.bat", kNoOpBatch}, {L"install_all.bat", kNoOpBatch}});
  std::wstring arguments = L"w Vantor";
  for (int i = 2; i < 22; ++i) arguments += L" p" + std::to_wstring(i);
  ToolRun run(folder, arguments);
  ASSERT_TRUE(run.Start());
  ASSERT_TRUE(RunAll({&run}, kRunLimit));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_EQ(CloseReportViewers(1, kViewerLimit), 1);
  ASSERT_EQ(run.Boxes().size(), 2u);
  EXPECT_EQ(run.Boxes()[0].text, L"Too many parameters 20");
  EXPECT_EQ(run.Boxes()[1].text, L"Too many parameters 21");
  // Wine does not mark a message box topmost; the style is checked by the unit tests.
  for (const auto& box : run.Boxes()) EXPECT_EQ(box.caption, L"Reload Filters Message");
  EXPECT_NE(run.Report().find("\r\nProgram: Vantor\r\nVersion: 8.7.3\r\n"), std::string::npos);
}

TEST_F(ReloadE2E, MissingBatchFilesAreAnnouncedAndTheCycleStillEnds) {
  const std::wstring folder = Folder(L"Empty");
  InstallTool(folder, false);
  ToolRun run(folder, L"/w Lumora");
  ASSERT_TRUE(run.Start());
  ASSERT_TRUE(RunAll({&run}, kRunLimit));
  EXPECT_EQ(run.ExitCode(), 0u);
  EXPECT_EQ(CloseReportViewers(1, kViewerLimit), 1);
  ASSERT_EQ(run.Boxes().size(), 2u);
  EXPECT_EQ(run.Boxes()[0].text, L"Cannot fnd file uninstall_all.bat.");
  EXPECT_EQ(run.Boxes()[1].text, L"Cannot register screen capture filters.");
  for (const auto& box : run.Boxes()) EXPECT_EQ(box.caption, L"Reload Filters Message");
  const std::string report = run.Report();
  const std::size_t uninstall = report.find(kUninstallHeading + "\r\n" + Id(0) + " failed open (ERROR=2)");
  const std::size_t install = report.find(kInstallHeading + "\r\n" + Id(0) + " failed open (ERROR=2)");
  EXPECT_NE(uninstall, std::string::npos);
  EXPECT_NE(install, std::string::npos);
  EXPECT_LT(uninstall, install);
  const std::string ending = Heading(L"Lumora 8") + "\r\n\r\n" + SettingsCopy();
  ASSERT_GE(report.size(), ending.size());
  EXPECT_EQ(report.substr(report.size() - ending.size()), ending);
}

}  // namespace
}  // namespace reload_e2e
