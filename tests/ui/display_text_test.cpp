#include "ui/display_text.hpp"

#include <gtest/gtest.h>

namespace helvanta {
namespace {

TEST(DisplayText, ShowsUtf8AsUtf8AndEverythingElseAsWindows1252) {
  EXPECT_EQ(ToDisplay("Voltage (AC)"), QStringLiteral("Voltage (AC)"));
  EXPECT_EQ(ToDisplay("\xC2\xB0"
                      "C"),
            QString::fromUtf8("\u00B0C"));
  // A lone 0xB0 is not UTF-8: Windows-1252's degree sign.
  EXPECT_EQ(ToDisplay("\xB0"
                      "C"),
            QString::fromUtf8("\u00B0C"));
  // Bytes 0x80..0x9F are Windows-1252's own characters, not control codes.
  EXPECT_EQ(ToDisplay("\x80 \x93x\x94 \x9F"), QString::fromUtf8("\u20AC \u201Cx\u201D \u0178"));
  EXPECT_EQ(ToDisplay("Stra\xDF"
                      "e"),
            QString::fromUtf8("Stra\u00DFe"));
  EXPECT_EQ(ToDisplay(std::string_view("a\0b", 3)).size(), 3);
}

TEST(DisplayText, AnUntouchedTextKeepsItsBytes) {
  const std::string windowsPath = "C:\\Daten\\M\xFCller.csv";
  EXPECT_EQ(FromDisplay(ToDisplay(windowsPath), windowsPath), windowsPath);
  // A changed text comes back as UTF-8.
  EXPECT_EQ(FromDisplay(QString::fromUtf8("/home/m\u00FCller/T.csv"), windowsPath), "/home/m\xC3\xBCller/T.csv");
  EXPECT_EQ(FromDisplay(QString()), "");
}

}  // namespace
}  // namespace helvanta
