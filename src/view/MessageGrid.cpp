#include "view/MessageGrid.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>

namespace feedwell::view {
namespace {

// Widths before any are stored: ReceivedDate starts wide, the others at a width that suits their
// field.
int DefaultWidth(int column) {
  switch (column) {
    case kReceivedDateColumn:
      return 800;
    case kSentOnColumn:
    case kUpdateDateColumn:
      return 130;
    case kRecIdColumn:
    case kInIndexColumn:
      return 60;
    case kSubjectColumn:
      return 300;
    case kFromEmailColumn:
      return 200;
    default:
      return 120;
  }
}

bool IsHiddenColumn(int column) {
  return column == kRecIdColumn || column == kMsgContentColumn || column == kEntryIdColumn;
}

constexpr int kMinimumWidth = 20;

}  // namespace

MessageGrid::MessageGrid(MessageTable& table, QWidget* parent)
    : QTableView(parent), model_(table), proxy_(model_), widths_(kMessageColumnCount) {
  setObjectName(QStringLiteral("cxGrid1DBTableView1"));
  setModel(&proxy_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setWordWrap(false);
  setTabKeyNavigation(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  QHeaderView* header = horizontalHeader();
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setMinimumSectionSize(kMinimumWidth);
  header->setStretchLastSection(false);
  header->setSortIndicatorShown(true);
  header->setSortIndicator(kReceivedDateColumn, Qt::DescendingOrder);
  header->setSectionsClickable(false);
  header->setHighlightSections(false);

  for (int column = 0; column < kMessageColumnCount; ++column) {
    widths_[column] = DefaultWidth(column);
    setColumnHidden(column, IsHiddenColumn(column));
  }
  connect(header, &QHeaderView::sectionResized, this, &MessageGrid::OnSectionResized);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this] { emit focusedRecordChanged(); });
  connect(&table, &MessageTable::inserted, this, &MessageGrid::FollowInsertedRow);
  FitColumns();
}

const MessageRecord* MessageGrid::FocusedRecord() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? proxy_.RecordAt(current.row()) : nullptr;
}

void MessageGrid::FocusFirstRow() {
  if (proxy_.rowCount() == 0) return;
  const QModelIndex first = proxy_.index(0, kReceivedDateColumn);
  selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(first);
}

void MessageGrid::FollowInsertedRow(int sourceRow) {
  // A new record becomes the table's current one; the focus follows it as in a data-bound grid, so
  // the focus change reaches the preview handler (which stays quiet while a scan runs).
  if (IsSuspended()) return;
  const QModelIndex at = proxy_.mapFromSource(model_.index(sourceRow, kReceivedDateColumn));
  if (at.isValid())
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QVector<PageRow> MessageGrid::RowsInViewOrder() const {
  QVector<PageRow> rows;
  rows.reserve(proxy_.rowCount());
  for (int row = 0; row < proxy_.rowCount(); ++row) {
    if (const MessageRecord* r = proxy_.RecordAt(row))
      rows.append(PageRow{r->ReceivedDate, r->FromEmail, r->Subject, r->MsgContent});
  }
  return rows;
}

void MessageGrid::SuspendDisplay() {
  if (suspended_++ == 0) setUpdatesEnabled(false);
}

void MessageGrid::ResumeDisplay() {
  if (suspended_ == 0) return;
  if (--suspended_ == 0) {
    setUpdatesEnabled(true);
    viewport()->update();
  }
}

QStringList MessageGrid::Captions() const {
  QStringList captions;
  for (int column = 0; column < kMessageColumnCount; ++column) captions << MessageListModel::Caption(column);
  return captions;
}

int MessageGrid::Width(const QString& caption) const {
  const int column = static_cast<int>(Captions().indexOf(caption));
  if (column < 0) return 0;
  return isColumnHidden(column) ? widths_[column] : columnWidth(column);
}

void MessageGrid::SetWidth(const QString& caption, int width) {
  const int column = static_cast<int>(Captions().indexOf(caption));
  if (column < 0 || width <= 0) return;
  widths_[column] = width;
  FitColumns();
}

bool MessageGrid::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Resize) FitColumns();
  return QTableView::viewportEvent(event);
}

// Also called when a scroll bar comes or goes, which changes the width to fill.
void MessageGrid::updateGeometries() {
  QTableView::updateGeometries();
  if (!fitting_ && viewport()->width() != fittedWidth_) FitColumns();
}

// Shares the viewport's width among the shown columns in proportion to the widths they ask for; the
// last shown column takes what rounding leaves.
void MessageGrid::FitColumns() {
  if (widths_.size() != kMessageColumnCount || QTableView::model() != &proxy_) return;  // not set up yet
  const int available = viewport()->width();
  QVector<int> shown;
  qint64 total = 0;
  for (int column = 0; column < kMessageColumnCount; ++column) {
    if (isColumnHidden(column)) continue;
    shown.append(column);
    total += widths_[column];
  }
  if (shown.isEmpty() || total <= 0 || available <= 0) return;
  fittedWidth_ = available;
  fitting_ = true;
  int used = 0;
  for (int i = 0; i < shown.size(); ++i) {
    const int column = shown[i];
    const bool last = i == shown.size() - 1;
    const int width = last ? std::max(kMinimumWidth, available - used)
                           : std::max(kMinimumWidth, static_cast<int>(widths_[column] * available / total));
    setColumnWidth(column, width);
    used += width;
  }
  fitting_ = false;
}

// A column the user widens takes its room from the shown columns to its right, in proportion to
// their widths, so that the columns keep filling the grid.
void MessageGrid::OnSectionResized(int column, int oldSize, int newSize) {
  if (fitting_ || isColumnHidden(column)) return;
  QVector<int> right;
  int rightTotal = 0;
  for (int c = column + 1; c < kMessageColumnCount; ++c) {
    if (isColumnHidden(c)) continue;
    right.append(c);
    rightTotal += columnWidth(c);
  }
  for (int c = 0; c < kMessageColumnCount; ++c) {
    if (!isColumnHidden(c)) widths_[c] = columnWidth(c);
  }
  if (!right.isEmpty() && rightTotal > 0) {
    const int target =
        std::max(kMinimumWidth * static_cast<int>(right.size()), rightTotal - (newSize - oldSize));
    int given = 0;
    for (int i = 0; i < right.size(); ++i) {
      const int c = right[i];
      widths_[c] = i == right.size() - 1 ? std::max(kMinimumWidth, target - given)
                                         : std::max(kMinimumWidth, columnWidth(c) * target / rightTotal);
      given += widths_[c];
    }
  }
  widths_[column] = newSize;
  FitColumns();
}

}  // namespace feedwell::view
