#include "view/StatusStrip.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>

namespace feedwell::view {

StatusStrip::StatusStrip(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void StatusStrip::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  rendered_ = QImage();
  update();
}

QSize StatusStrip::sizeHint() const {
  return QSize(200, 20);
}

void StatusStrip::PaintTo(QPainter& painter, const QSize& size) const {
  QLinearGradient gradient(0, 0, size.width(), 0);
  gradient.setColorAt(0, palette().color(QPalette::Window));
  gradient.setColorAt(1, palette().color(QPalette::Highlight));
  painter.fillRect(QRect(QPoint(0, 0), size), gradient);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setFont(font());
  // Clipped at the right edge rather than elided: the whole text stays as long as it fits.
  painter.drawText(QRect(2, 0, size.width() - 2, size.height()),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
}

QColor StatusStrip::ColorAt(int x, int y) const {
  const QSize size = this->size();
  if (x < 0 || y < 0 || x >= size.width() || y >= size.height()) return QColor(Qt::black);
  if (rendered_.size() != size) {
    rendered_ = QImage(size, QImage::Format_RGB32);
    QPainter painter(&rendered_);
    PaintTo(painter, size);
  }
  return rendered_.pixelColor(x, y);
}

void StatusStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintTo(painter, size());
}

void StatusStrip::resizeEvent(QResizeEvent* event) {
  rendered_ = QImage();
  QWidget::resizeEvent(event);
}

void StatusStrip::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) rendered_ = QImage();
  QWidget::changeEvent(event);
}

}  // namespace feedwell::view
