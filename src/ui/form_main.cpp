#include "ui/form_main.hpp"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "config/language.hpp"
#include "config/text_keys.hpp"
#include "link/measurands.hpp"
#include "link/polling_cycle.hpp"
#include "runtime/sync_queue.hpp"
#include "ui/display_text.hpp"
#include "ui/error_box.hpp"
#include "ui/images.hpp"

namespace helvanta {
namespace {

constexpr int kColumnCount = 7;
constexpr int kClockPanelWidth = 50;
constexpr int kToolBarHeight = 29;
constexpr char kWelcome[] = "Welcome to Helvanta 1.2 for Siemens SPN1000!";

struct ColumnDesign {
  const char* caption;
  int width;  // 0: the columns share what is left
  Qt::Alignment alignment;
};

constexpr std::array<ColumnDesign, kColumnCount> kColumns = {{
    {"Key", 150, Qt::AlignLeft},
    {"Value", 75, Qt::AlignRight},
    {"Unit", 50, Qt::AlignLeft},
    {"Time", 0, Qt::AlignRight},
    {"Time", 0, Qt::AlignRight},
    {"Time", 0, Qt::AlignRight},
    {"Time", 0, Qt::AlignRight},
}};

// The row symbol of each display row, an index into ImageList1.
int RowImage(int row) {
  if (row <= 5) return 6 + row;
  if (row == 6) return 12;
  if (row <= 8) return 13;
  if (row <= 18) return 14;
  return 15;
}

QIcon ListIcon(int index) { return QIcon(ImageList1Image(index)); }

QAction* MenuItem(QMenu* menu, const char* name, const char* caption, int image) {
  QAction* action = menu->addAction(ListIcon(image), QString::fromLatin1(caption));
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

QToolButton* ToolButton(QToolBar* bar, const char* name, int image, const char* hint) {
  auto* button = new QToolButton(bar);
  button->setObjectName(QString::fromLatin1(name));
  button->setIcon(ListIcon(image));
  button->setToolTip(QString::fromLatin1(hint));
  button->setAutoRaise(true);
  bar->addWidget(button);
  return button;
}

}  // namespace

TFormMain::TFormMain(QWidget* parent)
    : QMainWindow(parent),
      trayAvailable_(&QSystemTrayIcon::isSystemTrayAvailable),
      core_(LanguageList, MeasurandIndex, " ",
            [this](const THostMessage& message) { SetStatusPanel(1, message.text); }) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(ToDisplay(kApplicationTitle));
  setWindowIcon(TrayIconImage());
  move(194, 107);
  resize(640, 480);

  BuildMenus();
  BuildToolBar();
  BuildListView();
  BuildStatusBar();
  BuildTrayIcon();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setSingleShot(true);
  Timer1->setTimerType(Qt::PreciseTimer);

  ConfigureInverterPort(ComPort1);
  ComDataPacket1.SetComPort(&ComPort1);
  ComDataPacket1.SetSize(13);
  ComDataPacket1.OnPacket = [this](TComDataPacket*, const std::string& packet) { ComDataPacket1Packet(packet); };

  // The serial event thread hands its events over through the main thread's queue.
  syncNotifier_ = new QSocketNotifier(MainSyncQueue().WakeHandle().Value(), QSocketNotifier::Read, this);
  connect(syncNotifier_, &QSocketNotifier::activated, this, [] { MainSyncQueue().RunPending(); });

  ConnectHandlers();
  RunGuarded(this, [this] { FormCreate(); });
  ArmTimer1();
}

TFormMain::~TFormMain() {
  // The port must be closed while the window's queue notifier and handlers still exist.
  try {
    ComPort1.Close();
  } catch (const std::exception&) {
    // The device goes away with the process; nobody is left to tell.
  }
}

void TFormMain::SetDialogs(TFormSettings* settings, TFormAbout* about) {
  formSettings_ = settings;
  formAbout_ = about;
}

void TFormMain::SetTrayAvailable(std::function<bool()> available) { trayAvailable_ = std::move(available); }

void TFormMain::BuildMenus() {
  MainMenu1 = menuBar();
  MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
  File1 = MainMenu1->addMenu(QStringLiteral("File"));
  File1->setObjectName(QStringLiteral("File1"));
  Connect1 = MenuItem(File1, "Connect1", "Connect", kImageConnect);
  Settings1 = MenuItem(File1, "Settings1", "Settings", kImageSettings);
  Charts1 = File1->addAction(QString::fromLatin1(BuiltinText(text_key::kCharts)));
  Charts1->setObjectName(QStringLiteral("Charts1"));
  Hide1 = MenuItem(File1, "Hide1", "Hide", kImageHide);
  Exit2 = File1->addSeparator();
  Exit2->setObjectName(QStringLiteral("Exit2"));
  Exit1 = MenuItem(File1, "Exit1", "Exit", kImageExit);
  Help1 = MainMenu1->addMenu(QStringLiteral("Help"));
  Help1->setObjectName(QStringLiteral("Help1"));
  About1 = MenuItem(Help1, "About1", "About...", kImageAbout);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  Show1 = MenuItem(PopupMenu1, "Show1", "Show", kImageShow);
  N1 = PopupMenu1->addSeparator();
  N1->setObjectName(QStringLiteral("N1"));
  Exit4 = MenuItem(PopupMenu1, "Exit4", "Exit", kImageExit);
}

void TFormMain::BuildToolBar() {
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(16, 16));
  ToolBar1->setFixedHeight(kToolBarHeight);
  ToolBar1->toggleViewAction()->setVisible(false);
  ToolButton1 = ToolButton(ToolBar1, "ToolButton1", kImageConnect, "Connect");
  ToolButton2 = ToolButton(ToolBar1, "ToolButton2", kImageSettings, "Settings");
  ToolButton3 = ToolButton(ToolBar1, "ToolButton3", kImageHide, "Hide");
  ToolButton4 = ToolBar1->addSeparator();
  ToolButton4->setObjectName(QStringLiteral("ToolButton4"));
  ToolButton5 = ToolButton(ToolBar1, "ToolButton5", kImageAbout, "About");
  ToolButton6 = ToolButton(ToolBar1, "ToolButton6", kImageExit, "Exit");
  addToolBar(Qt::TopToolBarArea, ToolBar1);
  setContextMenuPolicy(Qt::NoContextMenu);
}

void TFormMain::BuildListView() {
  ListView1 = new QTableWidget(kDisplayRowCount, kColumnCount, this);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setShowGrid(true);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView1->setIconSize(QSize(16, 16));
  ListView1->setWordWrap(false);
  ListView1->verticalHeader()->hide();
  ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 4);
  QHeaderView* header = ListView1->horizontalHeader();
  header->setSectionsClickable(false);
  header->setSectionsMovable(false);
  header->setHighlightSections(false);
  for (int column = 0; column < kColumnCount; ++column) {
    const ColumnDesign& design = kColumns[static_cast<std::size_t>(column)];
    auto* item = new QTableWidgetItem;
    item->setTextAlignment(design.alignment | Qt::AlignVCenter);
    ListView1->setHorizontalHeaderItem(column, item);
    SetColumnCaption(column, design.caption);
    if (design.width > 0) {
      header->setSectionResizeMode(column, QHeaderView::Interactive);
      ListView1->setColumnWidth(column, design.width);
    } else {
      header->setSectionResizeMode(column, QHeaderView::Stretch);
    }
  }
  for (int row = 0; row < kDisplayRowCount; ++row) {
    for (int column = 0; column < kColumnCount; ++column) {
      auto* item = new QTableWidgetItem;
      item->setTextAlignment(kColumns[static_cast<std::size_t>(column)].alignment | Qt::AlignVCenter);
      ListView1->setItem(row, column, item);
    }
    ListView1->item(row, 0)->setIcon(ListIcon(RowImage(row)));
    SetCell(row, 0, std::string(RowCaption(row)));
    SetCell(row, 1, "N/A");
    SetCell(row, 2, std::string(RowUnit(row)));
  }
  setCentralWidget(ListView1);
}

void TFormMain::BuildStatusBar() {
  StatusBar1 = statusBar();
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(true);
  for (std::size_t panel = 0; panel < statusPanels_.size(); ++panel) {
    statusPanels_[panel] = new QLabel(StatusBar1);
    statusPanels_[panel]->setObjectName(QStringLiteral("StatusPanel%1").arg(panel));
  }
  // Wide enough for the clock in whatever font the desktop uses, and as high as a line:
  // of a label whose size is fixed a new text repaints the label alone, where any other
  // would lay out the whole status bar again every second.
  QLabel* clock = statusPanels_[0];
  const int clockWidth = clock->fontMetrics().horizontalAdvance(QStringLiteral("88:88:88")) + 8;
  clock->setText(QStringLiteral("88:88:88"));
  clock->setFixedSize(std::max(kClockPanelWidth, clockWidth), clock->sizeHint().height());
  clock->clear();
  StatusBar1->addWidget(statusPanels_[0]);
  StatusBar1->addWidget(statusPanels_[1], 1);
  SetStatusPanel(1, kWelcome);
}

void TFormMain::BuildTrayIcon() {
  TrayIcon1 = new QSystemTrayIcon(TrayIconImage(), this);
  TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
  TrayIcon1->setToolTip(QStringLiteral("Helvanta"));
  TrayIcon1->setContextMenu(PopupMenu1);
}

void TFormMain::ConnectHandlers() {
  const auto on = [this](auto* sender, auto signal, void (TFormMain::*handler)()) {
    connect(sender, signal, this, [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); });
  };
  on(Connect1, &QAction::triggered, &TFormMain::Connect1Click);
  on(Settings1, &QAction::triggered, &TFormMain::Settings1Click);
  on(Hide1, &QAction::triggered, &TFormMain::Hide1Click);
  on(Exit1, &QAction::triggered, &TFormMain::Exit1Click);
  on(About1, &QAction::triggered, &TFormMain::About1Click);
  on(Charts1, &QAction::triggered, &TFormMain::Charts1Click);
  on(Show1, &QAction::triggered, &TFormMain::Show1Click);
  on(Exit4, &QAction::triggered, &TFormMain::Exit4Click);
  on(ToolButton1, &QToolButton::clicked, &TFormMain::ToolButton1Click);
  on(ToolButton2, &QToolButton::clicked, &TFormMain::ToolButton2Click);
  on(ToolButton3, &QToolButton::clicked, &TFormMain::ToolButton3Click);
  on(ToolButton5, &QToolButton::clicked, &TFormMain::ToolButton5Click);
  on(ToolButton6, &QToolButton::clicked, &TFormMain::ToolButton6Click);
  on(Timer1, &QTimer::timeout, &TFormMain::OnTimer1);
  connect(TrayIcon1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) {
      RunGuarded(this, [this] { RestoreFromTray(); });
    }
  });
}

std::string TFormMain::Translated(std::string_view key, std::string_view designed) const {
  std::string text = LanguageList.LookupText(key);
  return text.empty() ? std::string(designed) : text;
}

std::string TFormMain::StatusPanelText(int panel) const { return statusTexts_.at(static_cast<std::size_t>(panel)); }

void TFormMain::SetStatusPanel(int panel, const std::string& text) {
  statusTexts_.at(static_cast<std::size_t>(panel)) = text;
  // A one-line panel: a line break of a message reads as a space there.
  QString shown = ToDisplay(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  statusPanels_.at(static_cast<std::size_t>(panel))->setText(shown);
}

std::string TFormMain::CellText(int row, int column) const {
  return ListView1->item(row, column)->data(Qt::UserRole).toByteArray().toStdString();
}

void TFormMain::SetCell(int row, int column, const std::string& text) {
  QTableWidgetItem* item = ListView1->item(row, column);
  item->setData(Qt::UserRole, QByteArray::fromStdString(text));
  item->setText(ToDisplay(text));
}

std::string TFormMain::ColumnCaption(int column) const {
  return ListView1->horizontalHeaderItem(column)->data(Qt::UserRole).toByteArray().toStdString();
}

void TFormMain::SetColumnCaption(int column, const std::string& text) {
  QTableWidgetItem* item = ListView1->horizontalHeaderItem(column);
  item->setData(Qt::UserRole, QByteArray::fromStdString(text));
  item->setText(ToDisplay(text));
}

}  // namespace helvanta
