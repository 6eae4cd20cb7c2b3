#pragma once

#include <QDialog>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimeEdit;
class QToolButton;

namespace helvanta {

class TLanguageList;

// The settings dialog: port, daily connection window, template file and output folder.
// It keeps no settings of its own; each run starts from AppSettings.
class TFormSettings : public QDialog {
 public:
  // `languageList` is the main window's list; it must outlive the dialog.
  explicit TFormSettings(const TLanguageList& languageList, QWidget* parent = nullptr);

  // Fills the dialog from AppSettings, shows it modally and, on OK, stores the entries
  // in AppSettings and the settings file; a failed save is shown in an error box.
  void Execute();

  void SpeedButton1Click();
  void SpeedButton2Click();

  QGroupBox* GroupBox1;
  QListWidget* ListBox1;
  QListWidget* PortDevices;  // read-only: the device each port name stands for
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
  QPushButton* Button1;
  QPushButton* Button2;

 private:
  void FormCreate();
  void FillFromSettings();
  void StoreIntoSettings();
  std::string Text(const char* key) const;

  const TLanguageList& languageList_;
  // What the dialog was filled with, so an untouched field keeps its exact bytes.
  std::string shownFrom_;
  std::string shownTill_;
  std::string shownTemplate_;
  std::string shownFolder_;
};

}  // namespace helvanta
