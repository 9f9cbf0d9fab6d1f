// ormidal-check.exe under a Wine whose ANSI code page is 1251 (the wrapper
// code-page-1251 sets it): names written in that code page.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

using namespace std::chrono_literals;

// "Новости" in code page 1251 and in UTF-8.
constexpr char kName1251[] = "\xcd\xee\xe2\xee\xf1\xf2\xe8";
constexpr char kNameUtf8[] = "\xd0\x9d\xd0\xbe\xd0\xb2\xd0\xbe\xd1\x81\xd1\x82\xd0\xb8";

TEST(CheckProgram, NamesOfTheCodePageAreUtf8InJsonAndTheirOwnBytesInAFile) {
  ASSERT_EQ(GetACP(), 1251u) << "not run through code-page-1251";
  e2e::TempFolder folder("ormidal_check_1251");
  const std::string schedule = folder.Windows() + "\\schedule.log";
  ASSERT_TRUE(e2e::WriteFileBytes(
      schedule, std::string(kName1251) +
                    " URL: http://tv/news START: Dec 08,2026 08:00:00 PM END: Dec 08,2026 "
                    "08:30:00 PM REPEAT: Once PROG: player WND: 100,100,600,500\r\n"));
  struct Case {
    const char* options;
    std::string expected;
    const char* output;  // a file of its own: the last run's console may still hold its own
  };
  const Case cases[] = {
      {"--json", "\"name\": \"" + std::string(kNameUtf8) + "\"", "json.txt"},
      {"", "line 1  " + std::string(kName1251) + "\r\n", "text.txt"},
  };
  for (const Case& c : cases) {
    const std::filesystem::path output = folder.Path() / c.output;
    e2e::Process check;
    ASSERT_TRUE(check.Start("\"" + e2e::ProgramPath("ormidal-check.exe") + "\" " + c.options +
                                " --now \"Dec 08,2026 07:00:00 PM\" --days 1 \"" + schedule + "\"",
                            {L"", output, true}))
        << c.options << " " << GetLastError();
    DWORD code = 2;
    ASSERT_TRUE(check.WaitExit(code, 20s)) << c.options;
    EXPECT_EQ(code, 0u) << c.options;
    const std::string bytes = e2e::ReadFileBytes(output);
    EXPECT_NE(bytes.find(c.expected), std::string::npos) << c.options << "\n" << bytes;
  }
}

}  // namespace
