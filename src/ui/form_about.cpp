#include "ui/form_about.hpp"

#include <QDesktopServices>
#include <QFrame>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <utility>

#include "ui/error_box.hpp"
#include "ui/images.hpp"

namespace helvanta {
namespace {

// Neutral contact data of the maker; no real person or company.
constexpr char kMakerLine[] = "Example Ltd. * 1 Sample Street * 12345 Sampletown";
constexpr char kPhone[] = "+00 123 456 780";
constexpr char kFax[] = "+00 123 456 789";
constexpr char kMail[] = "helvanta@example.org";
constexpr char kWeb[] = "https://www.example.com";

constexpr int kBorder = 8;
constexpr int kClientWidth = 364;
constexpr int kClientHeight = 268;
constexpr int kFontPixels = 11;

void OpenWithDesktop(const QUrl& url) { QDesktopServices::openUrl(url); }

UrlOpener& CurrentOpener() {
  static UrlOpener opener = OpenWithDesktop;
  return opener;
}

QLabel* PictureLabel(QWidget* parent, const char* name, const QPixmap& pixmap, int left, int top) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setPixmap(pixmap);
  label->setGeometry(kBorder + left, kBorder + top, pixmap.width(), pixmap.height());
  return label;
}

QLabel* TextLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->adjustSize();
  label->move(kBorder + left, kBorder + top);
  return label;
}

void MakeLink(TLinkLabel* label) {
  QFont font = label->font();
  font.setUnderline(true);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::blue);
  label->setPalette(palette);
  label->setCursor(Qt::PointingHandCursor);
  label->adjustSize();
}

}  // namespace

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick) {
    OnClick();
  }
}

void SetUrlOpener(UrlOpener opener) { CurrentOpener() = opener ? std::move(opener) : UrlOpener(OpenWithDesktop); }

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormAbout"));
  setWindowTitle(QStringLiteral("About Helvanta 1.2 for Siemens SPN1000"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setModal(true);
  // The contact lines are placed for a small dialog font, about 11 pixels high.
  QFont dialogFont = font();
  dialogFont.setPixelSize(kFontPixels);
  setFont(dialogFont);

  Bevel1 = new QFrame(this);
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(kBorder, kBorder, kClientWidth, 138);
  Image1 = PictureLabel(this, "Image1", ProductPicture(), 2, 2);

  Bevel2 = new QFrame(this);
  Bevel2->setObjectName(QStringLiteral("Bevel2"));
  Bevel2->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel2->setGeometry(kBorder, kBorder + 150, kClientWidth, 83);

  Image2 = PictureLabel(this, "Image2", ContactSymbolImage(ContactSymbol::Address), 16, 161);
  Label1 = TextLabel(this, "Label1", QString::fromUtf8(kMakerLine), 40, 161);
  Image3 = PictureLabel(this, "Image3", ContactSymbolImage(ContactSymbol::Phone), 16, 184);
  Label2 = TextLabel(this, "Label2", QStringLiteral("Phone:"), 39, 184);
  Label3 = TextLabel(this, "Label3", QString::fromUtf8(kPhone), 79, 184);
  Image5 = PictureLabel(this, "Image5", ContactSymbolImage(ContactSymbol::Mail), 192, 184);
  Label7 = new TLinkLabel(QString::fromUtf8(kMail), this);
  Label7->setObjectName(QStringLiteral("Label7"));
  Label7->move(kBorder + 216, kBorder + 184);
  MakeLink(Label7);
  Image4 = PictureLabel(this, "Image4", ContactSymbolImage(ContactSymbol::Fax), 16, 208);
  Label4 = TextLabel(this, "Label4", QStringLiteral("Fax:"), 39, 208);
  Label5 = TextLabel(this, "Label5", QString::fromUtf8(kFax), 63, 208);
  Image6 = PictureLabel(this, "Image6", ContactSymbolImage(ContactSymbol::Web), 192, 208);
  Label9 = new TLinkLabel(QString::fromUtf8(kWeb), this);
  Label9->setObjectName(QStringLiteral("Label9"));
  Label9->move(kBorder + 216, kBorder + 208);
  MakeLink(Label9);

  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(kBorder + 150, kBorder + 243, 73, 25);
  Button1->setDefault(true);
  Button1->setAutoDefault(true);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

  Label7->OnClick = [this] { RunGuarded(this, [this] { Label7Click(); }); };
  Label9->OnClick = [this] { RunGuarded(this, [this] { Label9Click(); }); };

  setFixedSize(kClientWidth + 2 * kBorder, kClientHeight + 2 * kBorder);
}

void TFormAbout::Label7Click() {
  CurrentOpener()(QUrl(QStringLiteral("mailto:") + QString::fromUtf8(kMail) + QStringLiteral("?subject=Helvanta")));
}

void TFormAbout::Label9Click() { CurrentOpener()(QUrl(QString::fromUtf8(kWeb) + QStringLiteral("/Helvanta"))); }

void TFormAbout::showEvent(QShowEvent* event) {
  // Centred on the screen each time it is shown.
  if (QScreen* s = screen()) {
    move(s->availableGeometry().center() - rect().center());
  }
  QDialog::showEvent(event);
}

}  // namespace helvanta
