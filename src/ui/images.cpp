#include "ui/images.hpp"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>
#include <numbers>

namespace helvanta {
namespace {

constexpr int kSmall = 16;

QPixmap Blank(int width = kSmall, int height = kSmall) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

void Letters(QPainter& p, const QRectF& box, const QString& text, const QColor& color, int pixelSize) {
  QFont font;
  font.setPixelSize(pixelSize);
  font.setBold(true);
  p.setFont(font);
  p.setPen(color);
  p.drawText(box, Qt::AlignCenter, text);
}

void SmallWindow(QPainter& p) {
  p.setPen(QPen(QColor(40, 60, 110), 1));
  p.setBrush(QColor(235, 240, 250));
  p.drawRect(QRectF(1.5, 1.5, 13, 10));
  p.fillRect(QRectF(2, 2, 12.5, 2.5), QColor(60, 90, 170));
}

void Arrow(QPainter& p, bool down) {
  QPolygonF head;
  if (down) {
    head << QPointF(5, 10) << QPointF(11, 10) << QPointF(8, 15);
  } else {
    head << QPointF(5, 11) << QPointF(11, 11) << QPointF(8, 6);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(20, 130, 40));
  p.drawPolygon(head);
}

void Wave(QPainter& p, double top, const QColor& color) {
  QPainterPath path;
  for (int x = 0; x <= 12; ++x) {
    const double y = top + 2.5 - 2.5 * std::sin(x * std::numbers::pi / 6.0);
    if (x == 0) {
      path.moveTo(2 + x, y);
    } else {
      path.lineTo(2 + x, y);
    }
  }
  p.setPen(QPen(color, 1.4));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void Bar(QPainter& p, double top, const QColor& color) {
  p.setPen(QPen(color, 1.4));
  p.drawLine(QPointF(2, top + 1), QPointF(14, top + 1));
  p.setPen(QPen(color, 1.0, Qt::DashLine));
  p.drawLine(QPointF(2, top + 4), QPointF(14, top + 4));
}

void Bolt(QPainter& p, const QColor& color) {
  QPolygonF bolt;
  bolt << QPointF(9, 0.5) << QPointF(3.5, 7) << QPointF(7.5, 7) << QPointF(5.5, 10) << QPointF(11.5, 4.5)
       << QPointF(7.5, 4.5);
  p.setPen(QPen(QColor(120, 90, 0), 0.8));
  p.setBrush(color);
  p.drawPolygon(bolt);
}

QPixmap DrawListImage(int index) {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor blue(30, 70, 170);
  const QColor red(190, 30, 30);
  const QColor amber(245, 200, 30);
  switch (index) {
    case kImageConnect:  // plug
      p.setPen(QPen(QColor(60, 60, 60), 1.5));
      p.drawLine(QPointF(6, 1), QPointF(6, 5));
      p.drawLine(QPointF(10, 1), QPointF(10, 5));
      p.setPen(QPen(QColor(20, 90, 30), 1));
      p.setBrush(QColor(60, 170, 70));
      p.drawRoundedRect(QRectF(3.5, 5, 9, 6), 2, 2);
      p.setPen(QPen(QColor(40, 40, 40), 2));
      p.drawLine(QPointF(8, 11), QPointF(8, 15.5));
      break;
    case kImageSettings: {  // gear
      p.translate(8, 8);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(90, 100, 115));
      for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-1.3, -7.5, 2.6, 4));
        p.rotate(45);
      }
      p.drawEllipse(QPointF(0, 0), 5, 5);
      p.setBrush(QColor(235, 235, 235));
      p.drawEllipse(QPointF(0, 0), 2, 2);
      break;
    }
    case kImageHide:
      SmallWindow(p);
      Arrow(p, true);
      break;
    case kImageShow:
      SmallWindow(p);
      Arrow(p, false);
      break;
    case kImageAbout:
      p.setPen(QPen(QColor(20, 50, 130), 1));
      p.setBrush(QColor(50, 110, 210));
      p.drawEllipse(QRectF(1, 1, 14, 14));
      Letters(p, QRectF(0, 0, 16, 16), QStringLiteral("i"), Qt::white, 12);
      break;
    case kImageExit:  // door with an arrow out
      p.setPen(QPen(QColor(90, 50, 20), 1));
      p.setBrush(QColor(170, 110, 60));
      p.drawRect(QRectF(2.5, 1.5, 7, 13));
      p.setPen(QPen(red, 2));
      p.drawLine(QPointF(8, 8), QPointF(15, 8));
      p.drawLine(QPointF(12, 5), QPointF(15, 8));
      p.drawLine(QPointF(12, 11), QPointF(15, 8));
      break;
    case 6:  // voltage AC
      Letters(p, QRectF(0, 0, 16, 10), QStringLiteral("V"), blue, 10);
      Wave(p, 10, blue);
      break;
    case 7:  // current AC
      Letters(p, QRectF(0, 0, 16, 10), QStringLiteral("A"), red, 10);
      Wave(p, 10, red);
      break;
    case 8:  // power AC
      Bolt(p, amber);
      Wave(p, 10, QColor(120, 90, 0));
      break;
    case 9:  // voltage DC
      Letters(p, QRectF(0, 0, 16, 10), QStringLiteral("V"), blue, 10);
      Bar(p, 9.5, blue);
      break;
    case 10:  // current DC
      Letters(p, QRectF(0, 0, 16, 10), QStringLiteral("A"), red, 10);
      Bar(p, 9.5, red);
      break;
    case 11:  // power DC
      Bolt(p, amber);
      Bar(p, 9.5, QColor(120, 90, 0));
      break;
    case 12:  // thermometer
      p.setPen(QPen(QColor(80, 80, 80), 1));
      p.setBrush(Qt::white);
      p.drawRoundedRect(QRectF(6, 1, 4, 10), 2, 2);
      p.setBrush(red);
      p.drawEllipse(QRectF(4.5, 9.5, 7, 6));
      p.fillRect(QRectF(7, 5, 2, 6), red);
      break;
    case 13:  // clock
      p.setPen(QPen(QColor(40, 40, 40), 1));
      p.setBrush(Qt::white);
      p.drawEllipse(QRectF(1, 1, 14, 14));
      p.setPen(QPen(QColor(40, 40, 40), 1.4));
      p.drawLine(QPointF(8, 8), QPointF(8, 3.5));
      p.drawLine(QPointF(8, 8), QPointF(11.5, 9.5));
      break;
    case 14:  // energy: battery
      p.setPen(QPen(QColor(40, 40, 40), 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(1.5, 4.5, 12, 7));
      p.fillRect(QRectF(13.5, 6.5, 2, 3), QColor(40, 40, 40));
      p.fillRect(QRectF(3, 6, 7, 4), QColor(50, 170, 60));
      break;
    default:  // 15: any other inverter value
      p.setPen(QPen(QColor(70, 80, 95), 1));
      p.setBrush(QColor(170, 185, 205));
      p.drawRect(QRectF(2.5, 2.5, 11, 11));
      p.fillRect(QRectF(4.5, 4.5, 7, 3), QColor(40, 60, 40));
      p.setBrush(QColor(60, 200, 80));
      p.drawEllipse(QRectF(5, 9.5, 2.5, 2.5));
      break;
  }
  return pixmap;
}

QPixmap DrawTrayImage() {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 190, 20));
  p.drawEllipse(QRectF(0.5, 0.5, 7, 7));
  p.setPen(QPen(QColor(20, 40, 90), 0.8));
  p.setBrush(QColor(40, 80, 170));
  QPolygonF panel;
  panel << QPointF(4, 8) << QPointF(15.5, 8) << QPointF(13, 15.5) << QPointF(1, 15.5);
  p.drawPolygon(panel);
  p.setPen(QPen(QColor(190, 210, 240), 0.6));
  p.drawLine(QPointF(2.5, 11.75), QPointF(14.25, 11.75));
  p.drawLine(QPointF(8, 8), QPointF(7, 15.5));
  return pixmap;
}

void Envelope(QPainter& p) {
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(1.5, 3.5, 13, 9));
  p.drawLine(QPointF(1.5, 3.5), QPointF(8, 9));
  p.drawLine(QPointF(14.5, 3.5), QPointF(8, 9));
}

void Globe(QPainter& p) {
  p.setPen(QPen(QColor(20, 80, 60), 1));
  p.setBrush(QColor(110, 180, 230));
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(5, 1.5, 6, 13));
  p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
}

void Handset(QPainter& p) {
  p.setPen(QPen(QColor(30, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(2.5, 2.5, 11, 11), 200 * 16, 140 * 16);
}

QPixmap DrawContact(ContactSymbol symbol) {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (symbol) {
    case ContactSymbol::Address: {
      p.setPen(QPen(QColor(110, 40, 20), 1));
      p.setBrush(QColor(200, 70, 40));
      QPolygonF roof;
      roof << QPointF(1, 8) << QPointF(8, 1.5) << QPointF(15, 8);
      p.drawPolygon(roof);
      p.setBrush(QColor(240, 225, 190));
      p.drawRect(QRectF(3.5, 8, 9, 7));
      p.fillRect(QRectF(7, 10.5, 2.5, 4.5), QColor(110, 70, 30));
      break;
    }
    case ContactSymbol::Phone: Handset(p); break;
    case ContactSymbol::Fax:
      p.setPen(QPen(QColor(60, 60, 60), 1));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 1.5, 7, 6));
      p.setBrush(QColor(150, 150, 160));
      p.drawRoundedRect(QRectF(1.5, 7.5, 13, 7), 1.5, 1.5);
      p.fillRect(QRectF(4, 10, 8, 1.5), QColor(40, 40, 40));
      break;
    case ContactSymbol::Mail: Envelope(p); break;
    case ContactSymbol::Web: Globe(p); break;
  }
  return pixmap;
}

QPixmap DrawProduct() {
  constexpr int kWidth = 360;
  constexpr int kHeight = 134;
  QPixmap pixmap(kWidth, kHeight);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, kHeight);
  sky.setColorAt(0, QColor(70, 130, 210));
  sky.setColorAt(1, QColor(200, 225, 250));
  p.fillRect(pixmap.rect(), sky);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 210, 60));
  p.drawEllipse(QPointF(325, 30), 18, 18);
  p.fillRect(QRectF(0, 110, kWidth, 24), QColor(90, 150, 70));
  // Three panels on the grass and the inverter box beside them.
  for (int i = 0; i < 3; ++i) {
    const double x = 150 + i * 52;
    QPolygonF panel;
    panel << QPointF(x + 10, 62) << QPointF(x + 50, 62) << QPointF(x + 42, 108) << QPointF(x, 108);
    p.setPen(QPen(QColor(20, 30, 60), 1.5));
    p.setBrush(QColor(35, 65, 140));
    p.drawPolygon(panel);
    p.setPen(QPen(QColor(170, 195, 235), 0.8));
    p.drawLine(QPointF(x + 5, 85), QPointF(x + 46, 85));
    p.drawLine(QPointF(x + 30, 62), QPointF(x + 21, 108));
  }
  p.setPen(QPen(QColor(60, 60, 60), 1.5));
  p.setBrush(QColor(225, 228, 232));
  p.drawRoundedRect(QRectF(310, 70, 36, 44), 3, 3);
  p.fillRect(QRectF(316, 78, 24, 10), QColor(40, 70, 40));
  p.setBrush(QColor(60, 200, 80));
  p.drawEllipse(QPointF(322, 100), 3, 3);
  p.setPen(QPen(QColor(40, 40, 40), 2));
  p.drawLine(QPointF(296, 100), QPointF(310, 100));
  QFont title;
  title.setPixelSize(30);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRectF(16, 14, 200, 36), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Helvanta"));
  QFont subtitle;
  subtitle.setPixelSize(13);
  p.setFont(subtitle);
  p.drawText(QRectF(18, 50, 200, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Version 1.2"));
  p.drawText(QRectF(18, 68, 200, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("for Siemens SPN1000"));
  return pixmap;
}

QPixmap DrawFolder() {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(150, 110, 20), 1));
  p.setBrush(QColor(240, 200, 80));
  QPolygonF folder;
  folder << QPointF(1.5, 3.5) << QPointF(6, 3.5) << QPointF(7.5, 5) << QPointF(14.5, 5) << QPointF(14.5, 13.5)
         << QPointF(1.5, 13.5);
  p.drawPolygon(folder);
  p.setBrush(QColor(250, 220, 120));
  p.drawRect(QRectF(1.5, 7, 13, 6.5));
  return pixmap;
}

}  // namespace

QPixmap ImageList1Image(int index) { return DrawListImage(index); }

QIcon TrayIconImage() { return QIcon(DrawTrayImage()); }

QPixmap ProductPicture() { return DrawProduct(); }

QPixmap ContactSymbolImage(ContactSymbol symbol) { return DrawContact(symbol); }

QPixmap FolderImage() { return DrawFolder(); }

}  // namespace helvanta
