#include "text_file_open.h"

#include <gtest/gtest.h>

#include "fake_host.h"

namespace ormidal {
namespace {

constexpr char kPath[] = "C:\\My Shows\\schedule.log";

TEST(OpenTextFile, TriesWordPadThenNotepadThenTheFileItselfAndSaysSoWhenAllFail) {
  const ShellOpen wordPad{"wordpad", "\"C:\\My Shows\\schedule.log\""};
  const ShellOpen notepad{"C:\\Windows\\notepad.exe", wordPad.parameters};
  const ShellOpen itself{kPath, ""};
  const struct {
    const char* windowsFolder;
    int startsAt;  // the attempt the shell starts; -1: none
    std::vector<ShellOpen> tried;
  } cases[] = {
      {"C:\\Windows", 0, {wordPad}},
      {"C:\\Windows\\", 1, {wordPad, notepad}},
      {"C:\\Windows", 2, {wordPad, notepad, itself}},
      {"C:\\Windows", -1, {wordPad, notepad, itself}},
      {"", -1, {wordPad, itself}},  // the Windows folder unknown
  };
  for (const auto& c : cases) {
    std::vector<ShellOpen> tried;
    FakeHost host;
    OpenTextFile(kPath, c.windowsFolder, [&](const ShellOpen& open) {
      tried.push_back(open);
      return static_cast<int>(tried.size()) - 1 == c.startsAt;
    }, host);
    EXPECT_EQ(tried, c.tried) << c.startsAt;
    EXPECT_EQ(host.messages.size(), c.startsAt < 0 ? 1u : 0u) << c.startsAt;
    if (c.startsAt < 0 && !host.messages.empty()) {
      EXPECT_NE(host.messages[0].find(kPath), std::string::npos) << host.messages[0];
    }
  }
}

}  // namespace
}  // namespace ormidal
