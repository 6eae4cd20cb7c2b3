#include "ui/form_charts.hpp"

#include <gtest/gtest.h>

#include <QBarSet>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTest>

#include <vector>

#include "config/language.hpp"
#include "history/history_store.hpp"
#include "history/history_test_support.hpp"
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
