#include <gtest/gtest.h>

#include "logging/template_lines.hpp"

namespace helvanta {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(TemplateLinesTest, EveryKindOfLineEnd) {
  EXPECT_EQ(SplitTemplateLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitTemplateLines("a\r\n"), (Lines{"a"}));
  EXPECT_EQ(SplitTemplateLines("a\r"), (Lines{"a"}));
  EXPECT_EQ(SplitTemplateLines("a\n"), (Lines{"a"}));
  EXPECT_EQ(SplitTemplateLines("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(SplitTemplateLines("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitTemplateLines("\r\n"), (Lines{""}));
  EXPECT_EQ(SplitTemplateLines(""), Lines{});
}

TEST(TemplateLinesTest, NulEndsTheText) {
  EXPECT_EQ(SplitTemplateLines("head\r\n%1%\0rest\r\nmore"s), (Lines{"head", "%1%"}));
  EXPECT_EQ(SplitTemplateLines("\0head\r\n"s), Lines{});
  EXPECT_EQ(SplitTemplateLines("head\r\0\n"s), (Lines{"head"}));
}

TEST(TemplateLinesTest, OtherBytesAreKept) {
  EXPECT_EQ(SplitTemplateLines("T [\xB0"
                               "C];\t\"x\"\r\n"),
            (Lines{"T [\xB0"
                   "C];\t\"x\""}));
}

}  // namespace
}  // namespace helvanta
