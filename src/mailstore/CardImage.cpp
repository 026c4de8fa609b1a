#include "mailstore/CardImage.h"

#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>

#include "common/Error.h"
#include "common/TextFile.h"

namespace feedwell::mailstore {
namespace {

bool CanDrawText() {
  // QFont aborts without a QGuiApplication; the offscreen platform provides one in headless runs.
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

void DrawPhoto(QPainter& painter, const QImage& photo) {
  const QRect square(kPhotoLeft, kPhotoTop, kPhotoSize, kPhotoSize);
  const QImage filled =
      photo.scaled(kPhotoSize, kPhotoSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
  const QRect source((filled.width() - kPhotoSize) / 2, (filled.height() - kPhotoSize) / 2, kPhotoSize,
                     kPhotoSize);
  painter.drawImage(square, filled, source);
}

void DrawInitials(QPainter& painter, const QString& name) {
  const QRect square(kPhotoLeft, kPhotoTop, kPhotoSize, kPhotoSize);
  painter.fillRect(square, InitialsColour(name));
  if (!CanDrawText()) return;
  QFont font = painter.font();
  font.setPixelSize(28);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(square, Qt::AlignCenter, InitialsOf(name));
}

void DrawText(QPainter& painter, const QString& name, const QString& address) {
  if (!CanDrawText()) return;
  const int left = kPhotoLeft + kPhotoSize + 10;
  const int width = kCardWidth - left - 8;
  QFont font = painter.font();
  font.setPixelSize(15);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(QColor(0x20, 0x20, 0x20));
  painter.drawText(QRect(left, kPhotoTop, width, 40), Qt::AlignLeft | Qt::TextWordWrap, name);
  font.setPixelSize(11);
  font.setBold(false);
  painter.setFont(font);
  painter.setPen(QColor(0x40, 0x40, 0x60));
  painter.drawText(QRect(left, kPhotoTop + 44, width, 30), Qt::AlignLeft | Qt::TextWrapAnywhere, address);
}

}  // namespace

QColor InitialsColour(const QString& name) {
  // FNV-1a over the UTF-16 units: stable across runs, unlike Qt's seeded hashes.
  quint32 hash = 2166136261u;
  for (QChar c : name.toCaseFolded()) {
    hash ^= c.unicode();
    hash *= 16777619u;
  }
  return QColor::fromHsv(static_cast<int>(hash % 360), 150, 190);
}

QString InitialsOf(const QString& name) {
  const QStringList words = name.simplified().split(u' ', Qt::SkipEmptyParts);
  if (words.isEmpty()) return QStringLiteral("?");
  QString initials = words.first().left(1).toUpper();
  if (words.size() > 1) initials += words.last().left(1).toUpper();
  return initials;
}

QImage RenderBusinessCard(const QString& name, const QString& firstAddress, const QImage& photo) {
  QImage card(kCardWidth, kCardHeight, QImage::Format_RGB32);
  card.fill(QColor(0xf7, 0xf7, 0xf2));
  QPainter painter(&card);
  painter.setRenderHint(QPainter::Antialiasing, false);
  if (!photo.isNull() && photo.width() > 0 && photo.height() > 0)
    DrawPhoto(painter, photo);
  else
    DrawInitials(painter, name);
  DrawText(painter, name, firstAddress);
  painter.setPen(QColor(0xb0, 0xb0, 0xb0));
  painter.drawRect(0, 0, kCardWidth - 1, kCardHeight - 1);
  painter.end();
  return card;
}

void SaveBitmapFile(const QImage& image, const QString& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "BMP"))
    throw Error(QStringLiteral("Unable to encode the business card image for %1").arg(path));
  WriteFileAtomically(path, bytes);
}

}  // namespace feedwell::mailstore
