#include "report.h"

#include <gtest/gtest.h>

#include "fake_reload_system.h"

namespace reload {
namespace {

struct ReportTest : ::testing::Test {
  ReloadState state;
  FakeReloadSystem system;
  void SetUp() override {
    state.ModuleFolder = L"C:\\Fendrel";
    state.logOpen = system.OpenLog(L"C:\\Fendrel\\LogFilters.txt") == 0;
  }
  void Detect(uint32_t major, uint32_t minor, bool productInfo, uint32_t build = 0) {
    state = ReloadState{};
    system.version = {major, minor, build};
    system.getProductInfo = productInfo;
    DetectWindowsVersion(state, system);
  }
};

TEST_F(ReportTest, WindowsVersionTextNamesTheVersionAndDecidesElevation) {
  Detect(6, 2, false);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 6.2 (Windows 8)");
  EXPECT_TRUE(state.UseRunas);
  Detect(10, 0, true, 19045);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 10.0 (Windows 10)");
  // Windows 11 reports 10.0 as well; its build numbers start at 22000.
  Detect(10, 0, true, 22000);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 10.0 (Windows 11)");
  Detect(6, 3, true);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 6.3 (Windows 8.1)");
  Detect(6, 1, true);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 6.1 (Windows 7)");
  Detect(6, 0, true);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 6.0 (Windows Vista)");
  EXPECT_TRUE(state.UseRunas);
  // The first marker anywhere in the text decides, even inside a minor number.
  Detect(6, 10, true);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 6.10 (Windows 10)");
  Detect(7, 0, true);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 7.0");
}

TEST_F(ReportTest, OldVersionsLookForGetProductInfo) {
  system.productInfoLookups = 0;
  Detect(5, 1, false);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 5.1 (Windows XP)");
  EXPECT_FALSE(state.UseRunas);
  EXPECT_EQ(system.productInfoLookups, 1);
  Detect(5, 2, false);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 5.2 (Windows XP 64 bit)");
  Detect(5, 0, false);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 5.0 (Windows 2000)");
  Detect(5, 1, true);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 6+");
  EXPECT_TRUE(state.UseRunas);
  // From version 6 on the export is not looked for.
  system.productInfoLookups = 0;
  Detect(6, 1, true);
  EXPECT_EQ(system.productInfoLookups, 0);
}

TEST_F(ReportTest, ProductVersionComesFromTheProductsKey) {
  system.SetText(RegistryRoot::CurrentUser, L"Software\\Vantor Capture 8", L"Version", L"8.7.0");
  system.SetText(RegistryRoot::CurrentUser, L"Software\\Lumora 8", L"Version", L"8.3.1");
  state.ProductName = L"Lumora";
  ReadProductVersion(state, system);
  EXPECT_EQ(state.ProductVersionText, L"8.3.1");
  state.ProductName = L"Lumora and Vantor";  // Vantor is tested first
  ReadProductVersion(state, system);
  EXPECT_EQ(state.ProductVersionText, L"8.7.0");

  ReloadState other;
  other.ProductName = L"Pellux";
  ReadProductVersion(other, system);
  EXPECT_EQ(other.ProductVersionText, L"");

  // A key without the value, a key refusing full access, a long value.
  FakeReloadSystem empty;
  empty.keys[{RegistryRoot::CurrentUser, L"Software\\Lumora 8"}] = {};
  other.ProductName = L"Lumora";
  ReadProductVersion(other, empty);
  EXPECT_EQ(other.ProductVersionText, L"");
  empty.keys[{RegistryRoot::CurrentUser, L"Software\\Lumora 8"}] = {5, {{L"Version", L"1"}}};
  ReadProductVersion(other, empty);
  EXPECT_EQ(other.ProductVersionText, L"");
  empty.SetText(RegistryRoot::CurrentUser, L"Software\\Vantor Capture 8", L"Version", std::wstring(150, L'9'));
  other.ProductName = L"Vantor";
  ReadProductVersion(other, empty);
  EXPECT_EQ(other.ProductVersionText, std::wstring(kVersionTextLimit, L'9'));
}

TEST_F(ReportTest, OpeningBlockHasDateTimeVersionProgramAndProductVersion) {
  state.WindowsVersionText = L"Windows Version: 6.1 (Windows 7)";
  state.ProductName = L"Vantor";
  state.ProductVersionText = L"";
  system.now = {2031, 12, 24, 23, 59, 58};
  WriteReportOpening(state, system);
  EXPECT_EQ(system.log,
            "Test Report  12/24/31 23:59:58\r\nWindows Version: 6.1 (Windows 7)\r\n"
            "Program: Vantor\r\nVersion: ");
  EXPECT_EQ(ReportDateTime({2000, 1, 2, 0, 0, 9}), L"01/02/00 00:00:09");
}

TEST_F(ReportTest, SystemFactsIncludeTheProcessorOnlyWhenItCanBeRead) {
  const std::wstring cpu = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
  system.facts = {8, 1920, 1080, 2};
  system.SetText(RegistryRoot::LocalMachine, cpu, L"ProcessorNameString", L"Some CPU @ 3.00GHz");
  WriteSystemFacts(system);
  EXPECT_EQ(system.log,
            "\r\nNumber of processors: 8\r\nProcessor: Some CPU @ 3.00GHz"
            "\r\nScreen resolution: 1920x1080\r\nMonitors: 2");

  system.log.clear();
  system.keys[{RegistryRoot::LocalMachine, cpu}].openResult = 5;
  WriteSystemFacts(system);
  EXPECT_EQ(system.log, "\r\nNumber of processors: 8\r\nScreen resolution: 1920x1080\r\nMonitors: 2");

  system.keys[{RegistryRoot::LocalMachine, cpu}] = {0, {{L"ProcessorNameString", std::wstring(1200, L'c')}}};
  EXPECT_EQ(ReadProcessorName(system), std::wstring(kProcessorNameLimit, L'c'));
  system.keys[{RegistryRoot::LocalMachine, cpu}].values.clear();
  EXPECT_EQ(ReadProcessorName(system), std::nullopt);
}

TEST_F(ReportTest, SettingsCopyFollowsItsHeadingAfterAnEmptyLine) {
  const std::wstring path = L"C:\\Users\\ann\\AppData\\Roaming\\Lumora 8\\Settings.ini";
  system.files[path] = "Protocol: 1\r\nMax File Time: 60\nName=caf\xe9\r\n";
  state.ProductName = L"Lumora";
  EchoSettings(state, system);
  EXPECT_EQ(system.log,
            "\r\n\r\nSettings.ini (C:\\Users\\ann\\AppData\\Roaming\\Lumora 8\\Settings.ini)"
            "\r\n\r\nProtocol: 1\r\nMax File Time: 60\r\nName=caf\xe9\r\n");
}

TEST_F(ReportTest, SettingsCopyIsCutAtTenThousandBytesAndAtAZeroByte) {
  std::string big;
  for (int i = 0; big.size() < 12000; ++i) big += "Line" + std::to_string(i) + "=value\r\n";
  system.folders[KnownFolder::RoamingAppData] = L"C:\\AppData\\";  // a trailing backslash is not doubled
  system.files[L"C:\\AppData\\Vantor Capture 8\\Settings.ini"] = big;
  state.ProductName = L"Vantor";
  EchoSettings(state, system);
  const std::string heading = "\r\n\r\nSettings.ini (C:\\AppData\\Vantor Capture 8\\Settings.ini)\r\n\r\n";
  ASSERT_EQ(system.log.substr(0, heading.size()), heading);
  EXPECT_EQ(system.log.substr(heading.size()), big.substr(0, kSettingsReadLimit));

  EXPECT_EQ(SettingsText(std::string("ab\0cd", 5), system), L"ab");
  EXPECT_EQ(SettingsText(std::string("\0cd", 3), system), L"");
  EXPECT_EQ(SettingsText("", system), L"");
  EXPECT_EQ(SettingsText(std::string(10500, 'z'), system), std::wstring(kSettingsReadLimit, L'z'));
}

TEST_F(ReportTest, SettingsCopyWithoutAFileOrProductOrFolder) {
  state.ProductName = L"Lumora";
  EchoSettings(state, system);
  EXPECT_EQ(system.log, "\r\n\r\nSettings.ini (C:\\Users\\ann\\AppData\\Roaming\\Lumora 8\\Settings.ini)");

  system.log.clear();
  system.files[L"C:\\Users\\ann\\AppData\\Roaming\\Lumora 8\\Settings.ini"] = std::string("\0x", 2);
  EchoSettings(state, system);
  EXPECT_EQ(system.log, "\r\n\r\nSettings.ini (C:\\Users\\ann\\AppData\\Roaming\\Lumora 8\\Settings.ini)");

  system.log.clear();
  state.ProductName = L"Sonvee";
  EchoSettings(state, system);
  EXPECT_EQ(system.log, "");

  state.ProductName = L"Lumora";
  system.folders.erase(KnownFolder::RoamingAppData);
  EchoSettings(state, system);
  EXPECT_EQ(system.log, "");
}

// The log itself: opened where it can be, written line by line, shown at the end.
struct ReportLogTest : ::testing::Test {
  ReloadState state;
  FakeReloadSystem system;
};

TEST_F(ReportLogTest, LogBytesHaveCrLfLineEndsAndTheSystemsCodePage) {
  EXPECT_EQ(ToLogBytes(L"\r\nA\r\n", system), "\r\nA\r\n");
  EXPECT_EQ(ToLogBytes(L"a\nb\r\n\nc", system), "a\r\nb\r\n\r\nc");
  EXPECT_EQ(ToLogBytes(L"lone\rcr", system), "lone\rcr");
  EXPECT_EQ(ToLogBytes(L"100% %s %d", system), "100% %s %d");
  // The fake's code page is Latin-1.
  EXPECT_EQ(ToLogBytes(L"caf\u00e9\n\u20ac", system), "caf\xe9\r\n?");
}

TEST_F(ReportLogTest, AppendLogWritesOnlyToAnOpenLog) {
  AppendLog(system, L"\r\nfirst");
  EXPECT_EQ(system.log, "");
  ASSERT_EQ(system.OpenLog(L"C:\\t\\LogFilters.txt"), 0);
  AppendLog(system, L"\r\nfirst");
  AppendLog(system, L"\r\n50%s");
  EXPECT_EQ(system.log, "\r\nfirst\r\n50%s");
}

TEST_F(ReportLogTest, CloseAndShowLogOpensTheReportWhereItWasWrittenOrSaysThereIsNone) {
  state.ModuleFolder = L"C:\\Fendrel";
  CloseAndShowLog(state, system);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{L"box Reload Filters Message " + std::to_wstring(0x42030) +
                                                       L" Cannot write the test report LogFilters.txt."}));
  system.journal.clear();
  state.logOpen = true;
  state.reportPath = L"C:\\Users\\ann\\AppData\\Local\\LogFilters.txt";
  CloseAndShowLog(state, system);
  EXPECT_FALSE(state.logOpen);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{
                                L"close log", L"shell open C:\\Users\\ann\\AppData\\Local\\LogFilters.txt"}));
}

TEST_F(ReportLogTest, OpenReportWritesOpeningAndFactsIntoTheNewLog) {
  state.ModuleFolder = L"C:\\Fendrel";
  state.ProductName = L"Lumora";
  system.SetText(RegistryRoot::CurrentUser, L"Software\\Lumora 8", L"Version", L"8.1.2");
  OpenReport(state, system);
  EXPECT_TRUE(state.logOpen);
  EXPECT_EQ(system.logPath, L"C:\\Fendrel\\LogFilters.txt");
  EXPECT_EQ(system.log,
            "Test Report  03/07/26 09:05:02\r\nWindows Version: 6.2 (Windows 8)\r\n"
            "Program: Lumora\r\nVersion: 8.1.2\r\nNumber of processors: 4\r\n"
            "Screen resolution: 1280x1024\r\nMonitors: 1");
}

TEST_F(ReportLogTest, WithoutALogTheVersionFactsAreStillKnown) {
  state.ModuleFolder = L"C:\\Fendrel";
  state.ProductName = L"Lumora";
  system.logOpens = false;
  OpenReport(state, system);
  EXPECT_FALSE(state.logOpen);
  EXPECT_EQ(state.WindowsVersionText, L"Windows Version: 6.2 (Windows 8)");
  EXPECT_TRUE(state.UseRunas);
  EXPECT_EQ(system.log, "");
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{
                                L"open log C:\\Fendrel\\LogFilters.txt",
                                L"open log C:\\Users\\ann\\AppData\\Local\\LogFilters.txt",
                                L"open log C:\\Users\\ann\\AppData\\Local\\Temp\\LogFilters.txt"}));
}

TEST_F(ReportLogTest, AReportTheToolsFolderCannotTakeGoesToLocalAppDataOrTempAndSaysWhereItLookedFirst) {
  const std::wstring beside = L"C:\\Program Files (x86)\\Fendrel\\LogFilters.txt";
  const std::wstring local = L"C:\\Users\\ann\\AppData\\Local\\LogFilters.txt";
  system.unwritable = {beside};
  state.ModuleFolder = L"C:\\Program Files (x86)\\Fendrel";
  state.ProductName = L"Lumora";
  OpenReport(state, system);
  EXPECT_TRUE(state.logOpen);
  EXPECT_EQ(state.reportPath, local);
  EXPECT_EQ(system.logPath, local);
  EXPECT_EQ(system.log,
            "Test Report  03/07/26 09:05:02\r\nWindows Version: 6.2 (Windows 8)\r\nProgram: Lumora\r\nVersion: "
            "\r\nThis report could not be written to C:\\Program Files (x86)\\Fendrel\\LogFilters.txt (ERROR=5)"
            "\r\nNumber of processors: 4\r\nScreen resolution: 1280x1024\r\nMonitors: 1");

  state.logOpen = false;
  system.unwritable.insert(local);
  OpenReport(state, system);
  EXPECT_EQ(state.reportPath, L"C:\\Users\\ann\\AppData\\Local\\Temp\\LogFilters.txt");
  EXPECT_NE(system.log.find("written to C:\\Program Files (x86)\\Fendrel\\LogFilters.txt (ERROR=5)"),
            std::string::npos);
}

TEST(AppendPath, JoinsWithOneBackslash) {
  EXPECT_EQ(AppendPath(L"C:\\a", L"b c"), L"C:\\a\\b c");
  EXPECT_EQ(AppendPath(L"C:\\", L"b"), L"C:\\b");
  EXPECT_EQ(ProductFolderName(L"Vantor"), L"Vantor Capture 8");
  EXPECT_EQ(ProductFolderName(L"MyLumora"), L"Lumora 8");
  EXPECT_EQ(ProductKey(L"lumora"), L"");
}

}  // namespace
}  // namespace reload
