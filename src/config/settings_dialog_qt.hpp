#pragma once

#include <QDialog>
#include <QStringList>
#include <array>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTimeEdit;
class QToolButton;

namespace helvanta {

class TLanguageList;
class TMqttSettingsPage;
class TSectionPage;
struct TPortDevice;

// The settings dialog: port, daily connection window, template file and output folder,
// and the device each port name stands for. It keeps no settings of its own; each run
// starts from AppSettings and the [Ports] section.
class TFormSettings : public QDialog {
 public:
  // `languageList` is the main window's list; it must outlive the dialog.
  explicit TFormSettings(const TLanguageList& languageList, QWidget* parent = nullptr);

  // Fills the dialog from AppSettings, shows it modally and, on OK, stores the entries
  // in AppSettings and the settings file; a failed save is shown in an error box.
  void Execute();
  // OK: refused with a message, the dialog staying open, while a changed device of a
  // port does not exist or is not a character device.
  void accept() override;

  void SpeedButton1Click();
  void SpeedButton2Click();

  QGroupBox* GroupBox1;
  QListWidget* ListBox1;
  QListWidget* PortDevices;  // read-only: the device each port name stands for
  QLabel* PortDeviceLabel;
  QComboBox* PortDevice;  // the device of the selected port name: one that exists, or typed
  QGroupBox* GroupBox2;
  QLabel* Label1;
  QTimeEdit* DateTimePicker1;
  QLabel* Label2;
  QTimeEdit* DateTimePicker2;
  QLabel* Label3;
  QLineEdit* Edit1;
  QToolButton* SpeedButton1;
  QLabel* Label4;
  QLineEdit* Edit2;
  QToolButton* SpeedButton2;
  // The outputs' sections, a tab each: MQTT, then the history, the web page and PVOutput.
  QTabWidget* OutputPages;
  TMqttSettingsPage* MqttPage;
  TSectionPage* HistoryPage;
  TSectionPage* WebPage;
  TSectionPage* PVOutputPage;
  QPushButton* Button1;
  QPushButton* Button2;

 private:
  void FormCreate();
  void FillFromSettings();
  void StoreIntoSettings();
  void FillDeviceList();
  void ShowDeviceChoice();
  void DeviceEdited(const QString& text);
  std::vector<TPortDevice> ChangedDevices() const;
  std::string Text(std::string_view key) const;
  std::array<TSectionPage*, 3> SectionPages() const { return {HistoryPage, WebPage, PVOutputPage}; }

  const TLanguageList& languageList_;
  // What the dialog was filled with, so an untouched field keeps its exact bytes.
  std::string shownFrom_;
  std::string shownTill_;
  std::string shownTemplate_;
  std::string shownFolder_;
  // Per port row: the device it maps to when the dialog opened, and the user's choice.
  std::vector<std::string> shownDevices_;
  QStringList chosenDevices_;
};

}  // namespace helvanta
