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

}  // namespace
}  // namespace reload
