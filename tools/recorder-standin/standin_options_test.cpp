#include "standin_options.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

TEST(ParseStandinArguments, DefaultsToLumoraWithoutSchedulerOrEnd) {
  const auto o = ParseStandinArguments({});
  EXPECT_EQ(o.title, "Lumora");
  EXPECT_EQ(o.startCommand, "");
  EXPECT_EQ(o.seconds, 0);
  EXPECT_EQ(o.error, "");
}

TEST(ParseStandinArguments, TakesTitleCommandAndSecondsInAnyOrder) {
  const auto o = ParseStandinArguments(
      {"/seconds", "30", "Sonvee", "-start", "\"C:\\a b\\Ormidal.exe\" /w Sonvee /dir C:\\s"});
  EXPECT_EQ(o.error, "");
  EXPECT_EQ(o.title, "Sonvee");
  EXPECT_EQ(o.startCommand, "\"C:\\a b\\Ormidal.exe\" /w Sonvee /dir C:\\s");
  EXPECT_EQ(o.seconds, 30);
}

TEST(ParseStandinArguments, ExplainsWhatItDoesNotUnderstand) {
  EXPECT_NE(ParseStandinArguments({"/seconds"}).error, "");
  EXPECT_NE(ParseStandinArguments({"/seconds", "0"}).error, "");
  EXPECT_NE(ParseStandinArguments({"/seconds", "5s"}).error, "");
  EXPECT_NE(ParseStandinArguments({"/start"}).error, "");
  EXPECT_NE(ParseStandinArguments({"/w", "Lumora"}).error, "");
  EXPECT_NE(ParseStandinArguments({"Lumora", "Vantor"}).error, "");
}

}  // namespace
}  // namespace standin
