#include <gtest/gtest.h>

#include <clocale>
#include <optional>

#include "logging/date_time_separators.hpp"
#include "support/compiled_locale.hpp"
#include "support/file_bytes.hpp"
#include "support/service_fixture.hpp"

namespace helvanta::testing {
namespace {

// The program takes its locale from the environment at start. The whole locale is
// German here, numbers included, as in the window: the record's date takes the
// locale's full stops while the values keep theirs.
TEST_F(ServiceTest, UnderAGermanLocaleTheDateTakesFullStopsAndTheValuesKeepTheirs) {
  const CompiledLocale german("de_DE", "UTF-8");
  const ScopedEnvironmentVariable lcAll("LC_ALL", german.Name());
  const ScopedLocale fromEnvironment(LC_ALL, "");
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  SetDateTimeSeparators(std::nullopt);

  WriteSettings("From=00:00:00\r\nTill=23:59:59\r\nRequestInterval=1\r\nReceivePseudoData=1\r\n");
  folder.WriteFile("Template.csv", "%date%;%time%;%1%;%2%\r\n");
  clock.Set(At(2026, 12, 7, 12, 0, 0, 5));
  service->ServiceStart();
  for (DateTime t = At(2026, 12, 7, 12, 0, 1, 5); t <= At(2026, 12, 7, 12, 1, 0, 5); t = AddSeconds(t, 1)) TickAt(t);
  service->ServiceStop();

  EXPECT_EQ(ReadBytes(folder.File("Data/261207.csv")), "  12.07.2026;    12:01:00;      227.60;       22.76\r\n");
}

}  // namespace
}  // namespace helvanta::testing
