#include "ui/form_charts.hpp"

#include <gtest/gtest.h>

#include <QBarSet>
#include <QCategoryAxis>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTest>

#include <vector>

#include "config/language.hpp"
#include "history/history_store.hpp"
#include "support/clock_readings.hpp"
#include "support/history_fixtures.hpp"
#include "ui_test_support.hpp"

namespace helvanta {
namespace {

using testing::FullRow;
using testing::MinuteAt;

THistoryRow PowerRow(std::int64_t minute, std::int64_t acWatts, std::int64_t dcWatts, std::int64_t dayHundredths) {
  THistoryRow row = FullRow(minute, dayHundredths);
  row.hundredths[2] = acWatts * 100;
  row.hundredths[5] = dcWatts * 100;
  return row;
}

void WaitForLoad(const TFormCharts& form) {
  for (int i = 0; i < 500 && form.Loading(); ++i) QTest::qWait(10);
  QCoreApplication::processEvents();
  ASSERT_FALSE(form.Loading());
}

std::vector<QPointF> Points(const QLineSeries& series) {
  const QList<QPointF> points = series.points();
  return {points.begin(), points.end()};
}

QString Notice(const TFormCharts& form) { return form.findChild<QLabel*>(QStringLiteral("Notice"))->text(); }

TEST(FormCharts, ShowsADaysCurvesAndAMonthsEnergiesAndSteps) {
  const testing::ScopedClock utc;
  TempProgramFolder folder;
  const std::string path = folder.Path() + "helvanta.sqlite";
  THistoryStore store;
  const std::vector<THistoryRow> rows{PowerRow(MinuteAt(2026, 6, 2, 12, 0), 1500, 1600, 800),
                                      PowerRow(MinuteAt(2026, 6, 2, 12, 30), 1700, 1800, 1050),
                                      PowerRow(MinuteAt(2026, 6, 30, 9, 0), 100, 120, 2000)};
  ASSERT_EQ(store.Write(path, rows).fault, THistoryFault::kNone);
  store.Close();

  TLanguageList language;
  TFormCharts form(path, language);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Charts"));
  form.ShowDay(QDate(2026, 6, 2));
  WaitForLoad(form);
  EXPECT_EQ(Points(form.PowerAc()), (std::vector<QPointF>{{12.0, 1500.0}, {12.5, 1700.0}}));
  EXPECT_EQ(Points(form.PowerDc()), (std::vector<QPointF>{{12.0, 1600.0}, {12.5, 1800.0}}));
  const QBarSet* energy = &form.DailyEnergy();
  ASSERT_EQ(energy->count(), 30);
  EXPECT_DOUBLE_EQ(energy->at(1), 10.5);
  EXPECT_DOUBLE_EQ(energy->at(29), 20.0);
  EXPECT_DOUBLE_EQ(energy->at(0), 0.0);
  EXPECT_TRUE(Notice(form).isEmpty());

  // A day without history says so; a step of a month leaves the day where it is.
  QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("NextDay")), Qt::LeftButton);
  WaitForLoad(form);
  EXPECT_EQ(form.Day(), QDate(2026, 6, 3));
  EXPECT_TRUE(Points(form.PowerAc()).empty());
  EXPECT_EQ(Notice(form), QStringLiteral("No history for this day."));
  QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("NextMonth")), Qt::LeftButton);
  WaitForLoad(form);
  EXPECT_EQ(form.Month(), QDate(2026, 7, 1));
  EXPECT_EQ(form.Day(), QDate(2026, 6, 3));
  EXPECT_EQ(energy->count(), 31);
  EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("MonthLabel"))->text(), QStringLiteral("2026-07"));
}

// The day runs from local midnight to local midnight: 23 hours when summer time begins,
// 25 when it ends, the repeated hour after the first one; the axis labels local hours.
TEST(FormCharts, ADayHasTheHoursOfItsClock) {
  const testing::ScopedClock berlin(DateTime{2026, 12, 1, 12, 0, 0, 0}, CentralEuropeanOffset);
  TempProgramFolder folder;
  const std::string path = folder.Path() + "helvanta.sqlite";
  struct Case {
    QDate day;
    std::vector<DateTime> utc;  // rows at these minutes
    std::vector<double> x;      // and their places on the axis
    double hours;
    double fourOClock;
  };
  const std::vector<Case> cases{
      {QDate(2026, 3, 29), {{2026, 3, 29, 1, 30, 0, 0}}, {2.5}, 23, 3},
      {QDate(2026, 6, 15), {{2026, 6, 15, 10, 30, 0, 0}}, {12.5}, 24, 4},
      {QDate(2026, 10, 25), {{2026, 10, 25, 0, 30, 0, 0}, {2026, 10, 25, 1, 30, 0, 0}}, {2.5, 3.5}, 25, 5},
  };
  std::vector<THistoryRow> rows;
  for (const Case& c : cases) {
    for (const DateTime& t : c.utc) {
      THistoryRow& row = rows.emplace_back(PowerRow(MinuteOf(t), 1000, 1100, 0));
      row.offsetMinutes = CentralEuropeanOffset(ToEpochMilliseconds(t));
    }
  }
  ASSERT_EQ(THistoryStore().Write(path, rows).fault, THistoryFault::kNone);

  TLanguageList language;
  TFormCharts form(path, language);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.day.toString(Qt::ISODate).toStdString());
    form.ShowDay(c.day);
    WaitForLoad(form);
    std::vector<double> x;
    for (const QPointF& p : Points(form.PowerAc())) x.push_back(p.x());
    EXPECT_EQ(x, c.x);
    EXPECT_DOUBLE_EQ(form.TimeAxis().max(), c.hours);
    EXPECT_DOUBLE_EQ(form.TimeAxis().endValue(QStringLiteral("04:00")), c.fourOClock);
    EXPECT_DOUBLE_EQ(form.TimeAxis().endValue(QStringLiteral("24:00")), c.hours);
  }
}

TEST(FormCharts, AnUnreadableHistoryIsNamedInTheWindow) {
  TempProgramFolder folder;
  folder.WriteFile("helvanta.sqlite", std::string(8192, 'x'));
  TLanguageList language;
  TFormCharts form(folder.Path() + "helvanta.sqlite", language);
  form.ShowDay(QDate(2026, 6, 2));
  WaitForLoad(form);
  EXPECT_TRUE(Notice(form).startsWith(QStringLiteral("The history cannot be read: "))) << Notice(form).toStdString();
  EXPECT_TRUE(Points(form.PowerAc()).empty());
}

}  // namespace
}  // namespace helvanta
