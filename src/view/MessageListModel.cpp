#include "view/MessageListModel.h"

#include <QBrush>

namespace feedwell::view {

MessageListModel::MessageListModel(MessageTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
  connect(&table_, &MessageTable::aboutToReset, this, [this] { beginResetModel(); });
  connect(&table_, &MessageTable::resetDone, this, [this] { endResetModel(); });
  connect(&table_, &MessageTable::aboutToInsert, this, [this](int row) { beginInsertRows({}, row, row); });
  connect(&table_, &MessageTable::inserted, this, [this](int) { endInsertRows(); });
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.RecordCount();
}

int MessageListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kMessageColumnCount;
}

QString MessageListModel::Caption(int column) {
  if (column < 0 || column >= kMessageColumnCount) return {};
  return QLatin1String(kMessageFieldNames[static_cast<size_t>(column)]);
}

bool MessageListModel::IsDateColumn(int column) {
  return column == kSentOnColumn || column == kReceivedDateColumn || column == kUpdateDateColumn;
}

namespace {

QVariant FieldValue(const MessageRecord& r, int column) {
  switch (column) {
    case kRecIdColumn:
      return r.RecId;
    case kSourceNameColumn:
      return r.SourceName;
    case kInIndexColumn:
      return r.InIndex;
    case kSentOnColumn:
      return r.SentON;
    case kReceivedDateColumn:
      return r.ReceivedDate;
    case kSubjectColumn:
      return r.Subject;
    case kUpdateDateColumn:
      return r.UpdateDate;
    case kMsgContentColumn:
      return r.MsgContent;
    case kFromEmailColumn:
      return r.FromEmail;
    case kEntryIdColumn:
      return r.EntryID;
    default:
      return {};
  }
}

}  // namespace

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const MessageRecord& record = table_.Record(index.row());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      if (IsDateColumn(index.column())) return DateTimeToText(FieldValue(record, index.column()).toDouble());
      return FieldValue(record, index.column());
    case kValueRole:
      return FieldValue(record, index.column());
    default:
      return {};
  }
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return Caption(section);
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags MessageListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

MessageListProxy::MessageListProxy(MessageListModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), model_(source) {
  setSourceModel(&source);
  setSortRole(MessageListModel::kValueRole);
  setDynamicSortFilter(true);
  sort(kReceivedDateColumn, Qt::DescendingOrder);
}

int MessageListProxy::SourceRow(int proxyRow) const {
  if (proxyRow < 0 || proxyRow >= rowCount()) return -1;
  return mapToSource(index(proxyRow, 0)).row();
}

const MessageRecord* MessageListProxy::RecordAt(int proxyRow) const {
  const int row = SourceRow(proxyRow);
  if (row < 0 || row >= model_.table().RecordCount()) return nullptr;
  return &model_.table().Record(row);
}

bool MessageListProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const double a = model_.table().Record(left.row()).ReceivedDate;
  const double b = model_.table().Record(right.row()).ReceivedDate;
  if (a != b) return a < b;
  // Equal dates: the later table row counts as "less", so that the descending list keeps the
  // table's order for them however rows arrive.
  return left.row() > right.row();
}

QVariant MessageListProxy::data(const QModelIndex& index, int role) const {
  if ((role == Qt::BackgroundRole || role == Qt::ForegroundRole) && colourRule_ && index.isValid()) {
    const MessageRecord* record = RecordAt(index.row());
    if (!record) return {};
    const CellColours colours = colourRule_(*record);
    if (role == Qt::BackgroundRole)
      return colours.background ? QVariant(QBrush(*colours.background)) : QVariant();
    return colours.red ? QVariant(QBrush(QColor(255, 0, 0))) : QVariant();
  }
  return QSortFilterProxyModel::data(index, role);
}

}  // namespace feedwell::view
