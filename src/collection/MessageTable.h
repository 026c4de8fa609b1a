#pragma once

#include <QHash>
#include <QObject>
#include <QVector>

#include "collection/MessageRecord.h"

namespace feedwell {

// The in-memory message table: the program's whole store of collected messages, with a current
// record. The grid's model listens to its signals.
class MessageTable : public QObject {
  Q_OBJECT

 public:
  explicit MessageTable(QObject* parent = nullptr);

  bool IsOpen() const { return open_; }
  // Opens a closed table empty; an open table stays as it is.
  void OpenIfClosed();

  int RecordCount() const { return static_cast<int>(records_.size()); }
  const MessageRecord& Record(int index) const { return records_.at(index); }
  const QVector<MessageRecord>& Records() const { return records_; }

  // The current record's index, or -1 when the table has none.
  int CurrentIndex() const { return current_; }
  void SetCurrentIndex(int index);

  // Looks for a record whose EntryID equals `entryId` ignoring letter case, in constant time; a
  // found record becomes current.
  bool FindByEntryId(const QString& entryId);

  // Appends a record (opening the table if needed); it becomes current.
  void Insert(const MessageRecord& record);

  // Empties the table and fills it from the file; the first record becomes current. The file is
  // read whole before the table changes, so a failed load leaves the table as it was.
  void LoadFromFile(const QString& path);

  // Writes all records to the file, replacing it. A closed table writes nothing.
  void SaveToFile(const QString& path) const;

  // Orders the records by ReceivedDate, oldest first, and removes the oldest while more than
  // `keep` remain.
  void Trim(int keep = 100);

  // Replaces the whole content (tests and loading).
  void Reset(QVector<MessageRecord> records);

 signals:
  void aboutToReset();
  void resetDone();
  void aboutToInsert(int row);
  void inserted(int row);

 private:
  void RebuildIndex();
  static QString Key(const QString& entryId) { return entryId.toCaseFolded(); }

  bool open_ = false;
  QVector<MessageRecord> records_;
  QHash<QString, int> byEntryId_;
  int current_ = -1;
};

}  // namespace feedwell
