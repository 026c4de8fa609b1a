#include "app/ButtonIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace feedwell::app {
namespace {

constexpr int kSize = 32;

QPixmap Blank() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// An envelope, the tool's mark.
void DrawEnvelope(QPainter& p, const QRectF& r, const QColor& fill) {
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(r, 3, 3);
  p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  QPainterPath flap;
  flap.moveTo(r.left() + 3, r.top() + 3);
  flap.lineTo(r.center().x(), r.top() + r.height() * 0.55);
  flap.lineTo(r.right() - 3, r.top() + 3);
  p.drawPath(flap);
}

QPixmap Draw(CommandPicture picture) {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (picture) {
    case CommandPicture::Scan: {
      DrawEnvelope(p, QRectF(2, 6, 22, 16), QColor(0x2b, 0x6c, 0xb0));
      p.setPen(QPen(QColor(0x38, 0xa1, 0x69), 3, Qt::SolidLine, Qt::RoundCap));
      p.drawArc(QRectF(14, 14, 15, 15), 30 * 16, 270 * 16);
      p.setBrush(QColor(0x38, 0xa1, 0x69));
      p.setPen(Qt::NoPen);
      p.drawPolygon(QPolygonF({QPointF(26, 12), QPointF(31, 19), QPointF(23, 19)}));
      break;
    }
    case CommandPicture::Generate: {
      p.setPen(QPen(QColor(0x4a, 0x55, 0x68), 1.5));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(6, 3, 20, 26));
      p.setPen(QPen(QColor(0xdd, 0x6b, 0x20), 2.5, Qt::SolidLine, Qt::RoundCap));
      for (int y = 9; y <= 23; y += 5) p.drawLine(QPointF(10, y), QPointF(y == 23 ? 17 : 22, y));
      break;
    }
    case CommandPicture::Configure: {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x71, 0x80, 0x96));
      for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(16, 16);
        p.rotate(i * 45);
        p.drawRect(QRectF(-3, -14, 6, 8));
        p.restore();
      }
      p.drawEllipse(QPointF(16, 16), 10, 10);
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(16, 16), 4, 4);
      break;
    }
    case CommandPicture::OpenPage: {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x31, 0x82, 0xce));
      p.drawEllipse(QRectF(3, 3, 26, 26));
      p.setPen(QPen(Qt::white, 1.6));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QRectF(10, 3, 12, 26));
      p.drawLine(QPointF(3, 16), QPointF(29, 16));
      p.drawLine(QPointF(6, 9), QPointF(26, 9));
      p.drawLine(QPointF(6, 23), QPointF(26, 23));
      break;
    }
  }
  return pixmap;
}

}  // namespace

QIcon CommandIcon(CommandPicture picture) {
  return QIcon(Draw(picture));
}

QIcon WindowIcon() {
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(2, 2);
  DrawEnvelope(p, QRectF(2, 5, 28, 22), QColor(0x2b, 0x6c, 0xb0));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf6, 0xad, 0x55));
  p.drawEllipse(QPointF(24, 23), 5, 5);
  return QIcon(pixmap);
}

}  // namespace feedwell::app
