#pragma once

#include <QDialog>
#include <QLabel>
#include <QUrl>
#include <functional>

class QFrame;
class QPushButton;

namespace helvanta {

// A label that runs a handler when clicked; the about box's links.
class TLinkLabel : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> OnClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// Opens an address with the desktop's program for it. Tests replace it.
using UrlOpener = std::function<void(const QUrl&)>;
void SetUrlOpener(UrlOpener opener);

// The about box: product picture, contact lines and the mail and web links.
class TFormAbout : public QDialog {
 public:
  explicit TFormAbout(QWidget* parent = nullptr);

  void Label7Click();
  void Label9Click();

  QFrame* Bevel1;
  QLabel* Image1;
  QFrame* Bevel2;
  QLabel* Image2;
  QLabel* Label1;
  QLabel* Image3;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Image5;
  TLinkLabel* Label7;
  QLabel* Image4;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Image6;
  TLinkLabel* Label9;
  QPushButton* Button1;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace helvanta
