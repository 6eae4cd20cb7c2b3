#include "config/mqtt_settings_page_qt.hpp"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "config/language.hpp"
#include "config/text_keys.hpp"
#include "ui/display_text.hpp"

namespace helvanta {

namespace {

struct Field {
  const char* key;            // the settings key, also the edit's object name
  std::string_view labelKey;  // its label's text key
  std::string TMqttSettings::*value;
};

constexpr std::array<Field, 9> kFields{{
    {"Host", text_key::kMqttBroker, &TMqttSettings::Host},
    {"Port", text_key::kMqttPort, &TMqttSettings::Port},
    {"User", text_key::kMqttUser, &TMqttSettings::User},
    {"Password", text_key::kMqttPassword, &TMqttSettings::Password},
    {"PasswordFile", text_key::kMqttPasswordFile, &TMqttSettings::PasswordFile},
    {"CAFile", text_key::kMqttCaFile, &TMqttSettings::CAFile},
    {"Topic", text_key::kMqttTopic, &TMqttSettings::Topic},
    {"Discovery", text_key::kMqttDiscoveryPrefix, &TMqttSettings::Discovery},
    {"ClientId", text_key::kMqttClientId, &TMqttSettings::ClientId},
}};

std::string Translated(const TLanguageList& list, std::string_view key) {
  const std::string text = list.LookupText(key);
  return text.empty() ? std::string(BuiltinText(key)) : text;
}

}  // namespace

TMqttSettingsPage::TMqttSettingsPage(const TLanguageList& languageList, QWidget* parent)
    : QGroupBox(ToDisplay(Translated(languageList, text_key::kMqttPage)), parent) {
  setObjectName(QStringLiteral("MqttPage"));
  auto* layout = new QFormLayout(this);
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    Edits[i] = new QLineEdit(this);
    Edits[i]->setObjectName(QStringLiteral("Mqtt") + QString::fromLatin1(kFields[i].key));
    labels_[i] = new QLabel(ToDisplay(Translated(languageList, kFields[i].labelKey)), this);
    labels_[i]->setBuddy(Edits[i]);
    layout->addRow(labels_[i], Edits[i]);
  }
  Edits[0]->setToolTip(ToDisplay(Translated(languageList, text_key::kMqttBrokerHint)));
  Edits[1]->setPlaceholderText(QStringLiteral("1883 / 8883"));
  Edits[3]->setEchoMode(QLineEdit::Password);
  Edits[8]->setPlaceholderText(ToDisplay(DefaultMqttClientId()));
}

void TMqttSettingsPage::Fill() {
  shown_ = LoadMqttSettings();
  for (std::size_t i = 0; i < kFields.size(); ++i) Edits[i]->setText(ToDisplay(shown_.*kFields[i].value));
}

TMqttSettings TMqttSettingsPage::Entered() const {
  TMqttSettings entered;
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    entered.*kFields[i].value = FromDisplay(Edits[i]->text(), shown_.*kFields[i].value);
  }
  return entered;
}

std::string TMqttSettingsPage::Problem() const {
  const TMqttSettings s = Entered();
  if (!IsValidMqttPort(s.Port)) return "Port=" + s.Port;
  // Empty topic and client id stand for their defaults; an empty prefix turns discovery off.
  if (!s.Topic.empty() && !IsValidMqttTopic(s.Topic)) return "Topic=" + s.Topic;
  if (!s.Discovery.empty() && !IsValidMqttTopic(s.Discovery)) return "Discovery=" + s.Discovery;
  if (!s.ClientId.empty() && !IsValidMqttClientId(s.ClientId)) return "ClientId=" + s.ClientId;
  return {};
}

bool TMqttSettingsPage::Save() const { return SaveMqttSettings(Entered(), shown_); }

}  // namespace helvanta
