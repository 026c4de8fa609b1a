#include "collection/MessageTable.h"

#include <algorithm>

#include "collection/MessageTableFile.h"

namespace feedwell {

MessageTable::MessageTable(QObject* parent) : QObject(parent) {}

void MessageTable::OpenIfClosed() {
  if (open_) return;
  emit aboutToReset();
  open_ = true;
  records_.clear();
  byEntryId_.clear();
  current_ = -1;
  emit resetDone();
}

void MessageTable::SetCurrentIndex(int index) {
  current_ = (index >= 0 && index < RecordCount()) ? index : -1;
}

bool MessageTable::FindByEntryId(const QString& entryId) {
  const auto found = byEntryId_.constFind(Key(entryId));
  if (found == byEntryId_.constEnd()) return false;
  current_ = found.value();
  return true;
}

void MessageTable::Insert(const MessageRecord& record) {
  OpenIfClosed();
  const int row = RecordCount();
  emit aboutToInsert(row);
  records_.append(record);
  const QString key = Key(record.EntryID);
  if (!byEntryId_.contains(key)) byEntryId_.insert(key, row);
  current_ = row;
  emit inserted(row);
}

void MessageTable::LoadFromFile(const QString& path) {
  Reset(LoadMessageTableFile(path));
}

void MessageTable::SaveToFile(const QString& path) const {
  if (!open_) return;
  SaveMessageTableFile(path, records_);
}

void MessageTable::Trim(int keep) {
  emit aboutToReset();
  std::stable_sort(records_.begin(), records_.end(), [](const MessageRecord& a, const MessageRecord& b) {
    return a.ReceivedDate < b.ReceivedDate;
  });
  if (records_.size() > keep) records_.erase(records_.begin(), records_.end() - keep);
  RebuildIndex();
  current_ = records_.isEmpty() ? -1 : 0;
  emit resetDone();
}

void MessageTable::Reset(QVector<MessageRecord> records) {
  emit aboutToReset();
  open_ = true;
  records_ = std::move(records);
  RebuildIndex();
  current_ = records_.isEmpty() ? -1 : 0;
  emit resetDone();
}

void MessageTable::RebuildIndex() {
  byEntryId_.clear();
  byEntryId_.reserve(records_.size());
  // The first record with an identifier wins, as a search from the start would find it.
  for (int i = RecordCount() - 1; i >= 0; --i) byEntryId_.insert(Key(records_[i].EntryID), i);
}

}  // namespace feedwell
