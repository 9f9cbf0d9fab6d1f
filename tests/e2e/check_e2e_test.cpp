// ormidal-check.exe under a Wine whose ANSI code page is 1251 (the wrapper
// code-page-1251 sets it): names written in that code page.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

using namespace std::chrono_literals;

TEST(CheckProgram, NamesOfTheCodePageAreUtf8InJsonAndTheirOwnBytesInAFile) {
  ASSERT_EQ(GetACP(), 1251u) << "not run through code-page-1251";
  const std::string name1251 = "\xcd\xee\xe2\xee\xf1\xf2\xe8";  // the same word in UTF-8:
  const std::string nameUtf8 = "\xd0\x9d\xd0\xbe\xd0\xb2\xd0\xbe\xd1\x81\xd1\x82\xd0\xb8";
  e2e::TempFolder folder("ormidal_check_1251");
  const std::string schedule = folder.Windows() + "\\schedule.log";
  ASSERT_TRUE(e2e::WriteFileBytes(schedule, name1251 + " URL: u START: Dec 08,2026 08:00:00 PM "
                                                "END: Dec 08,2026 08:30:00 PM REPEAT: Once "
                                                "PROG: p WND: 100,100,600,500\r\n"));
  const std::pair<std::string, std::string> cases[] = {
      {"--json", "\"name\": \"" + nameUtf8 + "\""}, {"--days 1", "line 1  " + name1251 + "\r\n"}};
  for (const auto& [options, expected] : cases) {
    const std::filesystem::path output = folder.Path() / (options + ".txt");
    // 1: no scheduler runs for the folder, which the check reports; 2 would be a failed read.
    ASSERT_EQ(e2e::RunCheck(options + " --now \"Dec 08,2026 07:00:00 PM\" \"" + schedule + "\"",
                            output),
              1u)
        << options;
    EXPECT_NE(e2e::ReadFileBytes(output).find(expected), std::string::npos) << options;
  }
}

}  // namespace
