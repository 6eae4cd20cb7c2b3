#include "pvoutput/pvoutput_feed.hpp"

#include "config/file_access.hpp"
#include "config/history_settings.hpp"
#include "config/language.hpp"
#include "config/mqtt_settings.hpp"
#include "config/pvoutput_settings.hpp"
#include "config/text_keys.hpp"
#include "pvoutput/curl_library.hpp"
#include "pvoutput/pvoutput_uploader.hpp"
#include "runtime/shared_library.hpp"

namespace helvanta {

namespace {

THostMessage Compose(const TLanguageList& list, THostMessage::Severity severity, std::string_view key,
                     std::string_view argument, std::string_view lineBreak) {
  return {severity, ComposeKeyMessage(list, key, argument, lineBreak)};
}

THostMessage Worded(const TPvoutputReport& report, const TLanguageList& list, std::string_view lineBreak) {
  using Kind = TPvoutputReport::Kind;
  using Severity = THostMessage::Severity;
  const auto say = [&](Severity severity, std::string_view key) {
    return Compose(list, severity, key, report.detail, lineBreak);
  };
  switch (report.kind) {
    case Kind::kFailed: return say(Severity::kError, text_key::kPvoutputNotSent);
    case Kind::kStillFailing: return say(Severity::kError, text_key::kPvoutputStillNotSent);
    case Kind::kRecovered: return say(Severity::kInformation, text_key::kPvoutputSentAgain);
    case Kind::kKeyRefused: return say(Severity::kError, text_key::kPvoutputKeyRefused);
    case Kind::kKeyStillRefused: return say(Severity::kError, text_key::kPvoutputKeyStillRefused);
    case Kind::kUploadRefused: return say(Severity::kWarning, text_key::kPvoutputRefusedStatus);
    case Kind::kRateLimited: return say(Severity::kWarning, text_key::kPvoutputRateLimited);
    case Kind::kGivenUp: return say(Severity::kWarning, text_key::kPvoutputGivenUp);
    case Kind::kStartsNow: return say(Severity::kWarning, text_key::kPvoutputStartsNow);
    case Kind::kSetupFailed: break;
  }
  return say(Severity::kError, text_key::kPvoutputOff);
}

}  // namespace

TPvoutputFeed::TPvoutputFeed(std::string caFile, long timeoutMs) : caFile_(std::move(caFile)), timeoutMs_(timeoutMs) {}

TPvoutputFeed::~TPvoutputFeed() { Stop(); }

std::vector<THostMessage> TPvoutputFeed::Start(const THostStart& start) {
  Stop();
  const TLanguageList& list = start.language;
  using Severity = THostMessage::Severity;
  std::vector<THostMessage> messages;
  const TPvoutputSettings settings = LoadPvoutputSettings(start.replaced);
  if (!settings.ApiKey.empty() && OthersCanRead(SettingsFilePath())) {
    messages.push_back(
        Compose(list, Severity::kWarning, text_key::kPvoutputApiKeyReadable, SettingsFilePath(), start.lineBreak));
  }
  if (!settings.Enabled()) return messages;
  LoadEarly([] { Curl(); });
  std::vector<TReplacedSetting> historyReplaced;
  if (!LoadHistorySettings(historyReplaced).Enabled) {
    // The statuses are read from the history, which is what makes them survive an outage.
    messages.push_back(Compose(list, Severity::kError, text_key::kPvoutputOff, "[History] Enabled=0", start.lineBreak));
    return messages;
  }
  TPvoutputConnection connection{settings.Url,      settings.SystemId, settings.ApiKey,
                                 settings.Interval, caFile_,           timeoutMs_};
  if (!settings.ApiKeyFile.empty()) {
    const FileBytes file = ReadFileBytes(settings.ApiKeyFile);
    if (file.status != FileReadStatus::kOk) {
      messages.push_back(Compose(list, Severity::kError, text_key::kPvoutputApiKeyFileUnreadable, settings.ApiKeyFile,
                                 start.lineBreak));
      return messages;
    }
    connection.apiKey = file.bytes.substr(0, file.bytes.find_first_of("\r\n"));
  }
  if (!settings.Url.starts_with("https://") && !IsLoopbackUrl(settings.Url)) {
    messages.push_back(Compose(list, Severity::kWarning, text_key::kPvoutputPlainHttp, settings.Url, start.lineBreak));
  }
  uploader_ = std::make_unique<TPvoutputUploader>(std::move(connection));
  return messages;
}

std::optional<TOutputLink> TPvoutputFeed::Link() const {
  if (!Running()) return std::nullopt;
  std::optional<std::int64_t> lastSuccessUnix;
  if (lastSuccessUtcMs_) lastSuccessUnix = *lastSuccessUtcMs_ / 1000;
  return TOutputLink{"pvoutput", connected_, lastSuccessUnix};
}

void TPvoutputFeed::Stop() {
  uploader_.reset();
  connected_ = false;
}

std::vector<THostMessage> TPvoutputFeed::Tick(const THostTick& tick) {
  std::vector<THostMessage> messages;
  if (!uploader_) return messages;
  uploader_->Offer(tick.reading, tick.historyPath);
  for (const TPvoutputReport& report : uploader_->TakeReports()) {
    messages.push_back(Worded(report, tick.language, tick.lineBreak));
  }
  connected_ = uploader_->Connected();
  lastSuccessUtcMs_ = uploader_->LastSuccessUtcMs();
  return messages;
}

void TPvoutputFeed::WaitIdle() {
  if (uploader_) uploader_->WaitIdle();
}

}  // namespace helvanta
