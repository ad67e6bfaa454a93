#include "toolbar_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace bookloom {

int ImageListSize(int dpi) {
  if (dpi < 120) return 20;
  if (dpi <= 170) return 30;
  if (dpi >= 192 && dpi <= 250) return 40;
  return 60;
}

namespace {

// Draws on a 20 by 20 grid scaled to the pixmap.
QPixmap Draw(TToolbarImage image, int size, const QColor& ink) {
  QPixmap pm(size, size);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 20.0, size / 20.0);
  QPen pen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  switch (image) {
    case TToolbarImage::Home: {
      QPainterPath roof;
      roof.moveTo(2.5, 10);
      roof.lineTo(10, 3);
      roof.lineTo(17.5, 10);
      p.drawPath(roof);
      p.drawRect(QRectF(5, 9.5, 10, 8));
      p.fillRect(QRectF(8.5, 12.5, 3, 5), ink);
      break;
    }
    case TToolbarImage::Back:
    case TToolbarImage::Forward: {
      const bool back = image == TToolbarImage::Back;
      p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      const double tip = back ? 3.5 : 16.5, tail = back ? 16.5 : 3.5, head = back ? 9.5 : 10.5;
      p.drawLine(QPointF(tail, 10), QPointF(tip, 10));
      p.drawLine(QPointF(tip, 10), QPointF(head, 4));
      p.drawLine(QPointF(tip, 10), QPointF(head, 16));
      break;
    }
    case TToolbarImage::Print:
      p.drawRect(QRectF(6, 2.5, 8, 5));
      p.drawRoundedRect(QRectF(2.5, 7.5, 15, 7), 1.5, 1.5);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(6, 11.5, 8, 6));
      p.drawLine(QPointF(7.5, 14), QPointF(12.5, 14));
      p.drawLine(QPointF(7.5, 16), QPointF(12.5, 16));
      break;
  }
  p.end();
  pm.setDevicePixelRatio(size / 20.0);
  return pm;
}

}  // namespace

QIcon ToolbarIcon(TToolbarImage image, int size) {
  QIcon icon;
  icon.addPixmap(Draw(image, size, QColor(0x33, 0x33, 0x33)), QIcon::Normal);
  icon.addPixmap(Draw(image, size, QColor(0xC0, 0xC0, 0xC0)), QIcon::Disabled);
  return icon;
}

}  // namespace bookloom
