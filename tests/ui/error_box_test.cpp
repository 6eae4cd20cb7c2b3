#include "ui/error_box.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "serial/ecomport.hpp"
#include "ui_test_support.hpp"

namespace helvanta {
namespace {

TEST(ErrorBox, AddsAFullStopOnlyAfterCharactersThatSortAfterIt) {
  EXPECT_EQ(ErrorBoxText("Unable to open com port (win error code: 2)"),
            "Unable to open com port (win error code: 2)");  // ')' sorts before '.'
  EXPECT_EQ(ErrorBoxText("Unable to open com port"), "Unable to open com port.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("Stop!"), "Stop!");
  EXPECT_EQ(ErrorBoxText("Slash/"), "Slash/.");
  EXPECT_EQ(ErrorBoxText("Digit 7"), "Digit 7.");
  EXPECT_EQ(ErrorBoxText("trailing space "), "trailing space ");
  EXPECT_EQ(ErrorBoxText(""), "");
  // A byte above 0x7F sorts after '.' as well.
  EXPECT_EQ(ErrorBoxText("Gr\xFC\xDF"), "Gr\xFC\xDF.");
}

TEST(ErrorBox, AnEscapedExceptionIsShownWithTheApplicationTitleAndTheProgramGoesOn) {
  ErrorBoxCapture box;
  bool after = false;
  RunGuarded(nullptr, [] { throw std::runtime_error("Something failed"); });
  RunGuarded(nullptr, [] { throw EComPort(1, 2); });
  RunGuarded(nullptr, [] { throw 42; });
  RunGuarded(nullptr, [&after] { after = true; });
  ASSERT_EQ(box.texts.size(), 3u);
  EXPECT_EQ(box.texts[0], "Something failed.");
  EXPECT_EQ(box.texts[1].rfind("Unable to open com port", 0), 0u) << box.texts[1];
  EXPECT_EQ(box.texts[2], "Unknown error.");
  for (const std::string& caption : box.captions) {
    EXPECT_EQ(caption, "Helvanta 1.2 for Siemens SPN1000");
  }
  EXPECT_TRUE(after);
}

}  // namespace
}  // namespace helvanta
