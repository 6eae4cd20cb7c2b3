#include <gtest/gtest.h>

#include "config/time_of_day.hpp"

namespace helvanta {
namespace {

TEST(TimeOfDay, ReadsTheThreeWrittenForms) {
  auto t = ParseTimeOfDay("04:30:00");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->hour, 4);
  EXPECT_EQ(t->minute, 30);
  EXPECT_EQ(t->second, 0);

  t = ParseTimeOfDay("7:05:09");
  ASSERT_TRUE(t);
  EXPECT_EQ(FormatTimeOfDay(*t), "07:05:09");

  t = ParseTimeOfDay("22:45");
  ASSERT_TRUE(t);
  EXPECT_EQ(FormatTimeOfDay(*t), "22:45:00");

  EXPECT_EQ(FormatTimeOfDay(*ParseTimeOfDay("00:00:00")), "00:00:00");
  EXPECT_EQ(FormatTimeOfDay(*ParseTimeOfDay("23:59:59")), "23:59:59");
}

TEST(TimeOfDay, RejectsEverythingElse) {
  for (const char* text : {"",          "24:00:00", "12:60:00",   "12:00:60", "1:2:3",    "12:00:0",       " 12:00:00",
                           "12:00:00 ", "12-00-00", "ab:cd:ef",   "123:00",   "-1:00:00", "4:30",          "12:3a:00",
                           "12:30:",    "12:30-00", "1:30:00:00", "12:+5:00", "9:99:00",  "\xff\xff:00:00"}) {
    EXPECT_FALSE(ParseTimeOfDay(text)) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace helvanta
