#include "schedule_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "fake_host.h"

namespace ormidal {
namespace {

const std::string kConcert =
    "Concert URL: C:\\clips\\a.asx START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 10:00:00 PM "
    "REPEAT: Once PROG: player WND: 100,100,600,500";

TEST(SchedulePaths, AllFilesShareTheFolderCutToTheScheduleLimit) {
  EXPECT_EQ(SchedulePath("C:\\Settings"), "C:\\Settings\\schedule.log");
  EXPECT_EQ(TemporaryPath("C:\\Settings"), "C:\\Settings\\s1.txt");
  EXPECT_EQ(SettingsPath("C:\\Settings"), "C:\\Settings\\settings.ini");
  EXPECT_EQ(SchedulePath(""), "\\schedule.log");
  const std::string longFolder(300, 'x');
  EXPECT_EQ(SchedulePath(longFolder).size(), 242u + 13u);
  EXPECT_EQ(TemporaryPath(longFolder).substr(0, 243), std::string(242, 'x') + "\\");
}

TEST(ExtractEntryLine, ReadsTheSevenFieldsWithCrLfOrBareLf) {
  for (const std::string ending : {"\r\n", "\n", ""}) {
    EntryFields f;
    const std::string text = kConcert + ending;
    LineReader reader(text);
    std::string_view line;
    ASSERT_TRUE(reader.Next(line));
    const Extraction x = ExtractEntryLine(line, f);
    EXPECT_EQ(x.kind, LineKind::kEntry);
    EXPECT_FALSE(x.readError);
    EXPECT_EQ(f.timeName, "Concert");
    EXPECT_EQ(f.timeUrl, "C:\\clips\\a.asx");
    EXPECT_EQ(f.timeStart, "Jan 05,2024 08:30:00 PM");
    EXPECT_EQ(f.timeEnd, "Jan 05,2024 10:00:00 PM");
    EXPECT_EQ(f.timeDay, "Once");
    EXPECT_EQ(f.timeProg, "player");
    EXPECT_EQ(f.timePos, "100,100,600,500");
    EXPECT_FALSE(reader.Next(line));
  }
}

TEST(ExtractEntryLine, EmptyFieldsAndBlanksInFields) {
  EntryFields f;
  const auto x = ExtractEntryLine(
      "My Show, part 2 URL:  START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 10:00:00 PM "
      "REPEAT:  Sun Sat  PROG:  WND: \r",
      f);
  EXPECT_EQ(x.kind, LineKind::kEntry);
  EXPECT_EQ(f.timeName, "My Show, part 2");
  EXPECT_EQ(f.timeUrl, "");
  EXPECT_EQ(f.timeDay, " Sun Sat ");
  EXPECT_EQ(f.timeProg, "");
  EXPECT_EQ(f.timePos, "");
}

TEST(ExtractEntryLine, LinesWithoutProgAndWndAreNotEntries) {
  EntryFields f;
  EXPECT_EQ(ExtractEntryLine("just a note", f).kind, LineKind::kNotEntry);
  EXPECT_EQ(ExtractEntryLine("", f).kind, LineKind::kNotEntry);
  EXPECT_EQ(ExtractEntryLine("a URL: b START: c END: d REPEAT: Once PROG: x", f).kind,
            LineKind::kNotEntry);
  // Fields of an earlier line never leak into a later one.
  ExtractEntryLine(kConcert, f);
  EXPECT_EQ(ExtractEntryLine("x PROG: p WND: 1,2,3,4", f).kind, LineKind::kEntry);
  EXPECT_EQ(f.timeName, "");
  EXPECT_EQ(f.timeStart, "");
  EXPECT_EQ(f.timeProg, "p");
}

TEST(ExtractEntryLine, SeparatorsOutOfOrder) {
  const std::string startFirst =
      "A START: Jan 05,2024 08:30:00 PM URL: u END: Jan 05,2024 10:00:00 PM REPEAT: Once "
      "PROG: p WND: 1,2,3,4";
  EntryFields f;
  EXPECT_EQ(ExtractEntryLine(startFirst, f).kind, LineKind::kNotEntry);
  // The list shows such a line, with the field that could not be cut empty.
  const auto shown = ExtractEntryLine(startFirst, f, OutOfOrder::kEmptyField);
  EXPECT_EQ(shown.kind, LineKind::kEntry);
  EXPECT_EQ(f.timeName, "A START: Jan 05,2024 08:30:00 PM");
  EXPECT_EQ(f.timeUrl, "");
  EXPECT_EQ(f.timeProg, "p");

  const std::string wndFirst =
      "A URL: u START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 10:00:00 PM WND: 1,2,3,4 "
      "REPEAT: Once PROG: p";
  EXPECT_EQ(ExtractEntryLine(wndFirst, f).kind, LineKind::kNotEntry);
}

TEST(ExtractEntryLine, ProgBeforeRepeatIsAReadErrorWithAnEmptyRepeat) {
  EntryFields f;
  const auto x = ExtractEntryLine(
      "A URL: u START: Jan 05,2024 08:30:00 PM END: Jan 05,2024 10:00:00 PM PROG: p REPEAT: "
      "Daily WND: 1,2,3,4",
      f);
  EXPECT_TRUE(x.readError);
  EXPECT_EQ(x.kind, LineKind::kEntry);
  EXPECT_EQ(f.timeDay, "");
  // Each field runs to the first occurrence of the next separator after it.
  EXPECT_EQ(f.timeEnd, "Jan 05,2024 10:00:00 PM PROG: p");
  EXPECT_EQ(f.timeProg, "p REPEAT: Daily");
}

TEST(ExtractEntryLine, FieldsBeyondTheLimitAreShortened) {
  EntryFields f;
  const std::string name(5000, 'n');
  const std::string pos(6000, '9');
  ASSERT_EQ(ExtractEntryLine(name + " URL: u START: s END: e REPEAT: Once PROG: p WND: " + pos, f)
                .kind,
            LineKind::kEntry);
  EXPECT_EQ(f.timeName.size(), kFieldLimit);
  EXPECT_EQ(f.timePos.size(), kFieldLimit);
}

TEST(LineReader, CountsEveryLineAndTheLastOneWithoutABreak) {
  LineReader reader("a\r\n\nshort\nlast");
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"a\r", "", "short", "last"}));
  LineReader empty("");
  EXPECT_FALSE(empty.Next(line));
}

class ScheduleFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("ormidal_load_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / "schedule.log").string();
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  void Write(const std::string& bytes) {
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  std::filesystem::path folder_;
  std::string path_;
  FakeHost host_;
};

TEST_F(ScheduleFileOnDisk, MissingFileIsCreatedAndHoldsNoRecordings) {
  std::string copy = "old";
  EXPECT_EQ(LoadScheduleFile(path_, copy, PortableFileSystem(), host_), LoadResult::kTooShort);
  EXPECT_TRUE(std::filesystem::exists(path_));
  EXPECT_EQ(host_.messages, std::vector<std::string>{"There are no scheduled recordings"});
  EXPECT_EQ(host_.ended, 0);
}

TEST_F(ScheduleFileOnDisk, TenBytesAreLoadedNineAreNot) {
  std::string copy;
  Write("123456789");
  EXPECT_EQ(LoadScheduleFile(path_, copy, PortableFileSystem(), host_), LoadResult::kTooShort);
  Write(kConcert + "\r\n");
  ASSERT_EQ(LoadScheduleFile(path_, copy, PortableFileSystem(), host_), LoadResult::kLoaded);
  EXPECT_EQ(copy, kConcert + "\r\n");  // bytes as stored, line ends included
  Write("1234567890");
  EXPECT_EQ(LoadScheduleFile(path_, copy, PortableFileSystem(), host_), LoadResult::kLoaded);
  EXPECT_EQ(copy, "1234567890");
  EXPECT_EQ(host_.messages.size(), 1u);
}

TEST(LoadScheduleFile, AFileThatCannotBeOpenedEndsTheProcess) {
  FakeHost host;
  MapFiles files;
  files.failing = MapFiles::Step::kRead;
  std::string copy;
  EXPECT_EQ(LoadScheduleFile("X:\\nowhere\\schedule.log", copy, files, host), LoadResult::kEnded);
  EXPECT_EQ(host.messages,
            std::vector<std::string>{"Cannot open scheduler file. Please open the scheduler from "
                                     "the recording program. Cannot continue."});
  EXPECT_EQ(host.ended, 1);
  EXPECT_EQ(host.endedWhy, std::vector<HistoryCause>{HistoryCause::kCannotOpenSchedule});
}

}  // namespace
}  // namespace ormidal
