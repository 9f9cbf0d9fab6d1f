#include "filter_check.h"

#include <gtest/gtest.h>

#include <set>

#include "fake_reload_system.h"

namespace reload {
namespace {

std::wstring ServerKey(std::wstring_view id) { return L"CLSID\\" + std::wstring(id) + L"\\InprocServer32"; }
std::wstring AudioKey() { return std::wstring(kAudioCategoryInstance) + std::wstring(kAudioCapturerId); }
std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

struct FilterCheckTest : ::testing::Test {
  ReloadState state;
  FakeReloadSystem system;
  void SetUp() override { state.logOpen = system.OpenLog(L"C:\\t\\LogFilters.txt") == 0; }
  std::string Check(std::wstring_view id) {
    system.log.clear();
    CheckFilter(state, system, id);
    return system.log;
  }
};

TEST(FilterListTest, SeventeenDistinctUpperCaseIdentifiersWithTheAudioCapturerFourteenth) {
  std::set<std::wstring_view> distinct(FilterList.begin(), FilterList.end());
  EXPECT_EQ(distinct.size(), kFilterCount);
  for (const auto id : FilterList) {
    ASSERT_EQ(id.size(), 38u);
    EXPECT_EQ(id.front(), L'{');
    EXPECT_EQ(id.back(), L'}');
    for (std::size_t i = 1; i < 37; ++i) {
      const wchar_t c = id[i];
      if (i == 9 || i == 14 || i == 19 || i == 24) {
        EXPECT_EQ(c, L'-');
      } else {
        EXPECT_TRUE((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F')) << Narrow(id);
      }
    }
  }
  EXPECT_EQ(FilterList[13], kAudioCapturerId);
}

TEST_F(FilterCheckTest, ServerRegistrationLinesForEveryResult) {
  const std::wstring_view id = FilterList[0];
  const std::string idText = Narrow(id);
  EXPECT_EQ(Check(id), "\r\n" + idText + " failed open (ERROR=2)");

  system.SetText(RegistryRoot::ClassesRoot, ServerKey(id), L"", L"C:\\Bin\\video_capture.ax");
  EXPECT_EQ(Check(id), "\r\nC:\\Bin\\video_capture.ax OK");
  EXPECT_EQ(state.ServerPathText, L"C:\\Bin\\video_capture.ax");

  system.keys[{RegistryRoot::ClassesRoot, ServerKey(id)}].openResult = 5;
  EXPECT_EQ(Check(id), "\r\n" + idText + " OK (no access)");
  system.keys[{RegistryRoot::ClassesRoot, ServerKey(id)}].openResult = 1018;
  EXPECT_EQ(Check(id), "\r\n" + idText + " failed open (ERROR=1018)");

  // A key without a default value; the last server path read stays.
  system.keys[{RegistryRoot::ClassesRoot, ServerKey(id)}] = {};
  EXPECT_EQ(Check(id), "\r\n" + idText + " failed query value (ERROR=2)");
  EXPECT_EQ(state.ServerPathText, L"C:\\Bin\\video_capture.ax");

  const std::wstring longPath(1500, L'p');
  system.SetText(RegistryRoot::ClassesRoot, ServerKey(id), L"", longPath);
  EXPECT_EQ(Check(id), "\r\n" + std::string(kServerPathLimit, 'p') + " OK");
}

TEST_F(FilterCheckTest, AudioCapturerIsLookedUpInTheCategoryAndNamed) {
  const std::string idText = Narrow(kAudioCapturerId);
  EXPECT_EQ(Check(kAudioCapturerId), "\r\n" + idText + " failed query value (ERROR=2)");
  // A server key alone does not make the capturer present.
  system.SetText(RegistryRoot::ClassesRoot, ServerKey(kAudioCapturerId), L"", L"C:\\Bin\\audio.ax");
  EXPECT_EQ(Check(kAudioCapturerId), "\r\n" + idText + " failed query value (ERROR=2)");
  system.keys[{RegistryRoot::ClassesRoot, AudioKey()}] = {};
  EXPECT_EQ(Check(kAudioCapturerId), "\r\nvirtual-audio-capturer OK");
  system.keys[{RegistryRoot::ClassesRoot, AudioKey()}].openResult = 5;
  EXPECT_EQ(Check(kAudioCapturerId), "\r\n" + idText + " failed query value (ERROR=5)");
  // Only the exact identifier text is the audio capturer.
  std::wstring lower(kAudioCapturerId);
  lower[1] = L'b';
  EXPECT_EQ(Check(lower), "\r\n" + Narrow(lower) + " failed open (ERROR=2)");
  EXPECT_EQ(AudioKey(),
            L"Wow6432Node\\CLSID\\{33D9A762-90C8-11d0-BD43-00A0C911CE86}\\Instance\\" +
                std::wstring(kAudioCapturerId));
}

std::string MissingLines(std::size_t from, std::size_t to) {
  std::string lines;
  for (std::size_t i = from; i < to; ++i) {
    lines += "\r\n" + Narrow(FilterList[i]) + (FilterList[i] == kAudioCapturerId ? " failed query value (ERROR=2)"
                                                                                 : " failed open (ERROR=2)");
  }
  return lines;
}

TEST_F(FilterCheckTest, ChecksHaveHeadingAndClosingOnlyAfterABatch) {
  const std::string entries = MissingLines(0, 15) + "\r\n\r\nNext items for Lumora only\r\n" + MissingLines(15, 17);
  state.CheckMode = kNoBatchRun;
  CheckFilters(state, system);
  EXPECT_EQ(system.log, entries);

  system.log.clear();
  state.CheckMode = kAfterUninstall;
  CheckFilters(state, system);
  EXPECT_EQ(system.log, "\r\n\r\nUninstall filters. Checking Registry..." + entries +
                            "\r\n\r\nAll UNINSTALLED filters must show (ERROR=2) or (no access))\r\n");

  system.log.clear();
  state.CheckMode = kAfterInstall;
  CheckFilters(state, system);
  EXPECT_EQ(system.log, "\r\n\r\nInstall filters. Checking Registry..." + entries +
                            "\r\n\r\nAll INSTALLED filters must show OK or (no access))\r\n");
}

TEST_F(FilterCheckTest, ProductOnlyEntriesAreCheckedForEveryProduct) {
  state.ProductName = L"Vantor";
  for (std::size_t i = 0; i < kFilterCount; ++i) {
    system.SetText(RegistryRoot::ClassesRoot, ServerKey(FilterList[i]), L"",
                   L"S" + std::to_wstring(i + 1) + L".ax");
  }
  system.keys[{RegistryRoot::ClassesRoot, AudioKey()}] = {};
  CheckFilters(state, system);
  EXPECT_EQ(system.log,
            "\r\nS1.ax OK\r\nS2.ax OK\r\nS3.ax OK\r\nS4.ax OK\r\nS5.ax OK\r\nS6.ax OK\r\nS7.ax OK"
            "\r\nS8.ax OK\r\nS9.ax OK\r\nS10.ax OK\r\nS11.ax OK\r\nS12.ax OK\r\nS13.ax OK"
            "\r\nvirtual-audio-capturer OK\r\nS15.ax OK"
            "\r\n\r\nNext items for Lumora only\r\n\r\nS16.ax OK\r\nS17.ax OK");
}

}  // namespace
}  // namespace reload
