#include "start_request.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

TEST(ParseStartText, SplitsEveryPart) {
  const auto r = ParseStartText("Show pos: 100,100,600,500 url: http://tv/live pro: player sec: 5400");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->name, "Show");
  EXPECT_EQ(r->position, "100,100,600,500");
  EXPECT_EQ(r->url, "http://tv/live");
  EXPECT_EQ(r->program, "player");
  EXPECT_EQ(r->seconds, 5400u);
}

TEST(ParseStartText, TheAudioRecordersEmptyPositionIsEmpty) {
  const auto r = ParseStartText("Radio pos:  url: http://tv/live pro: player sec: 1");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->name, "Radio");
  EXPECT_EQ(r->position, "");
  EXPECT_EQ(r->url, "http://tv/live");
}

TEST(ParseStartText, EmptyNameUrlAndProgram) {
  const auto r = ParseStartText(" pos: 1,2,3,4 url:  pro:  sec: 7");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->name, "");
  EXPECT_EQ(r->position, "1,2,3,4");
  EXPECT_EQ(r->url, "");
  EXPECT_EQ(r->program, "");
  EXPECT_EQ(r->seconds, 7u);
}

TEST(ParseStartText, NamesAndPathsMayHoldBlanksAndMarkerLikeText) {
  const auto r = ParseStartText(
      "Late show pos: 1,2,3,4 url: D:\\my videos\\a pro: b.wmv pro: wmplayer sec: 60");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->name, "Late show");
  EXPECT_EQ(r->url, "D:\\my videos\\a pro: b.wmv");
  EXPECT_EQ(r->program, "wmplayer");
}

TEST(ParseStartText, AnUnreadableDurationArrivesAsTheLargestUnsignedValue) {
  const auto r = ParseStartText("A pos: 1,2,3,4 url: u pro: p sec: 4294967295");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->seconds, 4294967295u);
}

TEST(ParseStartText, RefusesTextsThatAreNotWholeStartRequests) {
  EXPECT_FALSE(ParseStartText(""));
  EXPECT_FALSE(ParseStartText("hello"));
  // Cut at the scheduler's limit before the seconds.
  EXPECT_FALSE(ParseStartText("A pos: 1,2,3,4 url: http://very/long pro: p se"));
  EXPECT_FALSE(ParseStartText("A pos: 1,2,3,4 url: u pro: p sec: "));
  EXPECT_FALSE(ParseStartText("A pos: 1,2,3,4 url: u pro: p sec: 12x"));
  EXPECT_FALSE(ParseStartText("A pos: 1,2,3,4 pro: p sec: 1"));
  EXPECT_FALSE(ParseStartText("A pos: 1,2,3,4 sec: 1 url: u pro: p"));
}

TEST(ParsePosition, ReadsLeftTopRightBottom) {
  const auto rect = ParsePosition("100,120,600,500");
  ASSERT_TRUE(rect);
  EXPECT_EQ(rect->left, 100);
  EXPECT_EQ(rect->top, 120);
  EXPECT_EQ(rect->right, 600);
  EXPECT_EQ(rect->bottom, 500);
  EXPECT_TRUE(ParsePosition("-10,-20,30,40"));
}

TEST(ParsePosition, RefusesMalformedAndEmptyRectangles) {
  EXPECT_FALSE(ParsePosition(""));
  EXPECT_FALSE(ParsePosition("1,2,3"));
  EXPECT_FALSE(ParsePosition("1,2,3,4,5"));
  EXPECT_FALSE(ParsePosition("1, 2,3,4"));
  EXPECT_FALSE(ParsePosition("10,10,10,20"));  // no width
  EXPECT_FALSE(ParsePosition("10,30,20,20"));  // upside down
}

TEST(IsAudioTitle, LooksForSonveeAnywhereInTheTitle) {
  EXPECT_TRUE(IsAudioTitle("Sonvee"));
  EXPECT_TRUE(IsAudioTitle("My Sonvee 8"));
  EXPECT_FALSE(IsAudioTitle("Lumora"));
  EXPECT_FALSE(IsAudioTitle("sonvee"));
}

}  // namespace
}  // namespace standin
