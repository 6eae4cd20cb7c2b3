#include "ui/form_about.hpp"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "ui_test_support.hpp"

namespace helvanta {
namespace {

class OpenerCapture {
 public:
  OpenerCapture() {
    SetUrlOpener([this](const QUrl& url) { opened.push_back(url.toString().toStdString()); });
  }
  ~OpenerCapture() { SetUrlOpener(nullptr); }
  std::vector<std::string> opened;
};

TEST(FormAbout, ShowsTheDesignedContentWithTwoLinks) {
  TFormAbout about;
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About Helvanta 1.2 for Siemens SPN1000"));
  EXPECT_EQ(about.size(), QSize(364 + 16, 268 + 16));
  EXPECT_EQ(about.Image1->pixmap().size(), QSize(360, 134));
  for (QLabel* symbol : {about.Image2, about.Image3, about.Image4, about.Image5, about.Image6}) {
    EXPECT_EQ(symbol->pixmap().size(), QSize(16, 16));
  }
  EXPECT_EQ(about.Label2->text(), QStringLiteral("Phone:"));
  EXPECT_EQ(about.Label4->text(), QStringLiteral("Fax:"));
  for (QLabel* link : {static_cast<QLabel*>(about.Label7), static_cast<QLabel*>(about.Label9)}) {
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
  }
  EXPECT_TRUE(about.Label7->text().endsWith(QStringLiteral(".org")));
  EXPECT_TRUE(about.Button1->isDefault());
  EXPECT_EQ(about.Button1->text(), QStringLiteral("OK"));
}

TEST(FormAbout, TheLinksOpenAMailWithSubjectAndTheProductPage) {
  OpenerCapture opener;
  TFormAbout about;
  about.show();
  QTest::mouseClick(about.Label7, Qt::LeftButton);
  QTest::mouseClick(about.Label9, Qt::LeftButton);
  ASSERT_EQ(opener.opened.size(), 2u);
  EXPECT_EQ(opener.opened[0], "mailto:" + about.Label7->text().toStdString() + "?subject=Helvanta");
  EXPECT_EQ(opener.opened[1], about.Label9->text().toStdString() + "/Helvanta");
  // The dialog stays open whatever the desktop did with the address.
  EXPECT_TRUE(about.isVisible());
}

TEST(FormAbout, EnterEscapeAndOkCloseItAndASecondOpeningLooksTheSame) {
  TFormAbout about;
  const QString line = about.Label1->text();
  for (const int key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Enter}) {
    about.open();
    ASSERT_TRUE(about.isVisible());
    QTest::keyClick(&about, static_cast<Qt::Key>(key));
    EXPECT_FALSE(about.isVisible()) << key;
  }
  about.open();
  QTest::mouseClick(about.Button1, Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);
  EXPECT_EQ(about.Label1->text(), line);
}

}  // namespace
}  // namespace helvanta
