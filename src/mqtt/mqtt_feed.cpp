#include "mqtt/mqtt_feed.hpp"

#include "config/file_access.hpp"
#include "config/kept_id.hpp"
#include "config/language.hpp"
#include "config/text_keys.hpp"
#include "link/measurands.hpp"
#include "logging/error_registers.hpp"
#include "mqtt/mosquitto_library.hpp"
#include "mqtt/mqtt_payloads.hpp"
#include "runtime/clock.hpp"
#include "runtime/shared_library.hpp"

namespace helvanta {

namespace {

THostMessage Compose(const TLanguageList& list, THostMessage::Severity severity, std::string_view key,
                     std::string_view argument, std::string_view lineBreak) {
  return {severity, ComposeKeyMessage(list, key, argument, lineBreak)};
}

}  // namespace

std::optional<MqttFileProblem> ConnectionSettingsFor(const TMqttSettings& settings, std::string_view discoveryPrefix,
                                                     MqttConnectionSettings& out) {
  out.host = settings.Host;
  out.port = settings.EffectivePort();
  out.user = settings.User;
  out.password = settings.Password;
  out.caFile = settings.CAFile;
  out.clientId = settings.ClientId;
  out.baseTopic = settings.Topic;
  if (!settings.PasswordFile.empty()) {
    const FileBytes file = ReadFileBytes(settings.PasswordFile);
    if (file.status != FileReadStatus::kOk)
      return MqttFileProblem{text_key::kMqttPasswordFileUnreadable, settings.PasswordFile};
    out.password = file.bytes.substr(0, file.bytes.find_first_of("\r\n"));
  }
  // Checked here, so the user learns of it at start, before TLS would fail on it.
  if (!settings.CAFile.empty() && ReadFileBytes(settings.CAFile).status != FileReadStatus::kOk) {
    return MqttFileProblem{text_key::kMqttCaFileUnreadable, settings.CAFile};
  }
  out.discovery.clear();
  if (!discoveryPrefix.empty()) {
    out.discovery = DiscoveryConfigs({std::string(discoveryPrefix), settings.ClientId, settings.Topic});
  }
  return std::nullopt;
}

TMqttFeed::~TMqttFeed() { Stop(); }

std::vector<THostMessage> TMqttFeed::Start(const THostStart& start) {
  Stop();
  lineUp_ = false;
  const TLanguageList& list = start.language;
  const std::string_view lineBreak = start.lineBreak;
  using Severity = THostMessage::Severity;
  std::vector<THostMessage> messages;
  TMqttSettings settings = LoadMqttSettings();
  const bool keptId = settings.ClientId.empty();
  for (const TReplacedSetting& r : ValidateMqttSettings(settings)) {
    messages.push_back(Compose(list, Severity::kWarning, text_key::kSettingReplaced,
                               r.key + "=" + r.rejected + " (now " + r.replacement + ")", lineBreak));
  }
  if (!settings.Password.empty() && OthersCanRead(SettingsFilePath())) {
    messages.push_back(
        Compose(list, Severity::kWarning, text_key::kMqttPasswordReadable, SettingsFilePath(), lineBreak));
  }
  if (!settings.Enabled()) return messages;
  LoadEarly([] { Mosquitto(); });
  if (keptId) {
    if (const TKeptId kept = KeptId(); !kept.kept) {
      messages.push_back(Compose(list, Severity::kWarning, text_key::kMqttIdNotKept, kept.path, lineBreak));
    }
  }
  MqttConnectionSettings connection;
  if (const std::optional<MqttFileProblem> problem = ConnectionSettingsFor(settings, settings.Discovery, connection)) {
    messages.push_back(Compose(list, Severity::kError, problem->key, problem->path, lineBreak));
    return messages;
  }
  client_ = std::make_unique<TMqttClient>(std::move(connection));
  return messages;
}

void TMqttFeed::Stop() { client_.reset(); }

std::optional<TOutputLink> TMqttFeed::Link() const {
  if (!client_) return std::nullopt;
  return TOutputLink{"mqtt", client_->Connected(), client_->LastSuccessUnix()};
}

void TMqttFeed::AfterLogger(const THostLogged& logged) {
  if (!client_ || !(logged.recordWritten || logged.measurandIndex == kMeasurandCount - 1)) return;
  OfferState();
}

void TMqttFeed::OfferState() {
  const ClockReading now = ProgramClock().Read();
  client_->OfferState(StateJson(now.Local(), now.offsetMinutes, ErrorRegisters(now.elapsedMs).Problem(), lineUp_));
}

std::vector<THostMessage> TMqttFeed::Tick(const THostTick& tick) {
  const TLanguageList& list = tick.language;
  const std::string_view lineBreak = tick.lineBreak;
  using Severity = THostMessage::Severity;
  std::vector<THostMessage> messages;
  if (!client_) return messages;
  // A line gone quiet brings no more states, so its end is news of its own; its return
  // comes with the next state.
  const bool lost = lineUp_ && !tick.figures.lineUp;
  lineUp_ = tick.figures.lineUp;
  if (lost) OfferState();
  for (const MqttClientReport& report : client_->TakeReports()) {
    switch (report.kind) {
      case MqttReportKind::kConnected:
        messages.push_back(Compose(list, Severity::kInformation, text_key::kMqttConnected, report.detail, lineBreak));
        break;
      case MqttReportKind::kFailed:
        messages.push_back(Compose(list, Severity::kError, text_key::kMqttNotConnected, report.detail, lineBreak));
        break;
      case MqttReportKind::kStillFailing:
        messages.push_back(Compose(list, Severity::kError, text_key::kMqttStillNotConnected, report.detail, lineBreak));
        break;
      case MqttReportKind::kRecovered:
        messages.push_back(
            Compose(list, Severity::kInformation, text_key::kMqttConnectedAgain, report.detail, lineBreak));
        break;
      case MqttReportKind::kSetupFailed:
        messages.push_back(Compose(list, Severity::kError, text_key::kMqttOff, report.detail, lineBreak));
        break;
    }
  }
  return messages;
}

}  // namespace helvanta
