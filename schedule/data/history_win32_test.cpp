// The history's Win32 file against other programs holding the file.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "history_win32.h"
#include "host.h"
#include "scoped_win32.h"

namespace ormidal {
namespace {

fw::ScopedHandle Hold(const std::string& path, DWORD share) {
  return fw::ScopedHandle(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
}

TEST(Win32HistorySink, AppendsBesideReadersAndWaitsOutAHolderThatSharesNoWriting) {
  const auto folder = std::filesystem::temp_directory_path() / "ormidal-history-win32-test";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string path = (folder / kHistoryFileName).string();
  std::vector<std::string> told;
  HistoryAppender appender(Win32HistorySink(), path,
                           [&](const std::string& message) { told.push_back(message); });
  const std::string started =
      HistoryLine(NewHistoryEvent(HistoryKind::kStarted, GetFileTime("Dec 08,2026 08:00:00 PM")));
  appender.Append({started});
  {
    // As Notepad and the check's C library open it.
    const fw::ScopedHandle reader = Hold(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(reader);
    appender.Append({started});
    EXPECT_EQ(appender.Waiting(), 0u);
  }
  {
    // As a program that opens it without sharing writing.
    const fw::ScopedHandle holder = Hold(path, FILE_SHARE_READ);
    ASSERT_TRUE(holder);
    appender.Append({started});
    appender.Append({started});
    EXPECT_EQ(appender.Waiting(), 2u);
  }
  appender.Append({started});
  std::string contents;
  ASSERT_TRUE(PortableFileSystem().Read(path, contents));
  EXPECT_EQ(ReadHistory(contents).events.size(), 5u);
  EXPECT_EQ(ReadHistory(contents).damaged, 0u);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].substr(0, told[0].find(" (")), "Cannot write the scheduler history " + path);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace ormidal
