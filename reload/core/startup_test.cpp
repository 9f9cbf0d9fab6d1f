#include "startup.h"

#include <gtest/gtest.h>

#include "fake_reload_system.h"

namespace reload {
namespace {

TEST(GetModuleFolder, DriveAndDirectoryWithoutTrailingBackslash) {
  EXPECT_EQ(GetModuleFolder(L"C:\\Program Files\\Fendrel\\reload.exe"), L"C:\\Program Files\\Fendrel");
  EXPECT_EQ(GetModuleFolder(L"C:\\reload.exe"), L"C:");
  EXPECT_EQ(GetModuleFolder(L"\\\\server\\share\\tools\\reload.exe"), L"\\\\server\\share\\tools");
  EXPECT_EQ(GetModuleFolder(L"reload.exe"), L"");
  const std::wstring deep = L"D:\\" + std::wstring(300, L'a') + L"\\reload.exe";
  const std::wstring folder = GetModuleFolder(deep);
  EXPECT_EQ(folder.size(), kTextLimit);
  EXPECT_EQ(folder.substr(0, 4), L"D:\\a");
}

struct StartupTest : ::testing::Test {
  ReloadState state;
  FakeReloadSystem system;
  void Walk(const std::wstring& commandLine) {
    CmdLineInfo info(state, system);
    fw::WalkCommandLine<wchar_t>(commandLine, info);
  }
  std::wstring Product(const std::wstring& folder, const std::wstring& commandLine) {
    state = ReloadState{};
    state.ModuleFolder = folder;
    Walk(L"reload.exe " + commandLine);
    SelectProduct(state);
    return state.ProductName;
  }
};

TEST_F(StartupTest, TwentyParametersAreStoredAndEachFurtherOneGetsItsOwnBox) {
  std::wstring line = L"reload.exe";
  for (int i = 0; i < 22; ++i) line += L" p" + std::to_wstring(i);
  Walk(line);
  ASSERT_EQ(state.ParameterTable.size(), 20u);
  EXPECT_EQ(state.ParameterTable.front(), L"p0");
  EXPECT_EQ(state.ParameterTable.back(), L"p19");
  EXPECT_EQ(state.parameterCount, 22u);
  const std::wstring style = std::to_wstring(0x42030);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{
                                L"box Reload Filters Message " + style + L" Too many parameters 20",
                                L"box Reload Filters Message " + style + L" Too many parameters 21"}));
}

TEST_F(StartupTest, ParametersLoseTheirSwitchMarkAndAreShortenedToTheirRoom) {
  Walk(L"reload.exe /w -Vantor " + std::wstring(300, L'x'));
  ASSERT_EQ(state.ParameterTable.size(), 3u);
  EXPECT_EQ(state.ParameterTable[0], L"w");
  EXPECT_EQ(state.ParameterTable[1], L"Vantor");
  EXPECT_EQ(state.ParameterTable[2], std::wstring(kTextLimit, L'x'));
  EXPECT_TRUE(system.journal.empty());
}

TEST_F(StartupTest, ProductComesFromTheParameterAfterTheFirstWMarker) {
  EXPECT_EQ(Product(L"C:\\Fendrel", L"/w Vantor"), L"Vantor");
  EXPECT_EQ(Product(L"C:\\Tools", L"-w Lumora"), L"Lumora");
  // Any parameter holding a lowercase w is the marker; the first one wins.
  EXPECT_EQ(Product(L"C:\\Tools", L"x window Lumora w Vantor"), L"Lumora");
  // An unknown product is taken as it stands.
  EXPECT_EQ(Product(L"C:\\Tools", L"w Pellux"), L"Pellux");
  // An uppercase W is no marker.
  EXPECT_EQ(Product(L"C:\\Lumora", L"W Vantor"), L"Lumora");
}

TEST_F(StartupTest, WithoutAProductParameterTheFolderDecides) {
  EXPECT_EQ(Product(L"C:\\Program Files\\Fendrel", L""), L"Lumora");
  EXPECT_EQ(Product(L"C:\\Program Files\\Lumora 8", L""), L"Lumora");
  EXPECT_EQ(Product(L"C:\\Program Files\\Vantor", L""), L"Vantor");
  EXPECT_EQ(Product(L"C:\\Program Files\\lumora", L""), L"Vantor");  // case-sensitive
  // A marker as the last parameter names nothing.
  EXPECT_EQ(Product(L"C:\\Fendrel\\Bin", L"a w"), L"Lumora");
  EXPECT_EQ(Product(L"C:\\Tools", L"w"), L"Vantor");
}

TEST_F(StartupTest, LogBytesHaveCrLfLineEndsAndTheSystemsCodePage) {
  EXPECT_EQ(ToLogBytes(L"\r\nA\r\n", system), "\r\nA\r\n");
  EXPECT_EQ(ToLogBytes(L"a\nb\r\n\nc", system), "a\r\nb\r\n\r\nc");
  EXPECT_EQ(ToLogBytes(L"lone\rcr", system), "lone\rcr");
  EXPECT_EQ(ToLogBytes(L"100% %s %d", system), "100% %s %d");
  // The fake's code page is Latin-1.
  EXPECT_EQ(ToLogBytes(L"caf\u00e9\n\u20ac", system), "caf\xe9\r\n?");
}

TEST_F(StartupTest, AppendLogWritesOnlyToAnOpenLog) {
  state.MessageText = L"\r\nfirst";
  AppendLog(state, system);
  EXPECT_EQ(system.log, "");
  ASSERT_EQ(system.OpenLog(L"C:\\t\\LogFilters.txt"), 0);
  state.logOpen = true;
  AppendLog(state, system);
  state.MessageText = L"\r\n50%s";
  AppendLog(state, system);
  EXPECT_EQ(system.log, "\r\nfirst\r\n50%s");
}

TEST_F(StartupTest, CloseAndShowLogOpensTheReportWhereItWasWrittenOrSaysThereIsNone) {
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

TEST_F(StartupTest, OpenReportWritesOpeningAndFactsIntoTheNewLog) {
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

TEST_F(StartupTest, WithoutALogTheVersionFactsAreStillKnown) {
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

TEST_F(StartupTest, AReportTheToolsFolderCannotTakeGoesToLocalAppDataOrTempAndSaysWhereItLookedFirst) {
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

}  // namespace
}  // namespace reload
