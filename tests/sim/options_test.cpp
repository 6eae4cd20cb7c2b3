#include "sim/options.hpp"

#include <gtest/gtest.h>

#include "sim/help_text.hpp"

namespace helvanta::sim {
namespace {

TEST(SimOptions, ReadsEveryOptionInBothForms) {
  const SimOptions o = ParseOptions({"--device", "/dev/ttyS1", "--link=/tmp/inv", "--log",   "a.log",
                                     "--start",  "06:30:05",   "--seed=12",       "--speed", "60",
                                     "--fast",   "--split",    "--drop",          "0.25",    "--garble=0.5",
                                     "--noise",  "1",          "--late",          "0",       "--hangup-after",
                                     "3"});
  EXPECT_EQ(o.device, "/dev/ttyS1");
  EXPECT_EQ(o.link, "/tmp/inv");
  EXPECT_EQ(o.log, "a.log");
  EXPECT_EQ(o.startSecond, 6 * 3600 + 30 * 60 + 5);
  EXPECT_EQ(o.seed, 12u);
  EXPECT_EQ(o.speed, 60.0);
  EXPECT_TRUE(o.fast);
  EXPECT_TRUE(o.split);
  EXPECT_EQ(o.drop, 0.25);
  EXPECT_EQ(o.garble, 0.5);
  EXPECT_EQ(o.noise, 1.0);
  EXPECT_EQ(o.late, 0.0);
  EXPECT_EQ(o.hangupAfter, 3u);
  EXPECT_FALSE(o.help);

  const SimOptions defaults = ParseOptions({});
  EXPECT_TRUE(defaults.device.empty());
  EXPECT_FALSE(defaults.fast);
  EXPECT_FALSE(defaults.startSecond.has_value());
  EXPECT_FALSE(defaults.hangupAfter.has_value());
  EXPECT_TRUE(ParseOptions({"-h"}).help);
}

TEST(SimOptions, RefusesWhatItCannotRunWith) {
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"--bogus"},
                                                                                   {"--drop"},
                                                                                   {"--drop", "1.5"},
                                                                                   {"--drop", "-0.1"},
                                                                                   {"--drop", "0,5"},
                                                                                   {"--noise", "x"},
                                                                                   {"--start", "24:00:00"},
                                                                                   {"--start", "7:00:00"},
                                                                                   {"--start", "07:60:00"},
                                                                                   {"--seed", "-1"},
                                                                                   {"--seed", ""},
                                                                                   {"--hangup-after", "0"},
                                                                                   {"--speed", "0"},
                                                                                   {"--fast=yes"},
                                                                                   {"--link", ""},
                                                                                   {"pty"}}) {
    EXPECT_THROW(ParseOptions(bad), UsageError) << bad[0];
  }
}

TEST(SimOptions, HelpNamesEveryOption) {
  const std::string_view help = HelpText();
  for (const char* option : {"--device", "--link", "--fast", "--start", "--speed", "--seed", "--drop", "--garble",
                             "--noise", "--late", "--split", "--hangup-after", "--log", "--help"}) {
    EXPECT_NE(help.find(option), std::string_view::npos) << option;
  }
}

}  // namespace
}  // namespace helvanta::sim
