// libFuzzer target: loading a table file of any bytes either gives records or raises Error, and a
// save over it either succeeds (and then loads back) or raises Error leaving the bytes untouched.
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "collection/MessageTableFile.h"
#include "common/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("fuzz.data"));
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(bytes);
  }
  try {
    (void)feedwell::LoadMessageTableFile(path);
  } catch (const feedwell::Error&) {
  }
  feedwell::MessageRecord record;
  record.EntryID = QStringLiteral("fuzz");
  try {
    feedwell::SaveMessageTableFile(path, {record});
  } catch (const feedwell::Error&) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != bytes) std::abort();
    return 0;
  }
  if (feedwell::LoadMessageTableFile(path) != QVector<feedwell::MessageRecord>{record}) std::abort();
  return 0;
}
