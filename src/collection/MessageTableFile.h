#pragma once

#include <QString>
#include <QVector>

#include "collection/MessageRecord.h"

namespace feedwell {

// The table file: an SQLite database with one table `messages` whose columns carry the field
// names, and the schema version in `user_version`.

// Reads every record, in stored order. Raises Error naming the file when it is not a Feedwell
// table, is of a newer schema, is damaged or cannot be read.
QVector<MessageRecord> LoadMessageTableFile(const QString& path);

// Replaces the file's records with `records` inside one transaction, so a crash during the save
// leaves the previous table whole. Raises Error naming the file on failure, and refuses to touch a
// file that is not a Feedwell table or is of a newer schema.
void SaveMessageTableFile(const QString& path, const QVector<MessageRecord>& records);

}  // namespace feedwell
