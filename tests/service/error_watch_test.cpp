// The error registers' changes as the host tells them: once when either is set, once when
// both are clear again, nothing while they stay or have no answer.
#include "host/error_watch.hpp"

#include <gtest/gtest.h>

#include "config/language.hpp"

namespace helvanta {
namespace {

TEST(ErrorWatch, TellsEachChangeBetweenClearAndSetOnce) {
  const TLanguageList english;
  TErrorWatch watch;
  struct Step {
    std::optional<std::string> errorCode;
    std::optional<std::string> state;
    std::string message;  // "" for none
  };
  const std::vector<Step> steps{
      {std::nullopt, std::nullopt, ""},
      {"0000", "0000", ""},
      {"0000", "0012", "The inverter reports an error: Error specification 0000, Error state 0012."},
      {"0040", "0012", ""},
      {std::nullopt, "0012", ""},
      {"0000", std::nullopt, ""},
      {"0000", "0000", "The inverter's error registers are clear again: Error specification 0000, Error state 0000."},
      {"zz", "0000", "The inverter reports an error: Error specification zz, Error state 0000."},
  };
  for (const Step& step : steps) {
    const std::optional<THostMessage> message = watch.Note({step.errorCode, step.state}, english, " ");
    EXPECT_EQ(message ? message->text : "", step.message);
    if (message) {
      EXPECT_EQ(message->severity, step.message.find("reports") != std::string::npos
                                       ? THostMessage::Severity::kWarning
                                       : THostMessage::Severity::kInformation);
    }
  }
}

}  // namespace
}  // namespace helvanta
