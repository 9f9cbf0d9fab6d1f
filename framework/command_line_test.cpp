#include "command_line.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using Args = std::vector<std::string>;

Args Split(std::string_view line) { return fw::SplitCommandLine<char>(line); }

TEST(SplitCommandLine, FollowsTheWindowsRuntimeRules) {
  EXPECT_EQ(Split("prog a b"), (Args{"prog", "a", "b"}));
  EXPECT_EQ(Split("prog  \t a\t\tb  "), (Args{"prog", "a", "b"}));
  EXPECT_EQ(Split(R"("C:\Program Files\x.exe" /dir "C:\My Settings")"),
            (Args{R"(C:\Program Files\x.exe)", "/dir", R"(C:\My Settings)"}));
  // Backslashes count only in front of a quote.
  EXPECT_EQ(Split(R"(p C:\a\b\ d)"), (Args{"p", R"(C:\a\b\)", "d"}));
  EXPECT_EQ(Split(R"(p a\\"b c" d)"), (Args{"p", R"(a\b c)", "d"}));
  EXPECT_EQ(Split(R"(p a\"b)"), (Args{"p", R"(a"b)"}));
  EXPECT_EQ(Split(R"(p a\\\"b)"), (Args{"p", R"(a\"b)"}));
  EXPECT_EQ(Split(R"(p "a""b" c)"), (Args{"p", R"(a"b)", "c"}));
  EXPECT_EQ(Split(R"(p "")"), (Args{"p", ""}));
  EXPECT_EQ(Split(R"(p "unclosed text)"), (Args{"p", "unclosed text"}));
  // The program name knows no escapes.
  EXPECT_EQ(Split(R"(C:\dir\"x y".exe z)"), (Args{R"(C:\dir\x y.exe)", "z"}));
  EXPECT_EQ(Split(""), (Args{""}));
}

TEST(SplitCommandLine, WideTextSplitsTheSameWay) {
  const auto args = fw::SplitCommandLine<wchar_t>(L"reload.exe /w \"Vantor 8\"");
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[1], L"/w");
  EXPECT_EQ(args[2], L"Vantor 8");
}

struct Recorder : fw::CommandLineInfo<char> {
  std::vector<std::tuple<std::string, bool, bool>> seen;
  void CollectParameter(const std::string& text, bool flag, bool last) override {
    seen.emplace_back(text, flag, last);
  }
};

TEST(WalkCommandLine, RemovesOneMarkAndMarksTheLastArgument) {
  Recorder r;
  fw::WalkCommandLine<char>("prog /w Lumora -dir //x - plain", r);
  using T = std::tuple<std::string, bool, bool>;
  EXPECT_EQ(r.seen, (std::vector<T>{T{"w", true, false}, T{"Lumora", false, false},
                                    T{"dir", true, false}, T{"/x", true, false},
                                    T{"", true, false}, T{"plain", false, true}}));
}

TEST(WalkCommandLine, NothingAfterTheProgramNameCollectsNothing) {
  Recorder r;
  fw::WalkCommandLine<char>("\"C:\\x y\\Ormidal.exe\"   ", r);
  EXPECT_TRUE(r.seen.empty());
}

}  // namespace
