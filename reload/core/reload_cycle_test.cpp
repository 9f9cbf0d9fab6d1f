#include "reload_cycle.h"

#include <gtest/gtest.h>

#include "fake_reload_system.h"
#include "filter_check.h"
#include "startup.h"

namespace reload {
namespace {

const std::wstring kFolder = L"C:\\Program Files\\Fendrel";
const std::wstring kUninstall = kFolder + L"\\Bin\\uninstall_all.bat";
const std::wstring kInstall = kFolder + L"\\Bin\\install_all.bat";
const std::wstring kCmd = L"C:\\Windows\\System32\\cmd.exe";
const std::wstring kBoxStyle = std::to_wstring(0x42030);

struct ReloadCycleTest : ::testing::Test {
  ReloadState state;
  FakeReloadSystem system;
  void SetUp() override {
    state.ModuleFolder = kFolder;
    state.ProductName = L"Lumora";
    state.UseRunas = true;
  }
  // The batch files as the shell would run them: they change the registry.
  void InstallableBatches() {
    system.shell = [this](const std::wstring&, const std::wstring& file) -> std::intptr_t {
      const bool install = file == kInstall;
      for (const auto id : FilterList) {
        const std::pair key{RegistryRoot::ClassesRoot, L"CLSID\\" + std::wstring(id) + L"\\InprocServer32"};
        if (install) {
          system.keys[key].values[L""] = kFolder + L"\\Bin\\filters.ax";
        } else {
          system.keys.erase(key);
        }
      }
      const std::pair audio{RegistryRoot::ClassesRoot,
                            std::wstring(kAudioCategoryInstance) + std::wstring(kAudioCapturerId)};
      if (install) {
        system.keys[audio] = {};
      } else {
        system.keys.erase(audio);
      }
      return 42;
    };
  }
};

TEST_F(ReloadCycleTest, WaitEndsAtTheFirstPollWithoutACommandWindow) {
  WaitCommandWindow(system, kUninstall);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{L"pause 1000"}));
}

TEST_F(ReloadCycleTest, WaitFollowsEitherTitleUntilTheWindowIsGone) {
  system.windowPolls[kCmd] = 2;
  system.windowPolls[kUninstall] = 1;
  WaitCommandWindow(system, kUninstall);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{L"pause 1000", L"pause 1000", L"pause 1000",
                                                       L"pause 1000"}));
  EXPECT_EQ(system.windowPolls[kCmd], 0);
  EXPECT_EQ(system.windowPolls[kUninstall], 0);
}

TEST_F(ReloadCycleTest, AWindowStillThereAtTheFifthPollIsClosed) {
  system.windowPolls[kCmd] = 100;
  WaitCommandWindow(system, kInstall);
  const std::wstring closeCmd = L"close window " + std::to_wstring(1000 + kCmd.size());
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{L"pause 1000", L"pause 1000", L"pause 1000",
                                                       L"pause 1000", L"pause 1000", closeCmd}));
  system.journal.clear();
  system.windowPolls.clear();
  system.windowPolls[kInstall] = 5;
  WaitCommandWindow(system, kInstall);
  EXPECT_EQ(system.journal.size(), 6u);
  EXPECT_EQ(system.journal.back(), L"close window " + std::to_wstring(1000 + kInstall.size()));
}

TEST_F(ReloadCycleTest, BatchesStartElevatedOrOpenAndReportWhenTheyCannotStart) {
  RunUninstall(state, system);
  state.UseRunas = false;
  RunInstall(state, system);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{L"shell runas " + kUninstall, L"shell open " + kInstall}));

  // The shell's answers up to 32 are failures: 2 (no file), 5 (denied), 31, 32.
  for (const std::intptr_t answer : {2, 5, 31, 32}) {
    system.journal.clear();
    system.shell = [answer](const std::wstring&, const std::wstring&) { return answer; };
    RunUninstall(state, system);
    RunInstall(state, system);
    EXPECT_EQ(system.journal, (std::vector<std::wstring>{
                                  L"shell open " + kUninstall,
                                  L"box Reload Filters Message " + kBoxStyle + L" Cannot fnd file uninstall_all.bat.",
                                  L"shell open " + kInstall,
                                  L"box Reload Filters Message " + kBoxStyle + L" Cannot register screen capture filters."}))
        << answer;
  }
  system.journal.clear();
  system.shell = [](const std::wstring&, const std::wstring&) -> std::intptr_t { return 33; };
  RunInstall(state, system);
  EXPECT_EQ(system.journal.size(), 1u);
}

TEST_F(ReloadCycleTest, CycleRunsBothBatchesWithChecksThenShowsTheReportAndEnds) {
  InstallableBatches();
  system.files[L"C:\\Users\\ann\\AppData\\Roaming\\Lumora 8\\Settings.ini"] = "Protocol: 2\r\n";
  state.logOpen = system.OpenLog(LogFilePath(state));
  system.journal.clear();
  ReloadCycle(state, system);

  EXPECT_EQ(system.journal, (std::vector<std::wstring>{
                                L"kill timer", L"shell runas " + kUninstall, L"pause 1000",
                                L"shell runas " + kInstall, L"pause 1000", L"close log",
                                L"shell open " + kFolder + L"\\LogFilters.txt", L"exit 0"}));
  EXPECT_EQ(state.CheckMode, kAfterInstall);
  std::string missing, present;
  for (std::size_t i = 0; i < kFilterCount; ++i) {
    if (i == kCommonFilterCount) {
      missing += "\r\n\r\nNext items for Lumora only\r\n";
      present += "\r\n\r\nNext items for Lumora only\r\n";
    }
    const std::string id(FilterList[i].begin(), FilterList[i].end());
    if (FilterList[i] == kAudioCapturerId) {
      missing += "\r\n" + id + " failed query value (ERROR=2)";
      present += "\r\nvirtual-audio-capturer OK";
    } else {
      missing += "\r\n" + id + " failed open (ERROR=2)";
      present += "\r\nC:\\Program Files\\Fendrel\\Bin\\filters.ax OK";
    }
  }
  EXPECT_EQ(system.log,
            "\r\n\r\nUninstall filters. Checking Registry..." + missing +
                "\r\n\r\nAll UNINSTALLED filters must show (ERROR=2) or (no access))\r\n"
                "\r\n\r\nInstall filters. Checking Registry..." +
                present +
                "\r\n\r\nAll INSTALLED filters must show OK or (no access))\r\n"
                "\r\n\r\nSettings.ini (C:\\Users\\ann\\AppData\\Roaming\\Lumora 8\\Settings.ini)"
                "\r\n\r\nProtocol: 2\r\n");
}

TEST_F(ReloadCycleTest, BothBatchesMissingStillChecksCopiesAndEnds) {
  system.shell = [](const std::wstring& verb, const std::wstring&) -> std::intptr_t {
    return verb == L"open" ? 42 : 2;  // the report itself opens
  };
  state.logOpen = system.OpenLog(LogFilePath(state));
  system.journal.clear();
  ReloadCycle(state, system);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{
                                L"kill timer", L"shell runas " + kUninstall,
                                L"box Reload Filters Message " + kBoxStyle + L" Cannot fnd file uninstall_all.bat.",
                                L"pause 1000", L"shell runas " + kInstall,
                                L"box Reload Filters Message " + kBoxStyle + L" Cannot register screen capture filters.",
                                L"pause 1000", L"close log", L"shell open " + kFolder + L"\\LogFilters.txt",
                                L"exit 0"}));
  EXPECT_NE(system.log.find("Uninstall filters. Checking Registry..."), std::string::npos);
  EXPECT_NE(system.log.find("Install filters. Checking Registry..."), std::string::npos);
  EXPECT_NE(system.log.find("\r\n\r\nSettings.ini ("), std::string::npos);
}

TEST_F(ReloadCycleTest, WithoutALogTheCycleRunsButShowsNothing) {
  InstallableBatches();
  ReloadCycle(state, system);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{L"kill timer", L"shell runas " + kUninstall, L"pause 1000",
                                                       L"shell runas " + kInstall, L"pause 1000", L"exit 0"}));
  EXPECT_EQ(system.log, "");
  // The batches did run: the registry holds the filters again.
  EXPECT_EQ(system.ProbeKey(RegistryRoot::ClassesRoot,
                            std::wstring(kAudioCategoryInstance) + std::wstring(kAudioCapturerId)),
            0);
}

}  // namespace
}  // namespace reload
