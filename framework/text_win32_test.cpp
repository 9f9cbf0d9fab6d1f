#include "text_win32.h"

#include <gtest/gtest.h>

// A character the code page lacks becomes "?" when asked, not a look-alike;
// UTF-8 holds every character and must take neither option.
TEST(CodePages, UnmappedCharactersBecomeAQuestionMarkExceptInUtf8) {
  EXPECT_EQ(fw::Widen("caf\xe9", 1252), L"caf\u00e9");
  EXPECT_EQ(fw::Narrow(L"caf\u00e9", 1252), "caf\xe9");
  EXPECT_EQ(fw::Narrow(L"\u0100\u20ac", 1252, fw::Unmapped::kQuestionMark), "?\x80");
  EXPECT_EQ(fw::Narrow(L"\u0100", CP_UTF8, fw::Unmapped::kQuestionMark), "\xc4\x80");
  EXPECT_EQ(fw::Widen("\xc4\x80", CP_UTF8), L"\u0100");
  EXPECT_EQ(fw::Narrow(L""), "");
}
