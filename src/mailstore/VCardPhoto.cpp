#include <QBuffer>
#include <QImageReader>

#include "mailstore/VCard.h"

namespace feedwell::mailstore {
namespace {

// The card shows the photo at 70 × 70; anything beyond this is decoded smaller or refused.
constexpr int kLargestSide = 1024;
constexpr qint64 kLargestPixelCount = 4096LL * 4096LL;

}  // namespace

QImage DecodePhoto(const QByteArray& bytes) {
  if (bytes.isEmpty()) return {};
  QBuffer buffer;
  buffer.setData(bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return {};
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > kLargestSide || size.height() > kLargestSide)) {
    if (reader.supportsOption(QImageIOHandler::ScaledSize))
      reader.setScaledSize(size.scaled(kLargestSide, kLargestSide, Qt::KeepAspectRatio));
    else if (static_cast<qint64>(size.width()) * size.height() > kLargestPixelCount)
      return {};
  }
  QImage image = reader.read();
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return {};
  return image;
}

}  // namespace feedwell::mailstore
