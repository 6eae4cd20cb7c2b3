#include "config/settings_dialog_qt.hpp"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>
#include <initializer_list>
#include <optional>

#include "config/language.hpp"
#include "config/mqtt_settings_page_qt.hpp"
#include "config/section_page_qt.hpp"
#include "config/serial_devices.hpp"
#include "config/settings.hpp"
#include "config/text_keys.hpp"
#include "config/time_of_day.hpp"
#include "ui/display_text.hpp"
#include "ui/error_box.hpp"
#include "ui/images.hpp"

namespace helvanta {
namespace {

constexpr int kPortCount = 7;
constexpr char kTimeFormat[] = "HH:mm:ss";

QTimeEdit* TimePicker(QWidget* parent, const char* name) {
  auto* picker = new QTimeEdit(parent);
  picker->setObjectName(QString::fromLatin1(name));
  picker->setDisplayFormat(QString::fromLatin1(kTimeFormat));
  picker->setWrapping(true);
  return picker;
}

QLabel* FixedLabel(QWidget* parent, const char* name, const char* text, int width) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setMinimumWidth(width);
  return label;
}

QToolButton* BrowseButton(QWidget* parent, const char* name) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoRaise(true);
  button->setIcon(QIcon(FolderImage()));
  button->setFixedSize(22, 22);
  button->setFocusPolicy(Qt::NoFocus);
  button->setToolTip(QStringLiteral("Browse"));
  return button;
}

QTime ToQTime(const std::string& text) {
  const std::optional<TimeOfDay> t = ParseTimeOfDay(text);
  return t ? QTime(t->hour, t->minute, t->second) : QTime(0, 0, 0);
}

std::string FromQTime(const QTime& time) {
  return FormatTimeOfDay(TimeOfDay{time.hour(), time.minute(), time.second()});
}

// A picker's entry as a settings text: a text that could not be shown as a time stays as
// it was unless the user changed the picker.
std::string PickedTime(const QTimeEdit* picker, const std::string& shown) {
  if (!ParseTimeOfDay(shown) && picker->time() == ToQTime(shown)) {
    return shown;
  }
  return FromQTime(picker->time());
}

void ApplyLabel(QLabel* label, const std::string& text) {
  LabelText value{FromDisplay(label->text()), {}, false};
  SetLabelText(value, text);
  label->setText(ToDisplay(value.caption));
  label->setToolTip(value.showHint ? ToDisplay(value.hint) : QString());
}

// The list shows each device's label (a stable name with the ttyUSB it stands for now);
// the edit field, and with it the settings, get the path alone.
class DeviceLabelDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = index.data(Qt::UserRole).toString();
  }
};

}  // namespace

TFormSettings::TFormSettings(const TLanguageList& languageList, QWidget* parent)
    : QDialog(parent), languageList_(languageList) {
  setObjectName(QStringLiteral("FormSettings"));
  setWindowTitle(QStringLiteral("Settings"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setModal(true);

  GroupBox1 = new QGroupBox(QStringLiteral("Port"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  ListBox1 = new QListWidget(GroupBox1);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  PortDevices = new QListWidget(GroupBox1);
  PortDevices->setObjectName(QStringLiteral("PortDevices"));
  PortDevices->setSelectionMode(QAbstractItemView::NoSelection);
  PortDevices->setFocusPolicy(Qt::NoFocus);
  PortDevices->setEnabled(false);
  for (int n = 1; n <= kPortCount; ++n) {
    ListBox1->addItem(QStringLiteral("COM%1").arg(n));
    PortDevices->addItem(QString());
  }
  // Both lists show all seven rows without scrolling.
  const int listHeight = ListBox1->sizeHintForRow(0) * kPortCount + 2 * ListBox1->frameWidth() + 2;
  ListBox1->setFixedSize(57, listHeight);
  PortDevices->setFixedSize(110, listHeight);
  PortDeviceLabel = new QLabel(ToDisplay(BuiltinText(text_key::kSettingsDevice)), GroupBox1);
  PortDeviceLabel->setObjectName(QStringLiteral("PortDeviceLabel"));
  PortDevice = new QComboBox(GroupBox1);
  PortDevice->setObjectName(QStringLiteral("PortDevice"));
  PortDevice->setEditable(true);
  PortDevice->setInsertPolicy(QComboBox::NoInsert);
  // Stable names are long: the field keeps the group's width, the list opens wider.
  PortDevice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  PortDevice->setMinimumContentsLength(10);
  PortDevice->setItemDelegate(new DeviceLabelDelegate(PortDevice));
  PortDevice->setToolTip(ToDisplay(BuiltinText(text_key::kSettingsDeviceHint)));
  PortDeviceLabel->setBuddy(PortDevice);
  auto* portLayout = new QGridLayout(GroupBox1);
  portLayout->addWidget(ListBox1, 0, 0);
  portLayout->addWidget(PortDevices, 0, 1);
  portLayout->addWidget(PortDeviceLabel, 1, 0);
  portLayout->addWidget(PortDevice, 1, 1);

  GroupBox2 = new QGroupBox(QStringLiteral("Data logging"), this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  Label1 = FixedLabel(GroupBox2, "Label1", "Connect and log data from:", 145);
  DateTimePicker1 = TimePicker(GroupBox2, "DateTimePicker1");
  Label2 = FixedLabel(GroupBox2, "Label2", "till:", 21);
  DateTimePicker2 = TimePicker(GroupBox2, "DateTimePicker2");
  Label3 = FixedLabel(GroupBox2, "Label3", "Template file:", 73);
  Edit1 = new QLineEdit(GroupBox2);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setToolTip(QStringLiteral("Example: C:\\Program Files\\Helvanta\\Template.csv"));
  Edit1->setMinimumWidth(209);
  SpeedButton1 = BrowseButton(GroupBox2, "SpeedButton1");
  Label4 = FixedLabel(GroupBox2, "Label4", "Output folder:", 73);
  Edit2 = new QLineEdit(GroupBox2);
  Edit2->setObjectName(QStringLiteral("Edit2"));
  Edit2->setToolTip(QStringLiteral("Example: C:\\Program Files\\Helvanta\\Data"));
  SpeedButton2 = BrowseButton(GroupBox2, "SpeedButton2");
  auto* loggingLayout = new QGridLayout(GroupBox2);
  loggingLayout->addWidget(Label1, 0, 0);
  loggingLayout->addWidget(DateTimePicker1, 0, 1);
  loggingLayout->addWidget(Label2, 0, 2);
  loggingLayout->addWidget(DateTimePicker2, 0, 3);
  loggingLayout->addWidget(Label3, 1, 0);
  loggingLayout->addWidget(Edit1, 1, 1, 1, 3);
  loggingLayout->addWidget(SpeedButton1, 1, 4);
  loggingLayout->addWidget(Label4, 2, 0);
  loggingLayout->addWidget(Edit2, 2, 1, 1, 3);
  loggingLayout->addWidget(SpeedButton2, 2, 4);
  loggingLayout->setRowStretch(3, 1);

  OutputPages = new QTabWidget(this);
  OutputPages->setObjectName(QStringLiteral("OutputPages"));
  MqttPage = new TMqttSettingsPage(languageList_, OutputPages);
  HistoryPage = new TSectionPage(languageList_, HistoryPageLayout(), OutputPages);
  WebPage = new TSectionPage(languageList_, WebPageLayout(), OutputPages);
  PVOutputPage = new TSectionPage(languageList_, PVOutputPageLayout(), OutputPages);
  for (QGroupBox* page : std::initializer_list<QGroupBox*>{MqttPage, HistoryPage, WebPage, PVOutputPage}) {
    OutputPages->addTab(page, page->title());
    // The tab names the page, so the box around it needs no caption of its own.
    page->setTitle(QString());
    page->setFlat(true);
  }

  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setDefault(true);
  Button1->setFixedSize(75, 25);
  Button2 = new QPushButton(QStringLiteral("Cancel"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setFixedSize(75, 25);

  auto* groups = new QHBoxLayout;
  groups->addWidget(GroupBox1);
  groups->addWidget(GroupBox2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(groups);
  layout->addWidget(OutputPages);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  setTabOrder(Button1, Button2);
  setTabOrder(Button2, ListBox1);
  setTabOrder(ListBox1, PortDevice);
  setTabOrder(PortDevice, DateTimePicker1);
  setTabOrder(DateTimePicker1, DateTimePicker2);
  setTabOrder(DateTimePicker2, Edit1);
  setTabOrder(Edit1, Edit2);

  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { ShowDeviceChoice(); });
  connect(PortDevice, &QComboBox::editTextChanged, this, [this](const QString& text) { DeviceEdited(text); });
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { RunGuarded(this, [this] { SpeedButton1Click(); }); });
  connect(SpeedButton2, &QToolButton::clicked, this, [this] { RunGuarded(this, [this] { SpeedButton2Click(); }); });

  FormCreate();
}

std::string TFormSettings::Text(std::string_view key) const { return languageList_.LookupText(key); }

void TFormSettings::FormCreate() {
  const auto apply = [](const std::string& text, auto&& set) {
    if (!text.empty()) {
      set(ToDisplay(text));
    }
  };
  apply(Text(text_key::kMenuSettings), [this](const QString& t) { setWindowTitle(t); });
  apply(Text(text_key::kSettingsPort), [this](const QString& t) { GroupBox1->setTitle(t); });
  apply(Text(text_key::kSettingsDataLogging), [this](const QString& t) { GroupBox2->setTitle(t); });
  ApplyLabel(Label1, Text(text_key::kSettingsFrom));
  ApplyLabel(Label2, Text(text_key::kSettingsTill));
  ApplyLabel(Label3, Text(text_key::kSettingsTemplateFile));
  apply(Text(text_key::kSettingsTemplateExample), [this](const QString& t) { Edit1->setToolTip(t); });
  ApplyLabel(Label4, Text(text_key::kSettingsOutputFolder));
  apply(Text(text_key::kSettingsOutputExample), [this](const QString& t) { Edit2->setToolTip(t); });
  apply(Text(text_key::kSettingsBrowse), [this](const QString& t) {
    SpeedButton1->setToolTip(t);
    SpeedButton2->setToolTip(t);
  });
  apply(Text(text_key::kSettingsOk), [this](const QString& t) { Button1->setText(t); });
  apply(Text(text_key::kSettingsCancel), [this](const QString& t) { Button2->setText(t); });
  ApplyLabel(PortDeviceLabel, Text(text_key::kSettingsDevice));
  apply(Text(text_key::kSettingsDeviceHint), [this](const QString& t) { PortDevice->setToolTip(t); });
}

void TFormSettings::FillFromSettings() {
  shownDevices_.clear();
  chosenDevices_.clear();
  for (int row = 0; row < kPortCount; ++row) {
    shownDevices_.push_back(DeviceForPort("COM" + std::to_string(row + 1)));
    chosenDevices_.append(ToDisplay(shownDevices_.back()));
    PortDevices->item(row)->setText(chosenDevices_.back());
  }
  FillDeviceList();

  const std::string& port = AppSettings.ComPort;
  int n = 1;
  if (port.size() >= 4 && port[3] >= '0' && port[3] <= '9') {
    n = port[3] - '0';
  }
  ListBox1->clearSelection();
  if (n >= 1 && n <= kPortCount) {
    ListBox1->setCurrentRow(n - 1);
  } else {
    ListBox1->setCurrentRow(-1);
  }
  // The row may be the one of the last opening, which sends no change.
  ShowDeviceChoice();

  shownFrom_ = AppSettings.From;
  shownTill_ = AppSettings.Till;
  DateTimePicker1->setTime(ToQTime(shownFrom_));
  DateTimePicker2->setTime(ToQTime(shownTill_));

  shownTemplate_ = AppSettings.TemplateFile;
  shownFolder_ = AppSettings.OutputFolder;
  Edit1->setText(ToDisplay(shownTemplate_));
  Edit2->setText(ToDisplay(shownFolder_));
  MqttPage->Fill();
  for (TSectionPage* page : SectionPages()) page->Fill();
  ListBox1->setFocus();
}

void TFormSettings::StoreIntoSettings() {
  const QListWidgetItem* selected = ListBox1->currentItem();
  if (selected != nullptr && selected->isSelected()) {
    AppSettings.ComPort = "COM" + std::to_string(ListBox1->row(selected) + 1);
  }
  AppSettings.From = PickedTime(DateTimePicker1, shownFrom_);
  AppSettings.Till = PickedTime(DateTimePicker2, shownTill_);
  AppSettings.TemplateFile = FromDisplay(Edit1->text(), shownTemplate_);
  AppSettings.OutputFolder = FromDisplay(Edit2->text(), shownFolder_);
}

void TFormSettings::FillDeviceList() {
  const QSignalBlocker keepChoice(PortDevice);
  PortDevice->clear();
  for (const SerialDeviceEntry& device : ListSerialDevices()) {
    PortDevice->addItem(ToDisplay(device.path), ToDisplay(device.shownAs));
  }
  PortDevice->view()->setMinimumWidth(PortDevice->view()->sizeHintForColumn(0));
}

void TFormSettings::ShowDeviceChoice() {
  const int row = ListBox1->currentRow();
  const QString text = row >= 0 ? chosenDevices_.value(row) : QString();
  const QSignalBlocker keepChoice(PortDevice);
  PortDevice->setEnabled(row >= 0);
  PortDevice->setCurrentIndex(PortDevice->findText(text));
  PortDevice->setEditText(text);
}

void TFormSettings::DeviceEdited(const QString& text) {
  const int row = ListBox1->currentRow();
  if (row < 0 || row >= chosenDevices_.size()) {
    return;
  }
  chosenDevices_[row] = text;
  // An empty choice keeps the port's device.
  const QString device = text.trimmed();
  PortDevices->item(row)->setText(device.isEmpty() ? ToDisplay(shownDevices_[row]) : device);
}

std::vector<TPortDevice> TFormSettings::ChangedDevices() const {
  std::vector<TPortDevice> choices;
  for (int row = 0; row < chosenDevices_.size(); ++row) {
    choices.push_back(
        {"COM" + std::to_string(row + 1), FromDisplay(chosenDevices_[row].trimmed(), shownDevices_[row])});
  }
  return ChangedPortDevices(choices);
}

void TFormSettings::accept() {
  if (const std::string problem = MqttPage->Problem(); !problem.empty()) {
    ShowErrorBox(this, ComposeKeyMessage(languageList_, text_key::kMqttSettingInvalid, problem, "\r\n"),
                 std::string(kApplicationTitle));
    return;
  }
  for (const TSectionPage* page : SectionPages()) {
    if (const std::string problem = page->Problem(); !problem.empty()) {
      ShowErrorBox(this, ComposeKeyMessage(languageList_, text_key::kSettingInvalid, problem, "\r\n"),
                   std::string(kApplicationTitle));
      return;
    }
  }
  for (const TPortDevice& choice : ChangedDevices()) {
    const SerialDeviceCheck check = CheckSerialDevice(choice.device);
    if (check != SerialDeviceCheck::kCharacterDevice) {
      ShowErrorBox(this,
                   ComposeKeyMessage(
                       languageList_,
                       check == SerialDeviceCheck::kMissing ? text_key::kDeviceNotFound : text_key::kNotASerialDevice,
                       choice.portName + "=" + choice.device, "\r\n"),
                   std::string(kApplicationTitle));
      return;
    }
  }
  QDialog::accept();
}

void TFormSettings::Execute() {
  FillFromSettings();
  if (exec() != QDialog::Accepted) {
    return;
  }
  const std::vector<TPortDevice> devices = ChangedDevices();
  StoreIntoSettings();
  bool saved = SavePortDevices(devices) && SaveDialogSettings() && MqttPage->Save();
  for (const TSectionPage* page : SectionPages()) saved = saved && page->Save();
  if (!saved) {
    ShowErrorBox(this, ComposeKeyMessage(languageList_, text_key::kSettingsNotSaved, SettingsFilePath(), "\r\n"),
                 std::string(kApplicationTitle));
  }
}

void TFormSettings::SpeedButton1Click() {
  QFileDialog chooser(this);
  chooser.setFileMode(QFileDialog::ExistingFile);
  chooser.setNameFilters({QStringLiteral("Comma seperated files (*.csv)"), QStringLiteral("All files (*.*)")});
  if (!Edit1->text().isEmpty()) {
    const QFileInfo current(Edit1->text());
    chooser.setDirectory(current.absolutePath());
    chooser.selectFile(current.fileName());
  }
  if (chooser.exec() == QDialog::Accepted && !chooser.selectedFiles().isEmpty()) {
    Edit1->setText(chooser.selectedFiles().constFirst());
  }
}

void TFormSettings::SpeedButton2Click() {
  std::string title = Text(text_key::kSettingsChooseFolder);
  if (title.empty()) {
    title = "Please choose output folder:";
  }
  const QString folder =
      QFileDialog::getExistingDirectory(this, ToDisplay(title), QString(), QFileDialog::ShowDirsOnly);
  if (!folder.isEmpty()) {
    Edit2->setText(folder);
  }
}

}  // namespace helvanta
