#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

namespace feedwell::view {

// The status strip at the bottom of the main window: a horizontal gradient from the window colour at
// the left edge to the highlight colour at the right edge, with its text left-aligned at the top and
// never shortened. The message list takes its recent-row colours from what the strip paints.
class StatusStrip : public QWidget {
  Q_OBJECT

 public:
  explicit StatusStrip(QWidget* parent = nullptr);

  QString text() const { return text_; }
  void setText(const QString& text);

  // The colour the strip shows at pixel (x, y) of its current size; black outside it.
  QColor ColorAt(int x, int y) const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void PaintTo(QPainter& painter, const QSize& size) const;

  QString text_;
  // What the strip paints at its current size, kept so that cell painting can sample it cheaply.
  mutable QImage rendered_;
};

}  // namespace feedwell::view
