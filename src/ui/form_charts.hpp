#pragma once

#include <QDate>
#include <QFutureWatcher>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QBarCategoryAxis;
class QBarSet;
class QCategoryAxis;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace helvanta {

class THistoryReader;
class TLanguageList;

// A label of the day's time axis: the local time at a place on it.
struct TTimeLabel {
  double hours = 0;  // since the day's start
  QString text;
  bool operator==(const TTimeLabel&) const = default;
};

// What the chart window shows: a day's power curves and the daily energies of a month.
struct TChartData {
  QDate day;
  QDate month;  // its first day
  // The day runs from its local midnight to the next, 23 or 25 hours on the days summer
  // time begins or ends; x is the time since its start, so the repeated hour of an autumn
  // night follows the first one, and the labels give the local time.
  double dayHours = 24;
  std::vector<TTimeLabel> timeLabels;
  std::vector<QPointF> ac;  // x: hours since the day's start, y: W
  std::vector<QPointF> dc;
  std::vector<double> dailyKWh;  // one per day of the month; 0 where none is stored
  QString error;                 // why the history could not be read, or empty
};

// Reads a day and a month from the history, the day in the program clock's time zone; runs
// on a worker thread, never on the main one.
TChartData LoadChartData(THistoryReader& reader, QDate day, QDate month);

// A window of charts drawn from the history store: the power curves (AC and DC) of one day
// and the energy of each day of one month, each with buttons for the one before and after.
class TFormCharts : public QWidget {
  Q_OBJECT

 public:
  TFormCharts(const std::string& databasePath, const TLanguageList& language, QWidget* parent = nullptr);
  ~TFormCharts() override;

  // Shows the day and its month.
  void ShowDay(QDate day);
  QDate Day() const { return day_; }
  QDate Month() const { return month_; }
  // True while a read is under way.
  bool Loading() const { return watcher_.isRunning(); }
  // What the charts show (the series belong to their charts, not to this widget's children).
  const QLineSeries& PowerAc() const { return *ac_; }
  const QLineSeries& PowerDc() const { return *dc_; }
  const QCategoryAxis& TimeAxis() const { return *hours_; }
  const QBarSet& DailyEnergy() const { return *energy_; }

 private:
  void Load();
  void Apply(const TChartData& data);
  void StepDay(int days);
  void StepMonth(int months);

  const TLanguageList& language_;
  std::shared_ptr<THistoryReader> reader_;
  QDate day_;
  QDate month_;
  bool reloadWanted_ = false;
  QFutureWatcher<TChartData> watcher_;
  QLabel* dayLabel_;
  QLabel* monthLabel_;
  QLabel* notice_;
  QLineSeries* ac_;
  QLineSeries* dc_;
  QCategoryAxis* hours_;
  QValueAxis* powerAxis_;
  QBarSet* energy_;
  QBarCategoryAxis* days_;
  QValueAxis* energyAxis_;
  QString noHistory_;
};

}  // namespace helvanta
