#include "collection/MessageTableFile.h"

#include "common/Error.h"

namespace feedwell {

// Placeholder until the SQLite table file lands.
QVector<MessageRecord> LoadMessageTableFile(const QString& path) {
  throw Error(QStringLiteral("Reading the table file \"%1\" is not available yet.").arg(path));
}

void SaveMessageTableFile(const QString& path, const QVector<MessageRecord>&) {
  throw Error(QStringLiteral("Writing the table file \"%1\" is not available yet.").arg(path));
}

}  // namespace feedwell
