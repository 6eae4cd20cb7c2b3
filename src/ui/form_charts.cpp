#include "ui/form_charts.hpp"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <exception>

#include "config/language.hpp"
#include "config/text_keys.hpp"
#include "history/history_reader.hpp"
#include "link/measurands.hpp"
#include "runtime/clock.hpp"
#include "ui/display_text.hpp"

namespace helvanta {

namespace {

// Display rows of the two power values.
constexpr int kPowerAcRow = 2;
constexpr int kPowerDcRow = 5;
constexpr int kWorkCurrentDayRow = 10;
// The time axis is labelled every so many local hours.
constexpr int kLabelEveryHours = 4;
constexpr std::int64_t kMsPerHour = 3'600'000;

QString KeyText(const TLanguageList& language, std::string_view key, std::string_view argument = {}) {
  return ToDisplay(ComposeKeyMessage(language, key, argument, "\n"));
}

QChartView* ChartView(QChart* chart, const QString& name) {
  chart->setObjectName(name);
  chart->legend()->setAlignment(Qt::AlignBottom);
  auto* view = new QChartView(chart);
  view->setRenderHint(QPainter::Antialiasing);
  view->setMinimumHeight(220);
  return view;
}

// "<", the label, ">": steps of one day or one month.
QHBoxLayout* NavigationRow(QLabel* label, QPushButton* back, QPushButton* forward) {
  auto* row = new QHBoxLayout;
  row->addWidget(back);
  row->addWidget(label, 1, Qt::AlignCenter);
  row->addWidget(forward);
  return row;
}

QPushButton* StepButton(const QString& text, const QString& name) {
  auto* button = new QPushButton(text);
  button->setObjectName(name);
  button->setFixedWidth(40);
  return button;
}

}  // namespace

TChartData LoadChartData(THistoryReader& reader, QDate day, QDate month) {
  TChartData data;
  data.day = day;
  data.month = month;
  data.dailyKWh.assign(static_cast<std::size_t>(month.daysInMonth()), 0.0);
  const Clock& clock = ProgramClock();
  const DateTime midnight{day.year(), day.month(), day.day(), 0, 0, 0, 0};
  const std::int64_t startMs = clock.UtcOfLocal(midnight);
  const auto hoursAt = [startMs](std::int64_t utcMs) {
    return static_cast<double>(utcMs - startMs) / static_cast<double>(kMsPerHour);
  };
  for (int hour = 0; hour <= 24; hour += kLabelEveryHours) {
    const std::int64_t localMs = ToEpochMilliseconds(midnight) + hour * kMsPerHour;
    data.timeLabels.push_back({hoursAt(clock.UtcOfLocal(FromEpochMilliseconds(localMs))),
                               QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'))});
  }
  data.dayHours = data.timeLabels.back().hours;
  try {
    for (const THistoryRow& row : reader.DaySeries(day.year(), day.month(), day.day())) {
      const double hours = hoursAt(row.utcMinute * 60'000);
      if (const auto w = RowNumber(row, kPowerAcRow)) data.ac.emplace_back(hours, *w);
      if (const auto w = RowNumber(row, kPowerDcRow)) data.dc.emplace_back(hours, *w);
    }
    for (const TDayEnergy& energy : reader.DailyEnergies(month.year(), month.month())) {
      if (energy.day >= 1 && energy.day <= month.daysInMonth()) {
        data.dailyKWh[static_cast<std::size_t>(energy.day - 1)] = energy.kWh;
      }
    }
  } catch (const std::exception& error) {
    data.error = QString::fromUtf8(error.what());
  }
  return data;
}

TFormCharts::TFormCharts(const std::string& databasePath, const TLanguageList& language, QWidget* parent)
    : QWidget(parent, Qt::Window), language_(language), reader_(std::make_shared<THistoryReader>(databasePath)) {
  setObjectName(QStringLiteral("FormCharts"));
  setWindowTitle(KeyText(language, text_key::kCharts));
  noHistory_ = KeyText(language, text_key::kChartsNoHistory);

  dayLabel_ = new QLabel;
  dayLabel_->setObjectName(QStringLiteral("DayLabel"));
  monthLabel_ = new QLabel;
  monthLabel_->setObjectName(QStringLiteral("MonthLabel"));
  notice_ = new QLabel;
  notice_->setObjectName(QStringLiteral("Notice"));
  notice_->setWordWrap(true);

  auto* powerChart = new QChart;
  powerChart->setTitle(KeyText(language, text_key::kChartsDayPower));
  ac_ = new QLineSeries;
  ac_->setName(ToDisplay(RowCaption(kPowerAcRow)));
  dc_ = new QLineSeries;
  dc_->setName(ToDisplay(RowCaption(kPowerDcRow)));
  powerChart->addSeries(ac_);
  powerChart->addSeries(dc_);
  hours_ = new QCategoryAxis;
  hours_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  powerAxis_ = new QValueAxis;
  powerAxis_->setLabelFormat(QStringLiteral("%.0f"));
  powerChart->addAxis(hours_, Qt::AlignBottom);
  powerChart->addAxis(powerAxis_, Qt::AlignLeft);
  for (QLineSeries* series : {ac_, dc_}) {
    series->attachAxis(hours_);
    series->attachAxis(powerAxis_);
  }

  auto* energyChart = new QChart;
  energyChart->setTitle(KeyText(language, text_key::kChartsMonthEnergy));
  energy_ = new QBarSet(ToDisplay(RowUnit(kWorkCurrentDayRow)));
  auto* bars = new QBarSeries;
  bars->append(energy_);
  energyChart->addSeries(bars);
  energyChart->legend()->hide();
  days_ = new QBarCategoryAxis;
  // A smaller font, so that 31 day numbers fit beside each other.
  QFont dayFont = days_->labelsFont();
  dayFont.setPointSizeF(dayFont.pointSizeF() * 0.8);
  days_->setLabelsFont(dayFont);
  energyAxis_ = new QValueAxis;
  energyAxis_->setLabelFormat(QStringLiteral("%.1f"));
  energyChart->addAxis(days_, Qt::AlignBottom);
  energyChart->addAxis(energyAxis_, Qt::AlignLeft);
  bars->attachAxis(days_);
  bars->attachAxis(energyAxis_);

  auto* dayBack = StepButton(QStringLiteral("<"), QStringLiteral("PreviousDay"));
  auto* dayForward = StepButton(QStringLiteral(">"), QStringLiteral("NextDay"));
  auto* monthBack = StepButton(QStringLiteral("<"), QStringLiteral("PreviousMonth"));
  auto* monthForward = StepButton(QStringLiteral(">"), QStringLiteral("NextMonth"));
  connect(dayBack, &QPushButton::clicked, this, [this] { StepDay(-1); });
  connect(dayForward, &QPushButton::clicked, this, [this] { StepDay(1); });
  connect(monthBack, &QPushButton::clicked, this, [this] { StepMonth(-1); });
  connect(monthForward, &QPushButton::clicked, this, [this] { StepMonth(1); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(NavigationRow(dayLabel_, dayBack, dayForward));
  layout->addWidget(ChartView(powerChart, QStringLiteral("PowerChart")), 1);
  layout->addLayout(NavigationRow(monthLabel_, monthBack, monthForward));
  layout->addWidget(ChartView(energyChart, QStringLiteral("EnergyChart")), 1);
  layout->addWidget(notice_);
  resize(820, 640);

  connect(&watcher_, &QFutureWatcher<TChartData>::finished, this, [this] {
    Apply(watcher_.result());
    // A step taken during the read asks for the newest choice once more.
    if (reloadWanted_) Load();
  });
}

TFormCharts::~TFormCharts() { watcher_.waitForFinished(); }

void TFormCharts::ShowDay(QDate day) {
  day_ = day;
  month_ = QDate(day.year(), day.month(), 1);
  Load();
}

void TFormCharts::StepDay(int days) { ShowDay(day_.addDays(days)); }

void TFormCharts::StepMonth(int months) {
  month_ = month_.addMonths(months);
  Load();
}

void TFormCharts::Load() {
  dayLabel_->setText(day_.toString(Qt::ISODate));
  monthLabel_->setText(month_.toString(QStringLiteral("yyyy-MM")));
  if (watcher_.isRunning()) {
    reloadWanted_ = true;
    return;
  }
  reloadWanted_ = false;
  // The read runs on a worker, so a slow disk never holds up the window's tick.
  watcher_.setFuture(
      QtConcurrent::run([reader = reader_, day = day_, month = month_] { return LoadChartData(*reader, day, month); }));
}

void TFormCharts::Apply(const TChartData& data) {
  const auto points = [](const std::vector<QPointF>& v) { return QList<QPointF>(v.begin(), v.end()); };
  ac_->replace(points(data.ac));
  dc_->replace(points(data.dc));
  for (const QString& label : hours_->categoriesLabels()) hours_->remove(label);
  for (const TTimeLabel& label : data.timeLabels) hours_->append(label.text, label.hours);
  hours_->setRange(0, data.dayHours);
  double highest = 0;
  for (const auto* series : {&data.ac, &data.dc}) {
    for (const QPointF& p : *series) highest = std::max(highest, p.y());
  }
  powerAxis_->setRange(0, highest > 0 ? highest * 1.1 : 1);
  powerAxis_->applyNiceNumbers();

  QStringList labels;
  QList<qreal> values;
  for (std::size_t i = 0; i < data.dailyKWh.size(); ++i) {
    labels << QString::number(static_cast<int>(i) + 1);
    values << data.dailyKWh[i];
  }
  energy_->remove(0, energy_->count());
  energy_->append(values);
  days_->clear();
  days_->append(labels);
  const double most = values.isEmpty() ? 0 : *std::max_element(values.begin(), values.end());
  energyAxis_->setRange(0, most > 0 ? most * 1.1 : 1);
  energyAxis_->applyNiceNumbers();

  if (!data.error.isEmpty()) {
    notice_->setText(KeyText(language_, text_key::kChartsUnreadable, data.error.toStdString()));
  } else {
    notice_->setText(data.ac.empty() && data.dc.empty() ? noHistory_ : QString());
  }
}

}  // namespace helvanta
