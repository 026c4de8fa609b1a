#include "common/TextFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include "common/Error.h"
#include "common/Text.h"

namespace feedwell {

QString DecodeByMark(const QByteArray& bytes) {
  QStringConverter::Encoding encoding = QStringConverter::Utf8;
  qsizetype skip = 0;
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    skip = 3;
  } else if (bytes.startsWith("\xFF\xFE")) {
    encoding = QStringConverter::Utf16LE;
    skip = 2;
  } else if (bytes.startsWith("\xFE\xFF")) {
    encoding = QStringConverter::Utf16BE;
    skip = 2;
  }
  QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
  return decoder(QByteArrayView(bytes.constData() + skip, bytes.size() - skip));
}

QString DecodeText(const QByteArray& bytes) {
  QString text = DecodeByMark(bytes);
  const qsizetype nul = text.indexOf(QChar(u'\0'));
  if (nul >= 0) text.truncate(nul);
  return NormalizeLineEnds(text);
}

QString ReadTextFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    throw Error(QStringLiteral("Cannot read file \"%1\". %2").arg(path, file.errorString()));
  }
  return DecodeText(bytes);
}

QByteArray EncodeUtf8WithMark(const QString& text) {
  return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

void WriteFileAtomically(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    throw Error(QStringLiteral("Cannot write file \"%1\". %2").arg(path, file.errorString()));
  }
}

void WriteTextFile(const QString& path, const QString& text) {
  WriteFileAtomically(path, EncodeUtf8WithMark(text));
}

}  // namespace feedwell
