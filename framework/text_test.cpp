#include "text.h"

#include <gtest/gtest.h>

TEST(ReadDecimal, ReadsLikeAtoiWithoutOverflow) {
  EXPECT_EQ(fw::ReadDecimal("42"), 42);
  EXPECT_EQ(fw::ReadDecimal("  -17abc"), -17);
  EXPECT_EQ(fw::ReadDecimal("\t+8,9"), 8);
  EXPECT_EQ(fw::ReadDecimal("x12"), 0);
  EXPECT_EQ(fw::ReadDecimal(""), 0);
  EXPECT_EQ(fw::ReadDecimal("- 5"), 0);
  EXPECT_EQ(fw::ReadDecimal("99999999999999999999"), 2147483647);
  EXPECT_EQ(fw::ReadDecimal("-99999999999999999999"), -2147483647 - 1);
  EXPECT_EQ(fw::ReadDecimalAt("ab 7", 2), 7);
  EXPECT_EQ(fw::ReadDecimalAt("ab", 5), 0);
}

TEST(Clip, ShortensOnlyBeyondTheLimit) {
  EXPECT_EQ(fw::Clip(std::string_view("abcdef"), 3), "abc");
  EXPECT_EQ(fw::Clip(std::string_view("ab"), 3), "ab");
  EXPECT_EQ(fw::Clip(std::wstring_view(L"abcdef"), 0), L"");
}
