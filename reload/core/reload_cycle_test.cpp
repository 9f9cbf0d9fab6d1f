#include "reload_cycle.h"

#include <gtest/gtest.h>

#include "fake_reload_system.h"
#include "filter_check.h"
#include "report.h"

namespace reload {
namespace {

const std::wstring kFolder = L"C:\\Program Files\\Fendrel";
const std::wstring kUninstall = kFolder + L"\\Bin\\uninstall_all.bat";
const std::wstring kInstall = kFolder + L"\\Bin\\install_all.bat";
const std::wstring kBoxStyle = std::to_wstring(0x42030);
constexpr BatchProcess kUninstallProcess = 7;
constexpr BatchProcess kInstallProcess = 8;

struct ReloadCycleTest : ::testing::Test {
  ReloadState state;
  FakeReloadSystem system;
  void SetUp() override {
    state.ModuleFolder = kFolder;
    state.ProductName = L"Lumora";
    state.UseRunas = true;
    system.batch = [](const std::wstring&, const std::wstring& file) {
      return BatchStart{true, 0, file == kInstall ? kInstallProcess : kUninstallProcess};
    };
  }
  // The batch files as the shell would run them: they change the registry.
  void InstallableBatches() {
    system.batch = [this](const std::wstring&, const std::wstring& file) {
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
      return BatchStart{true, 0, install ? kInstallProcess : kUninstallProcess};
    };
  }
};

TEST_F(ReloadCycleTest, EachBatchIsWaitedForThroughItsOwnProcessUpToTheBound) {
  EXPECT_TRUE(WaitCommandWindow(state, system, RunUninstall(state, system)));
  state.batchWaitSeconds = 5;
  EXPECT_TRUE(WaitCommandWindow(state, system, RunInstall(state, system)));
  system.slowBatches = {kInstallProcess};
  EXPECT_FALSE(WaitCommandWindow(state, system, kInstallProcess));
  // A batch the shell started without handing over its process is not waited for.
  EXPECT_TRUE(WaitCommandWindow(state, system, 0));
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{L"start runas " + kUninstall, L"wait 7 60000",
                                                       L"start runas " + kInstall, L"wait 8 5000", L"wait 8 5000"}));
}

TEST_F(ReloadCycleTest, BatchesStartElevatedOrOpenAndReportWhenTheyCannotStart) {
  RunUninstall(state, system);
  state.UseRunas = false;
  RunInstall(state, system);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{L"start runas " + kUninstall, L"start open " + kInstall}));
  // No file, no folder, no access, no program for batch files.
  for (const int32_t error : {2, 3, 5, 1155}) {
    system.journal.clear();
    system.batch = [error](const std::wstring&, const std::wstring&) { return BatchStart{false, error, 0}; };
    EXPECT_EQ(RunUninstall(state, system), 0u);
    EXPECT_EQ(RunInstall(state, system), 0u);
    EXPECT_EQ(system.journal, (std::vector<std::wstring>{
                                  L"start open " + kUninstall,
                                  L"box Reload Filters Message " + kBoxStyle + L" Cannot fnd file uninstall_all.bat.",
                                  L"start open " + kInstall,
                                  L"box Reload Filters Message " + kBoxStyle + L" Cannot register screen capture filters."}))
        << error;
  }
  // The user said no to the elevation prompt.
  system.journal.clear();
  system.batch = [](const std::wstring&, const std::wstring&) { return BatchStart{false, kElevationRefused, 0}; };
  RunUninstall(state, system);
  RunInstall(state, system);
  EXPECT_EQ(system.journal,
            (std::vector<std::wstring>{
                L"start open " + kUninstall,
                L"box Reload Filters Message " + kBoxStyle + L" Administrator rights were refused. uninstall_all.bat did not run.",
                L"start open " + kInstall,
                L"box Reload Filters Message " + kBoxStyle + L" Administrator rights were refused. install_all.bat did not run."}));
}

TEST_F(ReloadCycleTest, ABatchStillRunningAtTheBoundStopsTheCycleWithTheSlowResponseMessageAndTheReportSaysWhich) {
  const std::wstring slow = L"box Reload Filters Message " + kBoxStyle + L" Slow system response. Cannot continue.";
  state.logOpen = system.OpenLog(LogFilePath(state)) == 0;
  state.reportPath = LogFilePath(state);
  system.journal.clear();
  system.slowBatches = {kInstallProcess};
  ReloadCycle(state, system);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{L"kill timer", L"start runas " + kUninstall, L"wait 7 60000",
                                                       L"start runas " + kInstall, L"wait 8 60000", slow,
                                                       L"close log", L"shell open " + kFolder + L"\\LogFilters.txt",
                                                       L"exit 0"}));
  const std::string ending = "\r\n\r\nAll UNINSTALLED filters must show (ERROR=2) or (no access))\r\n"
                             "\r\n\r\ninstall_all.bat did not finish within 60 seconds. Cannot continue.\r\n";
  ASSERT_GE(system.log.size(), ending.size());
  EXPECT_EQ(system.log.substr(system.log.size() - ending.size()), ending);

  // A slow uninstall batch: no check, and the install batch is not started.
  ReloadState again = state;
  again.CheckMode = kNoBatchRun;
  again.batchWaitSeconds = 5;
  again.logOpen = system.OpenLog(LogFilePath(again)) == 0;
  system.journal.clear();
  system.slowBatches = {kUninstallProcess};
  ReloadCycle(again, system);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{L"kill timer", L"start runas " + kUninstall, L"wait 7 5000",
                                                       slow, L"close log",
                                                       L"shell open " + kFolder + L"\\LogFilters.txt", L"exit 0"}));
  EXPECT_EQ(system.log, "\r\n\r\nuninstall_all.bat did not finish within 5 seconds. Cannot continue.\r\n");
}

TEST_F(ReloadCycleTest, CycleRunsBothBatchesWithChecksThenShowsTheReportAndEnds) {
  InstallableBatches();
  system.files[L"C:\\Users\\ann\\AppData\\Roaming\\Lumora 8\\Settings.ini"] = "Protocol: 2\r\n";
  OpenReport(state, system);
  system.log.clear();
  system.journal.clear();
  ReloadCycle(state, system);

  EXPECT_EQ(system.journal, (std::vector<std::wstring>{
                                L"kill timer", L"start runas " + kUninstall, L"wait 7 60000",
                                L"start runas " + kInstall, L"wait 8 60000", L"close log",
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
  system.batch = [](const std::wstring&, const std::wstring&) { return BatchStart{false, 2, 0}; };
  OpenReport(state, system);
  system.journal.clear();
  ReloadCycle(state, system);
  EXPECT_EQ(system.journal, (std::vector<std::wstring>{
                                L"kill timer", L"start runas " + kUninstall,
                                L"box Reload Filters Message " + kBoxStyle + L" Cannot fnd file uninstall_all.bat.",
                                L"start runas " + kInstall,
                                L"box Reload Filters Message " + kBoxStyle + L" Cannot register screen capture filters.",
                                L"close log", L"shell open " + kFolder + L"\\LogFilters.txt", L"exit 0"}));
  EXPECT_NE(system.log.find("Uninstall filters. Checking Registry..."), std::string::npos);
  EXPECT_NE(system.log.find("Install filters. Checking Registry..."), std::string::npos);
  EXPECT_NE(system.log.find("\r\n\r\nSettings.ini ("), std::string::npos);
}

TEST_F(ReloadCycleTest, WithoutALogTheCycleRunsAndThenSaysNoReportCouldBeWritten) {
  InstallableBatches();
  ReloadCycle(state, system);
  EXPECT_EQ(system.journal,
            (std::vector<std::wstring>{
                L"kill timer", L"start runas " + kUninstall, L"wait 7 60000", L"start runas " + kInstall,
                L"wait 8 60000",
                L"box Reload Filters Message " + kBoxStyle + L" Cannot write the test report LogFilters.txt.",
                L"exit 0"}));
  EXPECT_EQ(system.log, "");
  // The batches did run: the registry holds the filters again.
  EXPECT_EQ(system.ProbeKey(RegistryRoot::ClassesRoot,
                            std::wstring(kAudioCategoryInstance) + std::wstring(kAudioCapturerId)),
            0);
}

TEST(BatchWaitSeconds, ASettingCanOnlyShortenTheWait) {
  EXPECT_EQ(BatchWaitSeconds(std::nullopt), kBatchWaitSeconds);
  EXPECT_EQ(BatchWaitSeconds(L"5"), 5u);
  EXPECT_EQ(BatchWaitSeconds(L"60"), 60u);
  for (const wchar_t* setting : {L"", L"0", L"61", L"999999", L"-5", L"5s", L" 5", L"1e3"}) {
    EXPECT_EQ(BatchWaitSeconds(setting), kBatchWaitSeconds) << setting;
  }
}

}  // namespace
}  // namespace reload
