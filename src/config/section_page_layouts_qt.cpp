#include <optional>

#include "config/ini_file.hpp"
#include "config/pvoutput_settings.hpp"
#include "config/section_page_qt.hpp"
#include "config/text_keys.hpp"
#include "config/web_settings.hpp"

namespace helvanta {

namespace {

using Kind = TSectionField::Kind;

bool IsKeepDays(std::string_view value) {
  const std::optional<std::int32_t> days = ParseIniInteger(value);
  return days && *days >= 0 && *days <= 36'500;
}

bool IsListenAddress(std::string_view value) { return ParseListenAddress(value).has_value(); }

bool IsStatusInterval(std::string_view value) {
  const std::optional<std::int32_t> minutes = ParseIniInteger(value);
  return minutes && IsValidPvoutputInterval(*minutes);
}

}  // namespace

TSectionPageLayout HistoryPageLayout() {
  return {"History",
          text_key::kHistoryPage,
          false,
          {
              {"Enabled", text_key::kPageEnabled, Kind::kFlag, "1"},
              {"Database", text_key::kHistoryDatabase, Kind::kText, "", text_key::kHistoryDatabaseHint},
              {"KeepDays", text_key::kHistoryKeepDays, Kind::kText, "0", text_key::kHistoryKeepDaysHint, IsKeepDays},
          }};
}

TSectionPageLayout WebPageLayout() {
  return {
      kWebSection,
      text_key::kWebPage,
      true,
      {
          {"Listen", text_key::kWebListen, Kind::kText, "127.0.0.1:8480", text_key::kWebListenHint, IsListenAddress},
          {"User", text_key::kMqttUser},
          {"Password", text_key::kMqttPassword, Kind::kSecret},
      }};
}

TSectionPageLayout PVOutputPageLayout() {
  return {kPvoutputSection,
          text_key::kPVOutputPage,
          false,
          {
              {"SystemId", text_key::kPVOutputSystemId, Kind::kText, "", text_key::kPVOutputSystemIdHint,
               IsValidPvoutputSystemId},
              {"ApiKey", text_key::kPVOutputApiKey, Kind::kSecret},
              {"ApiKeyFile", text_key::kPVOutputApiKeyFile},
              {"Interval", text_key::kPVOutputInterval, Kind::kText, "5", {}, IsStatusInterval},
              {"Url", text_key::kPVOutputUrl, Kind::kText, kDefaultPvoutputUrl.data(), {}, IsValidPvoutputUrl},
          }};
}

}  // namespace helvanta
