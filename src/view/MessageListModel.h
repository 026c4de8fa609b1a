#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QSortFilterProxyModel>
#include <functional>
#include <optional>

#include "collection/MessageTable.h"

namespace feedwell::view {

// Column numbers: the message table's fields in field order.
enum MessageColumn {
  kRecIdColumn,
  kSourceNameColumn,
  kInIndexColumn,
  kSentOnColumn,
  kReceivedDateColumn,
  kSubjectColumn,
  kUpdateDateColumn,
  kMsgContentColumn,
  kFromEmailColumn,
  kEntryIdColumn,
  kMessageColumnCount
};

// The raw model of the message list: one row per record of the table, in the table's order, one
// column per field, captions = field names. Read-only. Follows the table through its signals.
class MessageListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The field's own value (dates as day counts) rather than its display text.
  static constexpr int kValueRole = Qt::UserRole;

  explicit MessageListModel(MessageTable& table, QObject* parent = nullptr);

  const MessageTable& table() const { return table_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  static QString Caption(int column);
  static bool IsDateColumn(int column);

 private:
  MessageTable& table_;
};

// The colours a row's cells take (see CellPainting.h); nullopt leaves the default.
struct CellColours {
  std::optional<QColor> background;
  bool red = false;
};

// The list as shown: newest ReceivedDate first, rows with equal dates in the table's order, and the
// row colours of the painting rule.
class MessageListProxy : public QSortFilterProxyModel {
  Q_OBJECT

 public:
  using ColourRule = std::function<CellColours(const MessageRecord&)>;

  explicit MessageListProxy(MessageListModel& source, QObject* parent = nullptr);

  void SetColourRule(ColourRule rule) { colourRule_ = std::move(rule); }

  // The record behind a proxy row, or null.
  const MessageRecord* RecordAt(int proxyRow) const;
  int SourceRow(int proxyRow) const;

  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  MessageListModel& model_;
  ColourRule colourRule_;
};

}  // namespace feedwell::view
