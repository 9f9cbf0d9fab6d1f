#include "handover_win32.h"

#include <gtest/gtest.h>

namespace ormidal {
namespace {

// The key's own resolution of a folder agrees with the system's resolution
// of the schedule path in that folder.
TEST(SystemFolderKey, ResolvesAFolderAsTheSystemResolvesItsSchedulePath) {
  for (const wchar_t* folder : {L"", L"C:", L"C:\\Settings\\", L"settings", L"..\\x\\.\\y\\..",
                                L"\\x", L"c:x", L"a/b//c/", L"\\\\server\\share\\..\\..\\x"}) {
    const std::wstring schedule = std::wstring(folder) + L"\\schedule.log";
    std::wstring full(4 * MAX_PATH, L'\0');
    full.resize(GetFullPathNameW(schedule.c_str(), static_cast<DWORD>(full.size()), full.data(),
                                 nullptr));
    ASSERT_FALSE(full.empty()) << folder;
    full.resize(full.rfind(L'\\'));
    EXPECT_EQ(SystemFolderKey(folder), AsciiUpperCase(full)) << folder;
  }
  EXPECT_EQ(SystemFolderKey(L"C:\\M\u00fcsik\\\u00e9t\u00e9"), SystemFolderKey(L"c:\\M\u00dcSIK\\\u00c9T\u00c9"));
  EXPECT_NE(SystemFolderKey(L"C:\\M\u00fcsik"), SystemFolderKey(L"C:\\Musik"));
}

}  // namespace
}  // namespace ormidal
