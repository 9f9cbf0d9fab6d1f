#include "options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fake_host.h"

namespace ormidal {
namespace {

struct Started {
  Options options;
  EntryFields current;
  ParameterTable table;
};

Started Start(std::string_view commandLine) {
  CmdLineInfo info;
  fw::WalkCommandLine<char>(commandLine, info);
  Started s;
  s.table = info.parameterTable;
  InterpretParameters(s.table, s.options, s.current);
  return s;
}

TEST(CommandLine, OptionsSetTheirValues) {
  const auto s = Start("Ormidal.exe /w Lumora /dir C:\\Settings /file Show /min");
  EXPECT_EQ(s.options.windowName, "Lumora");
  EXPECT_EQ(s.options.settingsFolder, "C:\\Settings");
  EXPECT_EQ(s.current.timeName, "Show");
  EXPECT_TRUE(s.options.minimizeAtStart);
  EXPECT_FALSE(s.options.audioMode);
  EXPECT_EQ(SchedulePath(s.options.settingsFolder), "C:\\Settings\\schedule.log");

  const auto t = Start(
      "x -url \"http://a/b c\" -pos 1,2,3,4 -fmt \" 2x\" -dur 01:30:00 -skb \" -7\" /w \"My Sonvee 3\"");
  EXPECT_EQ(t.current.timeUrl, "http://a/b c");
  EXPECT_EQ(t.current.timePos, "1,2,3,4");
  EXPECT_EQ(t.options.protocol, 2);
  EXPECT_EQ(t.options.durationText, "01:30:00");
  EXPECT_EQ(t.options.browserLaunch, -7);
  EXPECT_TRUE(t.options.audioMode);
  EXPECT_FALSE(t.options.minimizeAtStart);
}

TEST(CommandLine, NamesMustMatchExactlyAndCarryAMark) {
  const auto s = Start("x /W Lumora w Vantor /File f /dirx y -min2");
  EXPECT_EQ(s.options.windowName, "");
  EXPECT_EQ(s.current.timeName, "");
  EXPECT_EQ(s.options.settingsFolder, "");
  EXPECT_FALSE(s.options.minimizeAtStart);
}

TEST(CommandLine, ValuesThatAreFlagsAreAlsoOptions) {
  // "/w" takes "/min" as its title, and "/min" still counts in its own turn.
  const auto s = Start("x /w /min /dir");
  EXPECT_EQ(s.options.windowName, "min");
  EXPECT_TRUE(s.options.minimizeAtStart);
  EXPECT_EQ(s.options.settingsFolder, "");  // last argument: empty value
  const auto t = Start("x /fmt");
  EXPECT_EQ(t.options.protocol, 0);
  const auto u = Start("x /w A /w B");
  EXPECT_EQ(u.options.windowName, "B");  // the later value wins
}

TEST(CommandLine, OnlyTheFirstTwentyArgumentsCount) {
  std::string line = "x";
  for (int i = 0; i < 9; ++i) line += " /skb " + std::to_string(i);
  line += " /x /w Early /dir C:\\late";  // arguments 19 to 23
  const auto s = Start(line);
  EXPECT_EQ(s.table.entries.size(), 20u);
  EXPECT_EQ(s.table.count, 23u);
  EXPECT_TRUE(s.table.entries[19].flag);
  EXPECT_FALSE(s.table.entries[19].last);
  EXPECT_EQ(s.options.browserLaunch, 8);
  // The stored "/w" at position 20 has no stored value after it.
  EXPECT_EQ(s.options.windowName, "");
  EXPECT_EQ(s.options.settingsFolder, "");
}

TEST(CommandLine, TextsBeyondTheirLimitsAreShortened) {
  const std::string huge(1500, 'a');
  const auto s = Start("x /w " + huge + " /dur " + huge + " /dir " + huge + " /file " + huge);
  EXPECT_EQ(s.table.entries[1].text.size(), kArgumentLimit);
  EXPECT_EQ(s.options.windowName.size(), kWindowNameLimit);
  EXPECT_EQ(s.options.durationText.size(), kDurationTextLimit);
  EXPECT_EQ(s.options.settingsFolder.size(), kArgumentLimit);
  EXPECT_EQ(s.current.timeName.size(), kArgumentLimit);
}

TEST(ModuleFolder, DriveAndFolderWithoutTrailingBackslash) {
  EXPECT_EQ(ModuleFolderFromPath("C:\\Program Files\\Fendrel\\Ormidal.exe"),
            "C:\\Program Files\\Fendrel");
  EXPECT_EQ(ModuleFolderFromPath("C:\\Ormidal.exe"), "C:");
  EXPECT_EQ(ModuleFolderFromPath("C:Ormidal.exe"), "C:");
  EXPECT_EQ(ModuleFolderFromPath("\\\\server\\share\\Ormidal.exe"), "\\\\server\\share");
  EXPECT_EQ(ModuleFolderFromPath("Ormidal.exe"), "");
  EXPECT_EQ(ModuleFolderFromPath("C:\\" + std::string(253, 'd') + "\\a").size(),
            kModuleFolderLimit);
  // The system cuts a longer program path; what is left names the drive's root.
  EXPECT_EQ(ModuleFolderFromPath("C:\\" + std::string(400, 'd') + "\\x.exe"), "C:");
}

TEST(RecordingProgramPresence, LooksForEveryTitleInOrder) {
  std::vector<std::string> asked;
  EXPECT_FALSE(AnyRecordingProgramOpen([&](const char* t) {
    asked.emplace_back(t);
    return false;
  }));
  EXPECT_EQ(asked, (std::vector<std::string>{"Lumora", "Vantor", "Pellux", "Sonvee", "Tessaro"}));
  EXPECT_TRUE(AnyRecordingProgramOpen([](const char* t) { return std::string(t) == "Tessaro"; }));
}

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("ormidal_settings_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    options_.settingsFolder = folder_.string();
  }
  void TearDown() override {
    // Natively the backslash of the path is part of a file name beside the folder.
    std::filesystem::remove(SettingsPath(options_.settingsFolder));
    std::filesystem::remove_all(folder_);
  }
  void Write(const std::string& bytes) {
    std::ofstream(SettingsPath(options_.settingsFolder), std::ios::binary) << bytes;
  }
  std::filesystem::path folder_;
  Options options_;
  FakeHost host_;
};

TEST_F(SettingsFile, KeysCountOnlyOnFinishedLines) {
  options_.protocol = 5;
  Write("Protocol: 2\r\nMax File Time: 3600");
  EXPECT_TRUE(LoadSettings(options_, PortableFileSystem(), host_));
  EXPECT_EQ(options_.protocol, 2);
  EXPECT_EQ(options_.maxFileTime, 0);
  EXPECT_EQ(options_.maxFileTimeText, "00:00:00");

  Write("x\nProtocol: 1\nMax File Time: 3600\nProtocol: 2\n");
  EXPECT_TRUE(LoadSettings(options_, PortableFileSystem(), host_));
  EXPECT_EQ(options_.protocol, 2);
  EXPECT_EQ(options_.maxFileTime, 3600);
  EXPECT_EQ(options_.maxFileTimeText, "01:00:00");

  // One line with both keys sets only the protocol.
  Write("Protocol: 2 Max File Time: 60\n");
  EXPECT_TRUE(LoadSettings(options_, PortableFileSystem(), host_));
  EXPECT_EQ(options_.protocol, 2);
  EXPECT_EQ(options_.maxFileTime, 0);

  // A key beyond the first 999 characters of a long line is still on that line's last piece.
  Write(std::string(1200, 'z') + "Max File Time: 7\n" + std::string(998, 'y') + "Protocol: 9\n");
  EXPECT_TRUE(LoadSettings(options_, PortableFileSystem(), host_));
  EXPECT_EQ(options_.maxFileTime, 7);
  EXPECT_EQ(options_.protocol, 0);  // the key was split across two pieces
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(SettingsFile, MissingFileIsReportedAndLeavesZeros) {
  options_.protocol = 2;
  options_.maxFileTime = 60;
  EXPECT_FALSE(LoadSettings(options_, PortableFileSystem(), host_));
  EXPECT_EQ(options_.protocol, 0);
  EXPECT_EQ(options_.maxFileTime, 0);
  EXPECT_EQ(host_.messages, std::vector<std::string>{"Cannot read settings"});
}

TEST_F(SettingsFile, AudioModeNeverReadsIt) {
  options_.audioMode = true;
  options_.protocol = 2;
  EXPECT_TRUE(LoadSettings(options_, PortableFileSystem(), host_));
  EXPECT_EQ(options_.protocol, 2);
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(SettingsFile, DvdDurationMustMatchTheMaximumFileTime) {
  Write("Protocol: 2\nMax File Time: 3600\n");
  options_.windowName = "Lumora";
  ASSERT_TRUE(LoadSettings(options_, PortableFileSystem(), host_));
  std::string box = "01:30:00";
  EXPECT_FALSE(DurationMatchesSettings(options_, box, host_));
  EXPECT_EQ(box, "01:00:00");
  EXPECT_EQ(host_.messages,
            std::vector<std::string>{"When DVD video format is used the recording duration must be "
                                     "the same as the recording time specified in Lumora Settings."});
  EXPECT_TRUE(DurationMatchesSettings(options_, box, host_));
  options_.protocol = 1;
  box = "00:00:05";
  EXPECT_TRUE(DurationMatchesSettings(options_, box, host_));
  EXPECT_EQ(box, "00:00:05");
}

}  // namespace
}  // namespace ormidal
