#pragma once

#include <QGroupBox>
#include <array>
#include <string>

#include "config/mqtt_settings.hpp"

class QLabel;
class QLineEdit;

namespace helvanta {

class TLanguageList;

// The settings dialog's MQTT keys. Like the rest of the dialog it keeps nothing of its
// own: Fill reads the [MQTT] section, Save writes what the user changed.
class TMqttSettingsPage : public QGroupBox {
 public:
  TMqttSettingsPage(const TLanguageList& languageList, QWidget* parent);

  void Fill();
  // "Key=value" of the first entry that cannot be stored, or "" when all can.
  std::string Problem() const;
  // Writes the changed keys; false when a write failed.
  bool Save() const;

  // Host, Port, User, Password, PasswordFile, CAFile, Topic, Discovery, ClientId.
  std::array<QLineEdit*, 9> Edits{};

 private:
  TMqttSettings Entered() const;

  std::array<QLabel*, 9> labels_{};
  TMqttSettings shown_;
};

}  // namespace helvanta
